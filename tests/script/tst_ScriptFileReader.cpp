#include "script/ScriptFileReader.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using Encoding = ScriptFileReader::Encoding;
Q_DECLARE_METATYPE(ScriptFileReader::Encoding)

namespace {

QByteArray Utf16(const QString& text, QStringConverter::Encoding encoding) {
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

} // namespace

class tst_ScriptFileReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void readsLines_data();
    void readsLines();
    void cannotOpen_data();
    void cannotOpen();

private:
    QTemporaryDir m_dir;
};

void tst_ScriptFileReader::readsLines_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<Encoding>("encoding");

    const QString umlauts = QStringLiteral("copy \"St\u00f6rungen\" \"\u00c4nderungen \u20ac\"");
    QTest::newRow("empty file") << QByteArray() << QStringList() << Encoding::Utf8;
    QTest::newRow("only a byte-order mark") << QByteArray("\xEF\xBB\xBF") << QStringList() << Encoding::Utf8;
    QTest::newRow("LF line ends, last line without one")
        << QByteArray("set dbread \"a\"\ndelete \"x\"") << QStringList{"set dbread \"a\"", "delete \"x\""}
        << Encoding::Utf8;
    QTest::newRow("CR LF line ends") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"} << Encoding::Utf8;
    QTest::newRow("lone CR line ends")
        << QByteArray("a\rb\rc") << QStringList{"a", "b", "c"} << Encoding::Utf8;
    QTest::newRow("mixed line ends") << QByteArray("a\r\nb\nc\rd\n") << QStringList{"a", "b", "c", "d"}
                                     << Encoding::Utf8;
    QTest::newRow("CR before CR LF ends two lines")
        << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"} << Encoding::Utf8;
    QTest::newRow("LF CR ends two lines")
        << QByteArray("a\n\rb") << QStringList{"a", "", "b"} << Encoding::Utf8;
    QTest::newRow("blank lines kept")
        << QByteArray("a\n\n\nb\n") << QStringList{"a", "", "", "b"} << Encoding::Utf8;
    QTest::newRow("file of one line end") << QByteArray("\r\n") << QStringList{""} << Encoding::Utf8;
    QTest::newRow("UTF-8 without mark") << umlauts.toUtf8() + "\n" << QStringList{umlauts} << Encoding::Utf8;
    QTest::newRow("UTF-8 with mark") << "\xEF\xBB\xBF" + umlauts.toUtf8() + "\r\nx"
                                     << QStringList{umlauts, "x"} << Encoding::Utf8;
    QTest::newRow("UTF-16 LE with mark") << Utf16(umlauts + "\r\nx\ry", QStringConverter::Utf16LE)
                                         << QStringList{umlauts, "x", "y"} << Encoding::Utf16LE;
    QTest::newRow("UTF-16 BE with mark") << Utf16(umlauts + "\nx\n", QStringConverter::Utf16BE)
                                         << QStringList{umlauts, "x"} << Encoding::Utf16BE;
    QTest::newRow("UTF-16 cut after an odd byte shows the loss")
        << Utf16(QStringLiteral("ab"), QStringConverter::Utf16LE) + "c"
        << QStringList{QStringLiteral("ab\uFFFD")} << Encoding::Utf16LE;
    QTest::newRow("Windows-1252 umlauts, euro and quotes")
        << QByteArray("copy \"St\xF6rungen\" \"\xC4nderungen \x80\"\r\n\x84z\x93")
        << QStringList{umlauts, QStringLiteral("\u201Ez\u201C")} << Encoding::Windows1252;
    QTest::newRow("one invalid byte late makes the whole file Windows-1252")
        << QByteArray("\xC3\xA4 first\n") + QByteArray(100000, 'x') + "\n\xE4"
        << QStringList{QStringLiteral("\u00C3\u00A4 first"), QString(100000, u'x'), QStringLiteral("\u00E4")}
        << Encoding::Windows1252;
    QTest::newRow("UTF-8 cut off at the end is Windows-1252")
        << QByteArray("ab\xC3") << QStringList{"ab\u00C3"} << Encoding::Windows1252;
    QTest::newRow("unassigned Windows-1252 bytes keep their code")
        << QByteArray("\x81\x8D\x8F\x90\x9D") << QStringList{QStringLiteral("\u0081\u008D\u008F\u0090\u009D")}
        << Encoding::Windows1252;

    // Reading goes in chunks of 64 KiB: what straddles a chunk border must come out whole.
    const int chunk = 64 * 1024;
    QTest::newRow("CR LF split by a chunk border")
        << QByteArray(chunk - 1, 'a') + "\r\nb" << QStringList{QString(chunk - 1, u'a'), "b"}
        << Encoding::Utf8;
    QTest::newRow("lone CR at a chunk border")
        << QByteArray(chunk - 1, 'a') + "\rb" << QStringList{QString(chunk - 1, u'a'), "b"} << Encoding::Utf8;
    QTest::newRow("UTF-8 character split by a chunk border")
        << QByteArray(chunk - 1, 'a') + "\xC3\xB6\n"
        << QStringList{QString(chunk - 1, u'a') + u'\u00f6'} << Encoding::Utf8;
    QTest::newRow("line longer than several chunks")
        << QByteArray(5 * chunk + 7, 'z') + "\nend" << QStringList{QString(5 * chunk + 7, u'z'), "end"}
        << Encoding::Utf8;
}

void tst_ScriptFileReader::readsLines() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QFETCH(Encoding, encoding);

    const QString path = m_dir.filePath(QStringLiteral("script.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();

    ScriptFileReader reader(path);
    QVERIFY2(reader.Open(), qPrintable(reader.ErrorString()));
    QCOMPARE(reader.FileEncoding(), encoding);
    QStringList read;
    QString line;
    while (reader.ReadLine(line))
        read << line;
    QCOMPARE(reader.ErrorString(), QString());
    QCOMPARE(read, lines);
    QVERIFY(!reader.ReadLine(line));
    QCOMPARE(ScriptFileReader::CountLines(path), qint64(lines.size()));
}

void tst_ScriptFileReader::cannotOpen_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << "missing.txt";
    QTest::newRow("folder") << ".";
}

void tst_ScriptFileReader::cannotOpen() {
    QFETCH(QString, name);
    ScriptFileReader reader(m_dir.filePath(name));
    QVERIFY(!reader.Open());
    QVERIFY(!reader.ErrorString().isEmpty());
    QCOMPARE(ScriptFileReader::CountLines(m_dir.filePath(name)), qint64(-1));
}

QTEST_GUILESS_MAIN(tst_ScriptFileReader)
#include "tst_ScriptFileReader.moc"
