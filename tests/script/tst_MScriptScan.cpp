#include "TestComponents.h"

#include "platform/windows/MessageBox.h"
#include "script/MScriptScan.h"
#include "script/ScriptProgressWindow.h"
#include "studio/Failure.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <optional>

namespace {

// The recording editor's log lines for the read side (project A.kxs) and the write side (B.kxs).
QString Call(const QString& project, const QString& call) { return project + QStringLiteral(": ") + call; }
QStringList SetUp(const QString& project) {
    return {Call(project, QStringLiteral("Connect(QString:\"%1\", QString:\"\", null, null)").arg(project)),
            Call(project, QStringLiteral("Startup()"))};
}
QString Start(const QString& project) {
    return Call(project, QStringLiteral("StartEditor(QString:\"\", QString:\"IDX0\", QString:\"\")"));
}
QString Message(const QString& project, const QString& command, const QString& params) {
    return Call(
        project,
        QStringLiteral("Message(QString:\"GLOBAL\", QString:\"%1\", QVariantList[%2])").arg(command, params));
}
QString Disconnect(const QString& project) { return Call(project, QStringLiteral("Disconnect()")); }
const QString A = QStringLiteral("A.kxs");
const QString B = QStringLiteral("B.kxs");
const QString C = QStringLiteral("C.kxs");
QString CopyOf(const QString& group) {
    return QStringLiteral("QByteArray:\"copy of %1 from A.kxs\"").arg(group);
}

std::optional<Failure> FailureOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const Failure& failure) {
        return failure;
    }
    return std::nullopt;
}

// Answers the modal dialogs of one test from a timer, in the order they were asked for. Made
// in init and deleted in cleanup, so no answer outlives its test. A modal dialog left without
// an answer, or still open a while after it, is closed and listed: the test fails, not hangs.
class ModalAnswers : public QObject {
public:
    ModalAnswers() {
        connect(&m_timer, &QTimer::timeout, this, &ModalAnswers::Look);
        m_timer.start(10);
    }

    template <class T> void Answer(std::function<void(T*)> action) {
        m_answers.push_back([action](QWidget* modal) {
            auto* dialog = qobject_cast<T*>(modal);
            if (dialog)
                action(dialog);
            return dialog != nullptr;
        });
    }
    const QStringList& Unanswered() const { return m_unanswered; }

private:
    void Look() {
        QWidget* modal = QApplication::activeModalWidget();
        // The progress window is the run's own; it ends with the run.
        if (!modal || qobject_cast<ScriptProgressWindow*>(modal)) {
            m_open.invalidate();
            return;
        }
        if (!m_answers.empty() && m_answers.front()(modal)) {
            m_answers.erase(m_answers.begin());
            m_open.start();
            return;
        }
        if (!m_open.isValid()) {
            m_open.start();
        } else if (m_open.elapsed() > 1000) {
            m_unanswered << QString::fromLatin1(modal->metaObject()->className()) + QStringLiteral(" \"") +
                                modal->windowTitle() + QLatin1Char('"');
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->done(QDialog::Rejected);
            else
                modal->close();
            m_open.invalidate();
        }
    }

    QTimer m_timer;
    QElapsedTimer m_open; // since the current modal dialog was last seen without its answer
    std::vector<std::function<bool(QWidget*)>> m_answers;
    QStringList m_unanswered;
};

// Types the file's name into the dialog and accepts, as a user does. selectFile would leave
// the name field alone once it has the focus, which it gets at a moment of its own.
void ChooseFile(QFileDialog* dialog, const QString& path) {
    dialog->setDirectory(QFileInfo(path).absolutePath());
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(name);
    name->setText(QFileInfo(path).fileName());
    static_cast<QDialog*>(dialog)->accept();
}

} // namespace

class tst_MScriptScan : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The file dialog remembers its history in the settings: keep them out of the user's.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup();
    void scanScriptLine_data();
    void scanScriptLine();
    void commands_data();
    void commands();
    void emptyAndRemarkFiles_data();
    void emptyAndRemarkFiles();
    void twoRunsInARow();
    void fileThatCannotBeOpened_data();
    void fileThatCannotBeOpened();
    void progressHookSeesCommandLines();
    void menuCancelRunsNothing();
    void menuRunsTheChosenFile();
    void menuShowsAFailureAndStays();
    void menuOtherItemsDoNothing();
    void progressWindowShowsLineAndCommand();

private:
    QString WriteScript(const QString& text, const QString& name = QStringLiteral("script.txt"));
    QStringList Log() const { return TestComponents::ReadLog(m_logFile); }

    std::unique_ptr<QTemporaryDir> m_prefix;
    std::unique_ptr<ModalAnswers> m_modals;
    QString m_logFile;
    QStringList m_boxes;
};

void tst_MScriptScan::init() {
    m_prefix = std::make_unique<QTemporaryDir>();
    QVERIFY(m_prefix->isValid());
    qputenv("KX4_PREFIX", m_prefix->path().toLocal8Bit());
    QVERIFY(TestComponents::RegisterAll());
    m_logFile = m_prefix->filePath(QStringLiteral("calls.log"));
    TestComponents::Configure(m_logFile);
    m_boxes.clear();
    m_modals = std::make_unique<ModalAnswers>();
    MessageBox::SetHook([this](const QString& text, const QString& title, MessageBox::Icon) {
        m_boxes << title + QStringLiteral(": ") + text;
    });
}

void tst_MScriptScan::cleanup() {
    const QStringList unanswered = m_modals->Unanswered();
    m_modals.reset();
    QCOMPARE(unanswered, QStringList());
    MessageBox::SetHook({});
    MScriptScan::ReleaseEditors();
    QVERIFY(QApplication::topLevelWidgets().isEmpty() ||
            std::none_of(QApplication::topLevelWidgets().cbegin(), QApplication::topLevelWidgets().cend(),
                         [](QWidget* w) { return w->isVisible(); }));
    m_prefix.reset();
}

QString tst_MScriptScan::WriteScript(const QString& text, const QString& name) {
    const QString path = m_prefix->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(text.toUtf8());
    return path;
}

void tst_MScriptScan::scanScriptLine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("param1");
    QTest::addColumn<QString>("param2");
    QTest::addColumn<int>("failure");

    QTest::newRow("tabs and spaces before COPY, names keep their case")
        << "\t  \tCOPY \"Alarme Kessel\" \"Alarme NEU\""
        << "copy"
        << "Alarme Kessel"
        << "Alarme NEU" << 0;
    QTest::newRow("command word glued to its quote is no command") << "copy\"A\" \"B\""
                                                                   << ""
                                                                   << ""
                                                                   << "" << 0;
    QTest::newRow("delete without closing quote takes the rest of the line") << "delete \"Alarme Kessel 2 "
                                                                             << "delete"
                                                                             << "Alarme Kessel 2 "
                                                                             << "" << 0;
    QTest::newRow("words between and after the arguments are ignored")
        << "copy \"Quelle\" nach \"Ziel\" sofort"
        << "copy"
        << "Quelle"
        << "Ziel" << 0;
    QTest::newRow("third quote never closed gives the rest as target") << "rename \"Alt\" \"Neu und mehr"
                                                                       << "rename"
                                                                       << "Alt"
                                                                       << "Neu und mehr" << 0;
    QTest::newRow("empty quoted argument") << "delete \"\""
                                           << "delete"
                                           << ""
                                           << "" << 0;
    QTest::newRow("tabs inside an argument arrive as spaces") << "addlanguage \"English\t(UK)\""
                                                              << "addlanguage"
                                                              << "English (UK)"
                                                              << "" << 0;
    QTest::newRow("mixed-case command words") << "UpdateGroup \"Q\" \"Z\""
                                              << "updategroup"
                                              << "Q"
                                              << "Z" << 0;
    QTest::newRow("copynonh") << "copynonh \"Q\" \"Z\""
                              << "copynonh"
                              << "Q"
                              << "Z" << 0;
    QTest::newRow("umlauts kept") << "rename \"St\u00f6rungen\" \"\u00c4nderungen\""
                                  << "rename"
                                  << "St\u00f6rungen"
                                  << "\u00c4nderungen" << 0;
    QTest::newRow("set without selector") << "set \"C:\\P\\A.kxs\""
                                          << "set"
                                          << ""
                                          << "" << 0;
    QTest::newRow("set without selector and without quotes") << "set"
                                                             << "set"
                                                             << ""
                                                             << "" << 0;
    QTest::newRow("set with selector in capitals after the path") << "set \"C:\\P\\A.kxs\" DBREAD"
                                                                  << "set"
                                                                  << "dbread"
                                                                  << "C:\\P\\A.kxs" << 0;
    QTest::newRow("set with selector before the path") << "Set\tprjwrite \"C:\\P\\B.kxs\""
                                                       << "set"
                                                       << "prjwrite"
                                                       << "C:\\P\\B.kxs" << 0;
    QTest::newRow("selector standing alone inside the quoted path counts")
        << "set \"C:\\my dbread files\\A.kxs\""
        << "set"
        << "dbread"
        << "C:\\my dbread files\\A.kxs" << 0;
    QTest::newRow("selector glued to a quote does not count") << "set \"dbwrite\""
                                                              << "set"
                                                              << ""
                                                              << "" << 0;
    QTest::newRow("first selector wins") << "set dbwrite \"B.kxs\" dbread"
                                         << "set"
                                         << "dbwrite"
                                         << "B.kxs" << 0;
    QTest::newRow("quoted number for updateflag is text") << "updateflag \"2.5\""
                                                          << "updateflag"
                                                          << "2.5"
                                                          << "" << 0;
    QTest::newRow("updateflag with an unquoted number fails") << "updateflag 2.5"
                                                              << "updateflag"
                                                              << ""
                                                              << "" << 9;
    QTest::newRow("set with selector and unquoted path fails") << "set dbread C:\\P\\A.kxs"
                                                               << "set"
                                                               << ""
                                                               << "" << 9;
    QTest::newRow("copy with only two quotes fails") << "copy \"A\" B"
                                                     << "copy"
                                                     << ""
                                                     << "" << 9;
    QTest::newRow("rename with one quote fails") << "rename \"A"
                                                 << "rename"
                                                 << ""
                                                 << "" << 9;
    QTest::newRow("delete without quotes fails") << "delete Alarme"
                                                 << "delete"
                                                 << ""
                                                 << "" << 9;
    QTest::newRow("empty line") << ""
                                << ""
                                << ""
                                << "" << 0;
    QTest::newRow("spaces and tabs only") << "  \t  "
                                          << ""
                                          << ""
                                          << "" << 0;
    QTest::newRow("remark with a command later on the line") << "' copy \"A\" \"B\""
                                                             << ""
                                                             << ""
                                                             << "" << 0;
    QTest::newRow("unknown command word") << "move \"A\" \"B\""
                                          << ""
                                          << ""
                                          << "" << 0;
    QTest::newRow("command word as a prefix of a longer word") << "copying \"A\" \"B\""
                                                               << ""
                                                               << ""
                                                               << "" << 0;
}

void tst_MScriptScan::scanScriptLine() {
    QFETCH(QString, line);
    QFETCH(QString, command);
    QFETCH(QString, param1);
    QFETCH(QString, param2);
    QFETCH(int, failure);

    // Results from an earlier line must not survive.
    QString gotCommand = QStringLiteral("old");
    QString got1 = QStringLiteral("old");
    QString got2 = QStringLiteral("old");
    const std::optional<Failure> caught =
        FailureOf([&] { MScriptScan::ScanScriptLine(line, gotCommand, got1, got2); });
    QCOMPARE(caught ? caught->Number() : 0, failure);
    if (caught) {
        QVERIFY2(caught->Description().contains(QLatin1Char('"') + command + QLatin1Char('"')),
                 qPrintable(caught->Description()));
        QCOMPARE(gotCommand, command);
        return;
    }
    QCOMPARE(gotCommand, command);
    QCOMPARE(got1, param1);
    QCOMPARE(got2, param2);
}

void tst_MScriptScan::commands_data() {
    QTest::addColumn<QStringList>("failures"); // injected into the component
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("description"); // of the failure, exactly

    const QString sides = QStringLiteral("set dbread \"A.kxs\"\nset dbwrite \"B.kxs\"\n");
    const QStringList setUp = SetUp(A) + SetUp(B);
    const QStringList end{Disconnect(A), Disconnect(B)};
    const QString paste =
        QStringLiteral("%1, QString:\"<IndexGroups>\", QString:\"Ziel\", bool:true, QString:\"\", "
                       "short:0, bool:true");

    QTest::newRow("copy starts both sides, copies and pastes")
        << QStringList() << sides + "copy \"Quelle\" \"Ziel\""
        << setUp +
               QStringList{Start(A), Start(B),
                           Message(A, "Copy", "QString:\"<IndexGroups>\", QString:\"Quelle\""),
                           Message(B, "Paste", paste.arg(CopyOf("Quelle")))} +
               end
        << 0 << QString();
    QTest::newRow("copynonh copies without history and pastes the same")
        << QStringList() << sides + "copynonh \"Quelle\" \"Ziel\""
        << setUp +
               QStringList{Start(A), Start(B),
                           Message(A, "Copynonh", "QString:\"<IndexGroups>\", QString:\"Quelle\""),
                           Message(B, "Paste", paste.arg(CopyOf("Quelle")))} +
               end
        << 0 << QString();
    QTest::newRow("prjread and prjwrite select the sides as dbread and dbwrite")
        << QStringList() << "set prjread \"A.kxs\"\nset prjwrite \"B.kxs\"\ncopy \"Quelle\" \"Ziel\""
        << setUp +
               QStringList{Start(A), Start(B),
                           Message(A, "Copy", "QString:\"<IndexGroups>\", QString:\"Quelle\""),
                           Message(B, "Paste", paste.arg(CopyOf("Quelle")))} +
               end
        << 0 << QString();
    const QString updategroup = QStringLiteral("updategroup \"Quelle\" \"Ziel\"");
    const QStringList updateCalls{Start(A), Start(B),
                                  Message(A, "Copynonh", "QString:\"<IndexGroups>\", QString:\"Quelle\"")};
    QTest::newRow("updategroup passes update flag 3 by default")
        << QStringList() << sides + updategroup
        << setUp + updateCalls +
               QStringList{Message(B, "Updategroup", "QString:\"Ziel\", " + CopyOf("Quelle") + ", short:3")} +
               end
        << 0 << QString();
    // The number reading itself is Variant's; these rows check that the flag takes it rounded.
    const QList<std::pair<QString, QString>> flags{
        {"2.5", "2"}, {"3.5", "4"}, {"keine Zahl", "0"}, {"&HFFFF", "-1"}, {"32767", "32767"}};
    for (const auto& [text, value] : flags)
        QTest::addRow("updateflag \"%s\" passes %s", qPrintable(text), qPrintable(value))
            << QStringList() << sides + "updateflag \"" + text + "\"\n" + updategroup
            << setUp + updateCalls +
                   QStringList{Message(B, "Updategroup",
                                       "QString:\"Ziel\", " + CopyOf("Quelle") + ", short:" + value)} +
                   end
            << 0 << QString();
    QTest::newRow("updateflag above 32767 overflows")
        << QStringList() << sides + "updateflag \"32767.5\"\n" + updategroup << setUp + end << 6
        << "script.txt, line 3 (updateflag): overflow: the update flag \"32767.5\" is outside -32768..32767";
    QTest::newRow("delete, addlanguage and rename need only the write side")
        << QStringList()
        << "set dbwrite \"B.kxs\"\ndelete \"Alt\"\naddlanguage \"en-GB\"\nrename \"Alt\" \"Neu\""
        << SetUp(B) +
               QStringList{Start(B),     Message(B, "Delete", "QString:\"<IndexGroups>\", QString:\"Alt\""),
                           Start(B),     Message(B, "AddLanguage", "QString:\"en-GB\""),
                           Start(B),     Message(B, "Rename", "QString:\"Alt\", QString:\"Neu\""),
                           Disconnect(B)}
        << 0 << QString();
    QTest::newRow("selecting the write side again disconnects the first before connecting")
        << QStringList() << "set dbwrite \"B.kxs\"\nset dbwrite \"C.kxs\"\ndelete \"Alt\""
        << SetUp(B) + QStringList{Disconnect(B)} + SetUp(C) +
               QStringList{Start(C), Message(C, "Delete", "QString:\"<IndexGroups>\", QString:\"Alt\""),
                           Disconnect(C)}
        << 0 << QString();
    QTest::newRow("set without a selector selects nothing")
        << QStringList() << "set \"A.kxs\"\nset \"B.kxs\" nowhere" << QStringList() << 0 << QString();
    QTest::newRow("copy as the first line fails before any message")
        << QStringList() << "copy \"Quelle\" \"Ziel\"" << QStringList() << 91
        << "script.txt, line 1 (copy): object not set: no read side selected (no \"set\" line with "
           "\"dbread\" or "
           "\"prjread\" before)";
    QTest::newRow("copy without a write side fails after starting the read side")
        << QStringList() << "set dbread \"A.kxs\"\n\ncopy \"Quelle\" \"Ziel\""
        << SetUp(A) + QStringList{Start(A), Disconnect(A)} << 91
        << "script.txt, line 3 (copy): object not set: no write side selected (no \"set\" line with "
           "\"dbwrite\" or "
           "\"prjwrite\" before)";
    QTest::newRow("failing copy stops the run, keeps its number and disconnects both")
        << QStringList{"Message Copy=index group \"Alarme\" not found in A.kxs"}
        << sides + "delete \"Eins\"\ncopy \"Alarme\" \"Ziel\"\ndelete \"Zwei\""
        << setUp +
               QStringList{Start(B), Message(B, "Delete", "QString:\"<IndexGroups>\", QString:\"Eins\""),
                           Start(A), Start(B),
                           Message(A, "Copy", "QString:\"<IndexGroups>\", QString:\"Alarme\"") + " failed"} +
               end
        << 440 << "script.txt, line 4 (copy): index group \"Alarme\" not found in A.kxs";
    QTest::newRow("malformed line stops the run")
        << QStringList() << "set dbwrite \"B.kxs\"\nrename \"Alt\" Neu\ndelete \"Zwei\""
        << SetUp(B) + QStringList{Disconnect(B)} << 9
        << "script.txt, line 2 (rename): index out of range: \"rename\" takes two quoted names and needs at "
           "least 3 "
           "double quotes; the line has 2";
    QTest::newRow("side whose component cannot connect fails at its first start")
        << QStringList{"Connect=project file is locked"} << "set dbwrite \"B.kxs\"\ndelete \"Alt\""
        << QStringList{SetUp(B).first() + " failed", Start(B), Disconnect(B)} << 440
        << "script.txt, line 2 (delete): no project connected (connecting to \"B.kxs\" failed: project file "
           "is locked)";
}

void tst_MScriptScan::commands() {
    QFETCH(QStringList, failures);
    QFETCH(QString, script);
    QFETCH(QStringList, calls);
    QFETCH(int, failure);
    QFETCH(QString, description);

    TestComponents::Configure(m_logFile, failures);
    const QString path = WriteScript(script);
    const std::optional<Failure> caught = FailureOf([&] { MScriptScan::RunScriptFile(path); });
    QCOMPARE(caught ? caught->Number() : 0, failure);
    if (caught)
        QCOMPARE(caught->Description(), m_prefix->filePath(description));
    QCOMPARE(Log(), calls);
    QVERIFY(!MScriptScan::HasReadEditor());
    QVERIFY(!MScriptScan::HasWriteEditor());
}

void tst_MScriptScan::emptyAndRemarkFiles_data() {
    QTest::addColumn<QString>("script");
    QTest::newRow("empty file") << "";
    QTest::newRow("remarks and blank lines")
        << "' Migration der Alarme\n\nREM copy \"A\" \"B\"\n   \t\n-- set dbread \"A.kxs\"";
}

void tst_MScriptScan::emptyAndRemarkFiles() {
    QFETCH(QString, script);
    MScriptScan::RunScriptFile(WriteScript(script));
    QCOMPARE(Log(), QStringList());
    QVERIFY(!MScriptScan::HasReadEditor());
    QVERIFY(!MScriptScan::HasWriteEditor());
    QCOMPARE(MScriptScan::CurrentUpdateFlag(), qint16(3));
}

void tst_MScriptScan::twoRunsInARow() {
    MScriptScan::RunScriptFile(WriteScript("set dbread \"A.kxs\"\nset dbwrite \"B.kxs\"\nupdateflag \"7\""));
    // The flag stays after the run; the editors do not.
    QCOMPARE(MScriptScan::CurrentUpdateFlag(), qint16(7));
    QVERIFY(!MScriptScan::HasReadEditor());

    const std::optional<Failure> caught =
        FailureOf([&] { MScriptScan::RunScriptFile(WriteScript("delete \"Alt\"", "second.txt")); });
    QVERIFY(caught);
    QCOMPARE(caught->Number(), 91);
    QVERIFY(
        caught->Description().startsWith(m_prefix->filePath("second.txt, line 1 (delete): object not set")));
    QCOMPARE(MScriptScan::CurrentUpdateFlag(), qint16(3));

    QFile::remove(m_logFile);
    MScriptScan::RunScriptFile(
        WriteScript("set dbread \"A.kxs\"\nset dbwrite \"B.kxs\"\nupdategroup \"Q\" \"Z\""));
    QVERIFY(Log().contains(Message(B, "Updategroup", "QString:\"Z\", " + CopyOf("Q") + ", short:3")));
}

void tst_MScriptScan::fileThatCannotBeOpened_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << "fehlt.txt";
    QTest::newRow("folder") << "ordner";
}

void tst_MScriptScan::fileThatCannotBeOpened() {
    QFETCH(QString, name);
    QVERIFY(QDir(m_prefix->path()).mkpath(QStringLiteral("ordner")));
    const QString path = m_prefix->filePath(name);
    const std::optional<Failure> caught = FailureOf([&] { MScriptScan::RunScriptFile(path); });
    QVERIFY(caught);
    QCOMPARE(caught->Number(), 53);
    QVERIFY2(caught->Description().contains(QLatin1Char('"') + path + QLatin1Char('"')),
             qPrintable(caught->Description()));
}

void tst_MScriptScan::progressHookSeesCommandLines() {
    QStringList seen;
    MScriptScan::RunScriptFile(
        WriteScript("' remark\nset dbwrite \"B.kxs\"\n\r\nDELETE \"x\"\nset \"B.kxs\""),
        [&seen](qint64 line, qint64 lines, const QString& command) {
            seen << QStringLiteral("%1/%2 %3").arg(line).arg(lines).arg(command);
        });
    QCOMPARE(seen, QStringList({"0/5 ", "2/5 set", "4/5 delete", "5/5 set"}));
}

void tst_MScriptScan::menuCancelRunsNothing() {
    WriteScript("set dbwrite \"B.kxs\"\ndelete \"Alt\"");
    QString directory;
    QStringList filters;
    m_modals->Answer<QFileDialog>([&](QFileDialog* dialog) {
        directory = dialog->directory().absolutePath();
        filters = dialog->nameFilters();
        dialog->reject();
    });
    QWidget frame;
    MScriptScan::mnuExtra_Click(0, &frame);
    QCOMPARE(directory, QDir(QCoreApplication::applicationDirPath()).absolutePath());
    QCOMPARE(filters, QStringList{QStringLiteral("*.txt")});
    QCOMPARE(Log(), QStringList());
    QCOMPARE(m_boxes, QStringList());
}

void tst_MScriptScan::menuRunsTheChosenFile() {
    const QString path = WriteScript("set dbwrite \"B.kxs\"\ndelete \"Alt\"");
    m_modals->Answer<QFileDialog>([&](QFileDialog* dialog) { ChooseFile(dialog, path); });
    QWidget frame;
    MScriptScan::mnuExtra_Click(0, &frame);
    const QStringList calls = SetUp(B) + QStringList{Start(B), Disconnect(B)};
    QCOMPARE(Log(), calls.mid(0, 3) +
                        QStringList{Message(B, "Delete", "QString:\"<IndexGroups>\", QString:\"Alt\"")} +
                        calls.mid(3));
    QCOMPARE(m_boxes, QStringList());
    QVERIFY(!frame.findChild<ScriptProgressWindow*>());
}

void tst_MScriptScan::menuShowsAFailureAndStays() {
    TestComponents::Configure(m_logFile, {"Message Delete=index group \"Alt\" not found in B.kxs"});
    const QString path = WriteScript("set dbwrite \"B.kxs\"\ndelete \"Alt\"\ndelete \"Neu\"", "migrate.txt");
    m_modals->Answer<QFileDialog>([&](QFileDialog* dialog) { ChooseFile(dialog, path); });
    QWidget frame;
    MScriptScan::mnuExtra_Click(0, &frame);
    QCOMPARE(m_boxes, QStringList{"KestrixStudio - Script: 440: " + path +
                                  ", line 2 (delete): index group \"Alt\" not found in B.kxs"});
    QCOMPARE(Log().last(), Disconnect(B));
    QVERIFY(!MScriptScan::HasWriteEditor());
    QVERIFY(!frame.findChild<ScriptProgressWindow*>());
}

void tst_MScriptScan::menuOtherItemsDoNothing() {
    // A dialog shown here would be closed and listed as unanswered by the end of the test.
    QWidget frame;
    MScriptScan::mnuExtra_Click(1, &frame);
    QCOMPARE(Log(), QStringList());
}

void tst_MScriptScan::progressWindowShowsLineAndCommand() {
    QWidget frame;
    ScriptProgressWindow window(&frame, QStringLiteral("/tmp/migrate.txt"), 40);
    QVERIFY(window.isVisible());
    QVERIFY(window.isModal());
    QCOMPARE(window.windowTitle(), QStringLiteral("migrate.txt"));
    // The first update shows at once; the next ones only every so often.
    window.Update(17, QStringLiteral("copy"));
    window.Update(18, QStringLiteral("delete"));
    QCOMPARE(window.LineText(), QStringLiteral("17 / 40"));
    QCOMPARE(window.CommandText(), QStringLiteral("copy"));
    // Escape and the close box do not end it while the run goes on.
    QTest::keyClick(&window, Qt::Key_Escape);
    window.close();
    QVERIFY(window.isVisible());
}

QTEST_MAIN(tst_MScriptScan)
#include "tst_MScriptScan.moc"
