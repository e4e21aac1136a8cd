#include "script/ScriptDecoding.h"
#include "script/ScriptFileReader.h"

#include <QBuffer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using ScriptDecoding::Encoding;
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

QString Streamed(ScriptFileReader&& reader) {
    if (!reader.Open())
        return reader.Refused() ? reader.Refused()->Text() : QStringLiteral("cannot open");
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

} // namespace

class tst_ScriptFileReader : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Write(const QByteArray& bytes) {
        QFile file(m_dir.filePath(QStringLiteral("script.txt")));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? file.fileName()
                                                                                    : QString();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
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
        row("only a byte-order mark", "\xEF\xBB\xBF", {}, Encoding::Utf8);
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
        refuse("UTF-8 after a Windows-1252 line", "' \xE4lter\nneu \xC3\xA4\n", "line 2, column 5: a UTF-8 sequence, though line 1 is not UTF-8" + mixed);
        refuse("invalid byte under a UTF-8 mark", "\xEF\xBB\xBF\xC3\xA4\nrename \"a\" \"b\xFC\"", "line 2, column 14: byte 0xFC is not UTF-8");
        refuse("overlong form under a UTF-8 mark", "\xEF\xBB\xBF\xC0\xAF", "line 1, column 1: byte 0xC0 is not UTF-8");
        refuse("encoded surrogate under a UTF-8 mark", "\xEF\xBB\xBF\r\na\xED\xA0\x80", "line 2, column 2: byte 0xED starts an incomplete UTF-8 sequence");
        refuse("sequence cut by the end under a UTF-8 mark", "\xEF\xBB\xBF\xE2\x82", "line 1, column 1: byte 0xE2 starts an incomplete UTF-8 sequence");
        refuse("NUL character under a UTF-8 mark", QByteArray("\xEF\xBB\xBFok\n\nx\0", 9), "line 3, column 2: NUL character");
        refuse("unpaired surrogate in UTF-16 LE", QByteArray("\xFF\xFE" "a\0\n\0b\0\x00\xD8" "c\0", 12), "line 2, column 3: unpaired UTF-16 surrogate 0xD800");
        refuse("UTF-16 cut after an odd byte", QByteArray("\xFE\xFF\0a\0b\0", 7), "line 1, column 5: the file ends in the middle of a UTF-16 character");
        refuse("NUL bytes in a file that is no UTF-16", QByteArray("copy \"a\"\0 \"b\"\n", 15), "line 1, column 9: NUL byte in a file that is no UTF-16 text");
        // clang-format on
    }

    // The streaming reader and the whole-file decode each give what the row expects; the reader
    // also in pieces of one and three bytes, which meet every border a character can have.
    void decodes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QFETCH(Encoding, encoding);
        QFETCH(QString, refused);

        const QString expected = Reading(refused, encoding, lines.size(), lines);
        QBuffer buffer(&bytes);
        QCOMPARE(Streamed(ScriptFileReader(Write(bytes))), expected);
        QCOMPARE(Streamed(ScriptFileReader(buffer, 1)), expected);
        QCOMPARE(Streamed(ScriptFileReader(buffer, 3)), expected);
        QCOMPARE(Whole(bytes), expected);
    }

    void cannotOpen_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing file") << "missing.txt";
        QTest::newRow("folder") << ".";
        QTest::newRow("pipe, which cannot be read twice") << "/dev/stdin";
    }

    void cannotOpen() {
        QFETCH(QString, name);
        ScriptFileReader reader(QDir(m_dir.path()).absoluteFilePath(name));
        QVERIFY(!reader.Open());
        QVERIFY(!reader.ErrorString().isEmpty());
        QVERIFY(!reader.Refused());
    }
};

QTEST_GUILESS_MAIN(tst_ScriptFileReader)
#include "tst_ScriptFileReader.moc"
