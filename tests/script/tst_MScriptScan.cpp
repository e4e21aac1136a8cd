#include "TestComponents.h"

#include "platform/windows/MessageBox.h"
#include "script/MScriptScan.h"
#include "script/ScriptProgressWindow.h"
#include "studio/Failure.h"

#include "common/TestSupport.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

using TestSupport::FailureOf;

namespace {

// The recording editor's log lines for the read side (A.kxs) and the write sides (B.kxs, C.kxs).
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
QString Group(const QString& name) {
    return QStringLiteral("QString:\"<IndexGroups>\", QString:\"%1\"").arg(name);
}
QString CopyOf(const QString& group) {
    return QStringLiteral("QByteArray:\"copy of %1 from A.kxs\"").arg(group);
}
QString Update(const QString& flag) {
    return Message("B.kxs", "Updategroup", "QString:\"Ziel\", " + CopyOf("Quelle") + ", short:" + flag);
}
const QString A = QStringLiteral("A.kxs");
const QString B = QStringLiteral("B.kxs");
const QString C = QStringLiteral("C.kxs");

// Answers the file dialog of a test with the file named (or cancels it for an empty name). Any
// other modal dialog, or one still open a second later, is closed and listed: the test fails,
// not hangs. The run's own progress window is left alone.
class FileDialogAnswer : public QObject {
public:
    explicit FileDialogAnswer(QString file) : m_file(std::move(file)) {
        connect(&m_timer, &QTimer::timeout, this, &FileDialogAnswer::Look);
        m_timer.start(10);
    }
    QString directory; // where the dialog opened
    QStringList unanswered;

private:
    void Look() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || qobject_cast<ScriptProgressWindow*>(modal))
            return;
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog && !m_answered) {
            m_answered = true;
            directory = dialog->directory().absolutePath();
            if (m_file.isEmpty())
                return dialog->reject();
            // Typed into the name field as a user does: selectFile would leave the field alone
            // once it has the focus, which it gets at a moment of its own.
            dialog->setDirectory(QFileInfo(m_file).absolutePath());
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QFileInfo(m_file).fileName());
            return static_cast<QDialog*>(dialog)->accept();
        }
        if (++m_waited < 100)
            return;
        unanswered << QString::fromLatin1(modal->metaObject()->className());
        modal->close();
        m_waited = 0;
    }

    QString m_file;
    QTimer m_timer;
    bool m_answered = false;
    int m_waited = 0;
};

} // namespace

class tst_MScriptScan : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSupport::TempPrefix> m_prefix;
    QString m_logFile;
    QStringList m_boxes;

    QString WriteScript(const QString& text, const QString& name = QStringLiteral("script.txt")) {
        QFile file(m_prefix->Work() + '/' + name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        file.write(text.toUtf8());
        return file.fileName();
    }
    QStringList Log() const { return TestComponents::ReadLog(m_logFile); }

private Q_SLOTS:
    // The file dialog remembers its history in the settings: keep them out of the user's.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init() {
        m_prefix = std::make_unique<TestSupport::TempPrefix>();
        QVERIFY(TestComponents::RegisterAll());
        m_logFile = m_prefix->Work() + QStringLiteral("/calls.log");
        TestComponents::Configure(m_logFile);
        m_boxes.clear();
        MessageBox::SetHook([this](const QString& text, const QString& title, MessageBox::Icon) {
            m_boxes << title + QStringLiteral(": ") + text;
        });
    }

    void cleanup() {
        MessageBox::SetHook({});
        MScriptScan::ReleaseEditors();
        for (QWidget* widget : QApplication::topLevelWidgets())
            QVERIFY2(!widget->isVisible(), widget->metaObject()->className());
        m_prefix.reset();
    }

    void scanScriptLine_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("param1");
        QTest::addColumn<QString>("param2");
        QTest::addColumn<int>("failure");
        const auto row = [](const char* name, const QString& line, const QString& command, const QString& one,
                            const QString& two, int failure = 0) {
            QTest::newRow(name) << line << command << one << two << failure;
        };
        // clang-format off
        row("tabs and spaces before COPY, names keep their case", "\t  \tCOPY \"Alarme K\u00f6\" \"Alarme NEU\"", "copy", "Alarme K\u00f6", "Alarme NEU");
        row("command word glued to its quote is no command", "copy\"A\" \"B\"", "", "", "");
        row("delete without closing quote takes the rest of the line", "delete \"Alarme 2 ", "delete", "Alarme 2 ", "");
        row("words between and after the arguments are ignored", "copy \"Quelle\" nach \"Ziel\" sofort", "copy", "Quelle", "Ziel");
        row("third quote never closed gives the rest as target", "rename \"Alt\" \"Neu und mehr", "rename", "Alt", "Neu und mehr");
        row("tabs inside an argument arrive as spaces", "addlanguage \"English\t(UK)\"", "addlanguage", "English (UK)", "");
        row("mixed-case command words", "UpdateGroup \"Q\" \"Z\"", "updategroup", "Q", "Z");
        row("set without selector", "set \"C:\\P\\A.kxs\"", "set", "", "");
        row("set with selector in capitals after the path", "set \"C:\\P\\A.kxs\" DBREAD", "set", "dbread", "C:\\P\\A.kxs");
        row("set with selector before the path", "Set\tprjwrite \"C:\\P\\B.kxs\"", "set", "prjwrite", "C:\\P\\B.kxs");
        row("selector standing alone inside the quoted path counts", "set \"C:\\my dbread files\\A.kxs\"", "set", "dbread", "C:\\my dbread files\\A.kxs");
        row("selector glued to a quote does not count", "set \"dbwrite\"", "set", "", "");
        row("first selector wins", "set dbwrite \"B.kxs\" dbread", "set", "dbwrite", "B.kxs");
        row("quoted number for updateflag is text", "updateflag \"2.5\"", "updateflag", "2.5", "");
        row("updateflag with an unquoted number fails", "updateflag 2.5", "updateflag", "", "", 9);
        row("set with selector and unquoted path fails", "set dbread C:\\P\\A.kxs", "set", "", "", 9);
        row("copy with only two quotes fails", "copy \"A\" B", "copy", "", "", 9);
        row("delete without quotes fails", "delete Alarme", "delete", "", "", 9);
        row("blank line", "  \t  ", "", "", "");
        row("remark with a command later on the line", "' copy \"A\" \"B\"", "", "", "");
        row("unknown command word", "move \"A\" \"B\"", "", "", "");
        row("command word as a prefix of a longer word", "copying \"A\" \"B\"", "", "", "");
        // clang-format on
    }

    void scanScriptLine() {
        QFETCH(QString, line);
        QFETCH(QString, command);
        QFETCH(int, failure);
        // Results from an earlier line must not survive.
        QString gotCommand = "old", got1 = "old", got2 = "old";
        const std::optional<Failure> caught =
            FailureOf([&] { MScriptScan::ScanScriptLine(line, gotCommand, got1, got2); });
        QCOMPARE(caught ? caught->Number() : 0, failure);
        QCOMPARE(gotCommand, command);
        if (caught) {
            QVERIFY2(caught->Description().contains('"' + command + '"'), qPrintable(caught->Description()));
            return;
        }
        QTEST(got1, "param1");
        QTEST(got2, "param2");
    }

    void commands_data() {
        QTest::addColumn<QStringList>("failures"); // injected into the component
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("description"); // of the failure, after the script's folder

        const QString sides = QStringLiteral("set dbread \"A.kxs\"\nset dbwrite \"B.kxs\"\n");
        const QStringList setUp = SetUp(A) + SetUp(B);
        const QStringList end{Disconnect(A), Disconnect(B)};
        const QString paste =
            ", QString:\"<IndexGroups>\", QString:\"Ziel\", bool:true, QString:\"\", short:0, bool:true";
        const QStringList copy{Start(A), Start(B), Message(A, "Copy", Group("Quelle")),
                               Message(B, "Paste", CopyOf("Quelle") + paste)};
        const QStringList copynonh{Start(A), Start(B), Message(A, "Copynonh", Group("Quelle"))};
        const QString updategroup = QStringLiteral("updategroup \"Quelle\" \"Ziel\"");

        QTest::newRow("copy starts both sides, copies and pastes")
            << QStringList() << sides + "copy \"Quelle\" \"Ziel\"" << setUp + copy + end << 0 << QString();
        QTest::newRow("copynonh copies without history and pastes the same")
            << QStringList() << sides + "copynonh \"Quelle\" \"Ziel\"" << setUp + copynonh + copy.mid(3) + end
            << 0 << QString();
        QTest::newRow("updategroup passes update flag 3 by default")
            << QStringList() << sides + updategroup << setUp + copynonh + QStringList{Update("3")} + end << 0
            << QString();
        // The number reading itself is Variant's; these rows check that the flag takes it rounded.
        for (const auto& [text, value] : {std::pair{"2.5", "2"}, {"3.5", "4"}, {"keine Zahl", "0"}})
            QTest::addRow("updateflag \"%s\" passes %s", text, value)
                << QStringList() << sides + "updateflag \"" + text + "\"\n" + updategroup
                << setUp + copynonh + QStringList{Update(value)} + end << 0 << QString();
        QTest::newRow("updateflag above 32767 overflows")
            << QStringList() << sides + "updateflag \"32767.5\"\n" + updategroup << setUp + end << 6
            << "script.txt, line 3 (updateflag): overflow: the update flag \"32767.5\" is outside "
               "-32768..32767";
        QTest::newRow("delete, addlanguage and rename need only the write side")
            << QStringList()
            << "set dbwrite \"B.kxs\"\ndelete \"Alt\"\naddlanguage \"en-GB\"\nrename \"Alt\" \"Neu\""
            << SetUp(B) + QStringList{Start(B),     Message(B, "Delete", Group("Alt")),
                                      Start(B),     Message(B, "AddLanguage", "QString:\"en-GB\""),
                                      Start(B),     Message(B, "Rename", "QString:\"Alt\", QString:\"Neu\""),
                                      Disconnect(B)}
            << 0 << QString();
        QTest::newRow("selecting the write side again disconnects the first before connecting")
            << QStringList() << "set dbwrite \"B.kxs\"\nset dbwrite \"C.kxs\"\ndelete \"Alt\""
            << SetUp(B) + QStringList{Disconnect(B)} + SetUp(C) +
                   QStringList{Start(C), Message(C, "Delete", Group("Alt")), Disconnect(C)}
            << 0 << QString();
        QTest::newRow("remarks, blank lines and set without a selector do nothing")
            << QStringList()
            << "' Migration\n\nREM copy \"A\" \"B\"\n   \t\n-- set dbread \"A.kxs\"\nset \"B.kxs\" nowhere"
            << QStringList() << 0 << QString();
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
                   QStringList{Start(B), Message(B, "Delete", Group("Eins")), Start(A), Start(B),
                               Message(A, "Copy", Group("Alarme")) + " failed"} +
                   end
            << 440 << "script.txt, line 4 (copy): index group \"Alarme\" not found in A.kxs";
        QTest::newRow("malformed line stops the run")
            << QStringList() << "set dbwrite \"B.kxs\"\nrename \"Alt\" Neu\ndelete \"Zwei\""
            << SetUp(B) + QStringList{Disconnect(B)} << 9
            << "script.txt, line 2 (rename): index out of range: \"rename\" takes two quoted names and needs "
               "at "
               "least 3 "
               "double quotes; the line has 2";
        QTest::newRow("side whose component cannot connect fails at its first start")
            << QStringList{"Connect=project file is locked"} << "set dbwrite \"B.kxs\"\ndelete \"Alt\""
            << QStringList{SetUp(B).first() + " failed", Start(B), Disconnect(B)} << 440
            << "script.txt, line 2 (delete): no project connected (connecting to \"B.kxs\" failed: project "
               "file "
               "is locked)";
    }

    void commands() {
        QFETCH(QStringList, failures);
        QFETCH(QString, script);
        QFETCH(int, failure);
        QFETCH(QString, description);
        TestComponents::Configure(m_logFile, failures);
        const QString path = WriteScript(script);
        const std::optional<Failure> caught = FailureOf([&] { MScriptScan::RunScriptFile(path); });
        QCOMPARE(caught ? caught->Number() : 0, failure);
        if (caught)
            QCOMPARE(caught->Description(), m_prefix->Work() + '/' + description);
        QTEST(Log(), "calls");
        QVERIFY(!MScriptScan::HasReadEditor());
        QVERIFY(!MScriptScan::HasWriteEditor());
    }

    // The flag set by one run stays after it but does not carry into the next, failed or not.
    void updateFlagStartsAt3InEachRun() {
        MScriptScan::RunScriptFile(
            WriteScript("set dbread \"A.kxs\"\nset dbwrite \"B.kxs\"\nupdateflag \"7\""));
        QCOMPARE(MScriptScan::CurrentUpdateFlag(), qint16(7));
        KX4_VERIFY_FAILURE(MScriptScan::RunScriptFile(WriteScript("delete \"Alt\"", "second.txt")), 91);
        QCOMPARE(MScriptScan::CurrentUpdateFlag(), qint16(3));
        MScriptScan::RunScriptFile(WriteScript("updateflag \"7\""));
        QFile::remove(m_logFile);
        MScriptScan::RunScriptFile(
            WriteScript("set dbread \"A.kxs\"\nset dbwrite \"B.kxs\"\nupdategroup \"Quelle\" \"Ziel\""));
        QVERIFY(Log().contains(Update("3")));
    }

    void fileThatCannotBeOpened() {
        const QString path = m_prefix->Work() + "/fehlt.txt";
        const std::optional<Failure> caught = FailureOf([&] { MScriptScan::RunScriptFile(path); });
        QVERIFY(caught);
        QCOMPARE(caught->Number(), 53);
        QVERIFY2(caught->Description().contains('"' + path + '"'), qPrintable(caught->Description()));
    }

    void progressHookSeesCommandLines() {
        QStringList seen;
        MScriptScan::RunScriptFile(
            WriteScript("' remark\nset dbwrite \"B.kxs\"\n\r\nDELETE \"x\"\nset \"B.kxs\""),
            [&seen](qint64 line, qint64 lines, const QString& command) {
                seen << QStringLiteral("%1/%2 %3").arg(line).arg(lines).arg(command);
            });
        QCOMPARE(seen, QStringList({"0/5 ", "2/5 set", "4/5 delete", "5/5 set"}));
    }

    // Extras > Script asks for a file in the program's folder and runs it; a failure shows one box
    // and leaves the frame as it was. Other items do nothing.
    void extrasMenu_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("file"); // chosen in the dialog, empty: cancelled
        QTest::addColumn<QStringList>("failures");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("boxes");
        const QStringList run = SetUp(B) + QStringList{Start(B), Message(B, "Delete", Group("Alt"))};
        // clang-format off
        QTest::newRow("cancel runs nothing")   << 0 << "" << QStringList() << QStringList() << QStringList();
        QTest::newRow("runs the chosen file")  << 0 << "migrate.txt" << QStringList() << run + QStringList{Start(B), Message(B, "Delete", Group("Neu")), Disconnect(B)} << QStringList();
        QTest::newRow("a failure shows a box") << 0 << "migrate.txt" << QStringList{"Message Delete=index group \"Alt\" not found in B.kxs"}
                                               << run.mid(0, 3) + QStringList{run.last() + " failed", Disconnect(B)}
                                               << QStringList{"KestrixStudio - Script: 440: SCRIPT, line 2 (delete): index group \"Alt\" not found in B.kxs"};
        QTest::newRow("other items do nothing") << 1 << "" << QStringList() << QStringList() << QStringList();
        // clang-format on
    }

    void extrasMenu() {
        QFETCH(int, item);
        QFETCH(QString, file);
        QFETCH(QStringList, failures);
        QFETCH(QStringList, boxes);
        TestComponents::Configure(m_logFile, failures);
        const QString path =
            WriteScript("set dbwrite \"B.kxs\"\ndelete \"Alt\"\ndelete \"Neu\"", "migrate.txt");
        FileDialogAnswer answer(file.isEmpty() ? QString() : path);
        QWidget frame;
        MScriptScan::mnuExtra_Click(item, &frame);
        QCOMPARE(answer.unanswered, QStringList());
        QCOMPARE(answer.directory,
                 item == 0 ? QDir(QCoreApplication::applicationDirPath()).absolutePath() : QString());
        QTEST(Log(), "calls");
        QCOMPARE(m_boxes, boxes.replaceInStrings("SCRIPT", path));
        QVERIFY(!MScriptScan::HasWriteEditor());
        QVERIFY(!frame.findChild<ScriptProgressWindow*>());
    }

    void progressWindowShowsLineAndCommand() {
        QWidget frame;
        ScriptProgressWindow window(&frame, QStringLiteral("/tmp/migrate.txt"), 40);
        QVERIFY(window.isVisible() && window.isModal());
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
};

QTEST_MAIN(tst_MScriptScan)
#include "tst_MScriptScan.moc"
