#include "TestComponents.h"

#include "platform/windows/MessageBox.h"
#include "script/MScriptScan.h"
#include "script/ScriptDecoding.h"
#include "script/ScriptFileReader.h"
#include "script/ScriptProgressWindow.h"
#include "studio/Failure.h"

#include "common/TestSupport.h"

#include <QApplication>
#include <QBuffer>
#include <QFileDialog>
#include <QLineEdit>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTimer>

using ScriptDecoding::Encoding;
using TestSupport::FailureOf;
Q_DECLARE_METATYPE(ScriptDecoding::Encoding)

namespace {

QByteArray Encoded(const QString& text, QStringConverter::Encoding encoding, bool mark) {
    QStringEncoder encoder(encoding,
                           mark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder.encode(text);
}

// What a reading gave, in one text: the refusal, or the encoding, the line count and the lines.
QString Reading(const QString& refused, Encoding encoding, qint64 lineCount, const QStringList& lines) {
    if (!refused.isEmpty())
        return refused;
    return QStringLiteral("%1, %2 lines: ").arg(int(encoding)).arg(lineCount) + lines.join(QLatin1Char('|'));
}

// A device whose seeks and reads fail once the given number of them succeeded.
class FailingBuffer : public QBuffer {
public:
    FailingBuffer(const QByteArray& bytes, int seeks, int reads) : m_seeks(seeks), m_reads(reads) {
        setData(bytes);
        open(QIODevice::ReadOnly);
    }
    bool seek(qint64 pos) override { return m_seeks-- > 0 ? QBuffer::seek(pos) : Gone(); }

protected:
    qint64 readData(char* data, qint64 size) override {
        return m_reads-- > 0 ? QBuffer::readData(data, size) : (Gone(), -1);
    }

private:
    bool Gone() {
        setErrorString(QStringLiteral("disk gone"));
        return false;
    }
    int m_seeks, m_reads;
};

QString Streamed(ScriptFileReader&& reader) {
    if (!reader.Open())
        return reader.Refused() ? reader.Refused()->Text() : "cannot open: " + reader.ErrorString();
    QStringList lines;
    QString line;
    while (reader.ReadLine(line))
        lines << line;
    const QString failed =
        reader.ErrorString().isEmpty() ? QString() : "failed while reading: " + reader.ErrorString();
    return Reading(failed, reader.FileEncoding(), reader.LineCount(), lines);
}

QString Whole(const QByteArray& bytes) {
    const ScriptDecoding::WholeScript whole = ScriptDecoding::DecodeWhole(bytes);
    return Reading(whole.settled.refusal ? whole.settled.refusal->Text() : QString(), whole.settled.encoding,
                   whole.settled.lineCount, whole.lines);
}

// The recording editor's log lines: the read side is A.kxs, the write sides B.kxs and C.kxs.
const QString A = QStringLiteral("A.kxs"), B = QStringLiteral("B.kxs"), C = QStringLiteral("C.kxs");
QStringList SetUp(const QString& p) {
    return {p + ": Connect(QString:\"" + p + "\", QString:\"\", null, null)", p + ": Startup()"};
}
QString Start(const QString& p) { return p + ": StartEditor(QString:\"\", QString:\"IDX0\", QString:\"\")"; }
QString Disconnect(const QString& p) { return p + ": Disconnect()"; }
QString Message(const QString& p, const QString& command, const QString& params) {
    return p + ": Message(QString:\"GLOBAL\", QString:\"" + command + "\", QVariantList[" + params + "])";
}
QString Group(const QString& name) { return "QString:\"<IndexGroups>\", QString:\"" + name + "\""; }
QString CopyOf(const QString& group) { return "QByteArray:\"copy of " + group + " from A.kxs\""; }
QString Update(const QString& flag) {
    return Message(B, "Updategroup", "QString:\"Ziel\", " + CopyOf("Quelle") + ", short:" + flag);
}

} // namespace

class tst_MScriptScan : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSupport::TempPrefix> m_prefix;
    QString m_logFile;
    QStringList m_boxes;

    QString WriteScript(const QByteArray& bytes, const QString& name = QStringLiteral("script.txt")) {
        const QString path = m_prefix->Work() + '/' + name;
        return TestSupport::WriteFile(path, bytes) ? path : QString();
    }
    QStringList Log() const { return TestSupport::ReadLines(m_logFile); }

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
        row("delete without closing quote takes the rest of the line", "delete \"Alarme 2 ", "delete", "Alarme 2 ", "");
        row("set without selector", "set \"C:\\P\\A.kxs\"", "set", "", "");
        row("set with selector in capitals after the path", "set \"C:\\P\\A.kxs\" DBREAD", "set", "dbread", "C:\\P\\A.kxs");
        row("selector glued to a quote does not count", "set \"dbwrite\"", "set", "", "");
        row("first selector wins", "set dbwrite \"B.kxs\" dbread", "set", "dbwrite", "B.kxs");
        row("updateflag with an unquoted number fails", "updateflag 2.5", "updateflag", "", "", 9);
        row("set with selector and unquoted path fails", "set dbread C:\\P\\A.kxs", "set", "", "", 9);
        row("copy with only two quotes fails", "copy \"A\" B", "copy", "", "", 9);
        row("command word as a prefix of a longer word", "copying \"A\" \"B\"", "", "", "");
        // clang-format on
    }
    void scanScriptLine() {
        QFETCH(QString, line);
        QFETCH(QString, command);
        QFETCH(int, failure);
        QString gotCommand = "old", got1 = "old", got2 = "old"; // results of an earlier line must not survive
        const std::optional<Failure> caught =
            FailureOf([&] { MScriptScan::ScanScriptLine(line, gotCommand, got1, got2); });
        QCOMPARE(caught ? caught->Number() : 0, failure);
        QCOMPARE(gotCommand, command);
        const QString description = caught ? caught->Description() : QString(); // the message is always built
        QVERIFY2(description.isEmpty() || description.contains('"' + command + '"'), qPrintable(description));
        QTEST(caught ? "" : got1, "param1");
        QTEST(caught ? "" : got2, "param2");
    }

    // A run's calls to the editor components and its failure: which, where, and that every
    // side is disconnected after it.
    void commands_data() {
        QTest::addColumn<QStringList>("failures"); // injected into the component
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("description"); // of the failure, after the script's folder
        const QString sides = "set dbread \"A.kxs\"\nset dbwrite \"B.kxs\"\n";
        const QStringList setUp = SetUp(A) + SetUp(B), end{Disconnect(A), Disconnect(B)};
        const QString paste =
            ", QString:\"<IndexGroups>\", QString:\"Ziel\", bool:true, QString:\"\", short:0, bool:true";
        const QStringList copy{Start(A), Start(B), Message(A, "Copy", Group("Quelle")),
                               Message(B, "Paste", CopyOf("Quelle") + paste)};
        const QStringList copynonh{Start(A), Start(B), Message(A, "Copynonh", Group("Quelle"))};
        const QString update = "updategroup \"Quelle\" \"Ziel\"";
        // clang-format off
        QTest::newRow("copy starts both sides, copies and pastes") << QStringList() << sides + "copy \"Quelle\" \"Ziel\"" << setUp + copy + end << 0 << "";
        QTest::newRow("copynonh copies without history; prjread and prjwrite select the sides") << QStringList()
            << "set prjread \"A.kxs\"\nset prjwrite \"B.kxs\"\ncopynonh \"Quelle\" \"Ziel\"" << setUp + copynonh + copy.mid(3) + end << 0 << "";
        QTest::newRow("updategroup passes update flag 3 by default") << QStringList() << sides + update << setUp + copynonh + QStringList{Update("3")} + end << 0 << "";
        // The number reading itself is Variant's; these rows check that the flag takes it rounded.
        for (const auto& [text, value] : {std::pair{"2.5", "2"}, {"3.5", "4"}, {"keine Zahl", "0"}})
            QTest::addRow("updateflag \"%s\" passes %s", text, value) << QStringList()
                << sides + "updateflag \"" + text + "\"\n" + update << setUp + copynonh + QStringList{Update(value)} + end << 0 << "";
        QTest::newRow("delete, addlanguage and rename need only the write side") << QStringList()
            << "set dbwrite \"B.kxs\"\ndelete \"Alt\"\naddlanguage \"en-GB\"\nrename \"Alt\" \"Neu\""
            << SetUp(B) + QStringList{Start(B), Message(B, "Delete", Group("Alt")), Start(B), Message(B, "AddLanguage", "QString:\"en-GB\""),
                                      Start(B), Message(B, "Rename", "QString:\"Alt\", QString:\"Neu\""), Disconnect(B)} << 0 << "";
        QTest::newRow("selecting the write side again disconnects the first before connecting") << QStringList()
            << "set dbwrite \"B.kxs\"\nset dbwrite \"C.kxs\"\ndelete \"Alt\""
            << SetUp(B) + QStringList{Disconnect(B)} + SetUp(C) + QStringList{Start(C), Message(C, "Delete", Group("Alt")), Disconnect(C)} << 0 << "";
        QTest::newRow("copy as the first line fails before any message") << QStringList() << "copy \"Quelle\" \"Ziel\"" << QStringList() << 91 << "script.txt, line 1 (copy): object not set: no read side selected (no \"set\" line with \"dbread\" or \"prjread\" before)";
        QTest::newRow("copy without a write side fails after starting the read side") << QStringList()
            << "set dbread \"A.kxs\"\n\ncopy \"Quelle\" \"Ziel\"" << SetUp(A) + QStringList{Start(A), Disconnect(A)}
            << 91 << "script.txt, line 3 (copy): object not set: no write side selected (no \"set\" line with \"dbwrite\" or \"prjwrite\" before)";
        QTest::newRow("failing copy stops the run, keeps its number and disconnects both")
            << QStringList{"Message Copy=index group \"Alarme\" not found in A.kxs"} << sides + "delete \"Eins\"\ncopy \"Alarme\" \"Ziel\"\ndelete \"Zwei\""
            << setUp + QStringList{Start(B), Message(B, "Delete", Group("Eins")), Start(A), Start(B), Message(A, "Copy", Group("Alarme")) + " failed"} + end
            << 440 << "script.txt, line 4 (copy): index group \"Alarme\" not found in A.kxs";
        QTest::newRow("update flag outside 16 bits") << QStringList() << "updateflag \"40000\"" << QStringList()
            << 6 << "script.txt, line 1 (updateflag): overflow: the update flag \"40000\" is outside -32768..32767";
        QTest::newRow("refused file runs nothing") << QStringList() << u"\uFEFFset dbwrite \"B.kxs\"\n"_qs + QChar(0) << QStringList()
            << 5 << "script.txt, line 2, column 1: NUL character";
        // clang-format on
    }
    void commands() {
        QFETCH(QStringList, failures);
        QFETCH(QString, script);
        QFETCH(QString, description);
        TestComponents::Configure(m_logFile, failures);
        const QString path = WriteScript(script.toUtf8());
        const std::optional<Failure> caught = FailureOf([&] { MScriptScan::RunScriptFile(path); });
        QTEST(caught ? caught->Number() : 0, "failure");
        QCOMPARE(caught ? caught->Description() : QString(),
                 caught ? m_prefix->Work() + '/' + description : "");
        QTEST(Log(), "calls");
        QVERIFY(!MScriptScan::HasReadEditor() && !MScriptScan::HasWriteEditor());
    }

    // The flag set by one run stays after it but does not carry into the next, failed or not.
    void updateFlagStartsAt3InEachRun() {
        MScriptScan::RunScriptFile(WriteScript("updateflag \"7\""));
        QCOMPARE(MScriptScan::CurrentUpdateFlag(), qint16(7));
        // The second run fails when its file turns into refused bytes after it was settled.
        const QString second = WriteScript("delete \"Alt\"", "second.txt");
        const auto caught = FailureOf([&] {
            MScriptScan::RunScriptFile(
                second, [&](qint64, qint64, const QString&) { WriteScript("' \xFF", "second.txt"); });
        });
        QCOMPARE(caught ? caught->Description() : QString(),
                 second + ", line 1, column 3: byte 0xFF is not UTF-8 (the file changed while it ran)");
        QCOMPARE(MScriptScan::CurrentUpdateFlag(), qint16(3));
    }

    // Extras > Script asks for a file in the program's folder and runs it; a failure shows one
    // box and leaves the frame as it was.
    void extrasMenu() {
        for (bool chosen : {false, true}) { // cancelled, or the script chosen
            TestComponents::Configure(m_logFile, {"Message Delete=index group \"Alt\" not found in B.kxs"});
            const QString path =
                WriteScript("set dbwrite \"B.kxs\"\ndelete \"Alt\"\ndelete \"Neu\"", "migrate.txt");
            // The file's name typed into the dialog as a user does: selectFile would leave the name
            // field alone once it has the focus, which it gets at a moment of its own.
            QString directory;
            QObject answer; // the answer goes with the test
            QTimer::singleShot(0, &answer, [&] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (!dialog)
                    return;
                directory = dialog->directory().absolutePath();
                dialog->setDirectory(QFileInfo(path).absolutePath());
                dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QFileInfo(path).fileName());
                chosen ? static_cast<QDialog*>(dialog)->accept() : dialog->reject();
            });
            QWidget frame;
            MScriptScan::mnuExtra_Click(0, &frame);
            QCOMPARE(directory, QDir(QCoreApplication::applicationDirPath()).absolutePath());
            QCOMPARE(Log().filter("Delete").size(), int(chosen)); // the run stops at the failure
            const QString failing = "KestrixStudio - Script: 440: " + path +
                                    ", line 2 (delete): index group \"Alt\" not found in B.kxs";
            QCOMPARE(m_boxes, chosen ? QStringList{failing} : QStringList());
            QVERIFY(!frame.findChild<ScriptProgressWindow*>());
        }
    }
    void cannotOpen() {
        for (const QString& name : {QString(), m_prefix->Work() + "/missing.txt", m_prefix->Work(),
                                    QStringLiteral("/dev/stdin")}) { // a pipe cannot be read twice
            ScriptFileReader reader(name);
            QString line;
            QVERIFY2(!reader.Open() && !reader.ErrorString().isEmpty() && !reader.Refused() &&
                         !reader.ReadLine(line),
                     qPrintable(name));
        }
    }
    // A device failing to seek or read while the encoding is settled fails Open; later, the reading.
    void deviceFails() {
        const QByteArray plain = "a\nb\nc", marked = "\xEF\xBB\xBF" + plain;
        const QString open = QStringLiteral("cannot open: disk gone"),
                      read = "failed while reading: disk gone";
        for (const auto& [bytes, seeks, reads, expected] : {std::tuple{plain, 0, 99, open},
                                                            {plain, 1, 99, open},
                                                            {plain, 2, 99, open},
                                                            {plain, 9, 1, open},
                                                            {marked, 9, 1, open},
                                                            {plain, 9, 6, read}}) {
            FailingBuffer device(bytes, seeks, reads);
            QCOMPARE(Streamed(ScriptFileReader(device, 2)), expected);
        }
    }
    // The progress window stays up while its run goes on: Escape and closing do not hide it.
    void progressWindowStays() {
        QWidget frame;
        ScriptProgressWindow window(&frame, QStringLiteral("/x/run.txt"), 0);
        window.Update(2, QStringLiteral("copy"));
        window.reject();
        window.close();
        QVERIFY(window.isVisible());
        QCOMPARE(window.LineText() + ' ' + window.CommandText(), QStringLiteral("2 / 0 copy"));
    }

    void decodes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<Encoding>("encoding");
        QTest::addColumn<QString>("refused"); // the refusal's text, or empty
        const auto row = [](const char* name, const QByteArray& bytes, const QStringList& lines,
                            Encoding encoding, const QString& refused = QString()) {
            QTest::newRow(name) << bytes << lines << encoding << refused;
        };
        const auto refuse = [&row](const char* name, const QByteArray& bytes, const QString& refused) {
            row(name, bytes, {}, Encoding::Utf8, refused);
        };
        const QString mixed = QStringLiteral(" (a file mixing UTF-8 and Windows-1252 is refused)");
        const QString text = QStringLiteral("copy \"St\u00f6rungen\" \"\u00c4nderungen \u20ac\"");
        const QString emoji = QStringLiteral("\U0001F600");
        // clang-format off
        row("empty file", "", {}, Encoding::Utf8);
        row("CR LF, LF and lone CR line ends, last line without one", "a\r\nb\nc\rd\ne", {"a", "b", "c", "d", "e"}, Encoding::Utf8);
        row("CR before CR LF ends two lines", "a\r\r\nb", {"a", "", "b"}, Encoding::Utf8);
        row("UTF-8 without mark", (text + emoji).toUtf8() + "\n", {text + emoji}, Encoding::Utf8);
        row("UTF-8 with mark", Encoded(text + "\r\nx", QStringConverter::Utf8, true), {text, "x"}, Encoding::Utf8);
        row("UTF-16 LE with mark", Encoded(text + "\r\nx\ry", QStringConverter::Utf16LE, true), {text, "x", "y"}, Encoding::Utf16LE);
        row("UTF-16 BE with mark", Encoded(text, QStringConverter::Utf16BE, true), {text}, Encoding::Utf16BE);
        row("UTF-16 LE without mark", Encoded(text + "\r\n" + emoji, QStringConverter::Utf16LE, false), {text, emoji}, Encoding::Utf16LE);
        row("UTF-16 BE without mark", Encoded(text + "\nx\n", QStringConverter::Utf16BE, false), {text, "x"}, Encoding::Utf16BE);
        row("legacy Windows-1252 file: umlauts, euro and quotes", "copy \"St\xF6rungen\" \"\xC4nderungen \x80\"\r\n\x84z\x93",
            {text, QStringLiteral("\u201Ez\u201C")}, Encoding::Windows1252);
        row("legacy file keeps unassigned Windows-1252 bytes as their code", "\x81\x8D\x8F\x90\x9D",
            {QStringLiteral("\u0081\u008D\u008F\u0090\u009D")}, Encoding::Windows1252);
        row("legacy file ending in a cut UTF-8 lead byte", "ab\xC3", {"ab\u00C3"}, Encoding::Windows1252);
        refuse("stray byte in a UTF-8 file, even in a remark", "copy \"G2\" \"M\xC3\xBCller\"\r\n' caf\xE9\r\n",
               "line 2, column 6: byte 0xE9 starts an incomplete UTF-8 sequence, though line 1 is UTF-8" + mixed);
        refuse("stray byte after UTF-8 on the same line", "\xC3\xA4 \xE9", "line 1, column 4: byte 0xE9 starts an incomplete UTF-8 sequence, though line 1 is UTF-8" + mixed);
        refuse("UTF-8 after a Windows-1252 line", "' \xE4lter\nneu \xC3\xA4\n", "line 2, column 5: a UTF-8 sequence, though line 1 is not UTF-8" + mixed);
        refuse("invalid byte under a UTF-8 mark", "\xEF\xBB\xBF\xC3\xA4\nrename \"a\" \"b\xFC\"", "line 2, column 14: byte 0xFC is not UTF-8");
        refuse("encoded surrogate under a UTF-8 mark", "\xEF\xBB\xBF\r\na\xED\xA0\x80", "line 2, column 2: byte 0xED starts an incomplete UTF-8 sequence");
        refuse("sequence cut by the end under a UTF-8 mark", "\xEF\xBB\xBF\xE2\x82", "line 1, column 1: byte 0xE2 starts an incomplete UTF-8 sequence");
        refuse("NUL character under a UTF-8 mark", QByteArray("\xEF\xBB\xBFok\n\nx\0", 9), "line 3, column 2: NUL character");
        refuse("unpaired surrogate in UTF-16 LE", QByteArray("\xFF\xFE" "a\0\n\0b\0\x00\xD8" "c\0", 12), "line 2, column 3: unpaired UTF-16 surrogate 0xD800");
        refuse("UTF-16 ending in a high surrogate", QByteArray("\xFF\xFE" "a\0\x00\xD8", 6), "line 1, column 3: unpaired UTF-16 surrogate 0xD800");
        refuse("lone low surrogate in UTF-16", QByteArray("\xFF\xFE" "\x00\xDC", 4), "line 1, column 1: unpaired UTF-16 surrogate 0xDC00");
        refuse("UTF-16 cut after an odd byte", QByteArray("\xFE\xFF\0a\0b\0", 7), "line 1, column 5: the file ends in the middle of a UTF-16 character");
        refuse("NUL bytes in a file that is no UTF-16", QByteArray("copy \"a\"\0 \"b\"\n", 15), "line 1, column 9: NUL byte in a file that is no UTF-16 text");
        // clang-format on
    }

    // The streaming reader and the whole-file decode each give what the row expects; the reader
    // in pieces of one and three bytes, which meet every border a character can have.
    void decodes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QFETCH(Encoding, encoding);
        QFETCH(QString, refused);

        const QString expected = Reading(refused, encoding, lines.size(), lines);
        QBuffer buffer(&bytes);
        QCOMPARE(Streamed(ScriptFileReader(buffer, 1)), expected);
        QCOMPARE(Streamed(ScriptFileReader(buffer, 3)), expected);
        QCOMPARE(Whole(bytes), expected);
    }
};

QTEST_MAIN(tst_MScriptScan)
#include "tst_MScriptScan.moc"
