#include "platform/registry/RegFile.h"
#include "platform/registry/RegFileReader.h"
#include "platform/registry/RegFileWriter.h"
#include "platform/registry/Registry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(RegFileEntry)

class tst_RegFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void parse_data();
    void parse();
    void roundTrip_data();
    void roundTrip();
    void roundTripTree();
    void regedit4RefusesWhatItCannotHold();
    void malformed_data();
    void malformed();
    void importSpansBothHives();
    void importRefusedByReadOnlyHiveChangesNeither();

private:
    QString WriteFile(const QString& name, const QByteArray& bytes);
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

const QByteArray V5 = "Windows Registry Editor Version 5.00\r\n\r\n";
const QByteArray V4 = "REGEDIT4\r\n\r\n";

QByteArray Utf16(const QString& text) {
    QByteArray bytes("\xff\xfe", 2);
    for (const QChar c : text) {
        bytes += char(c.unicode() & 0xff);
        bytes += char(c.unicode() >> 8);
    }
    return bytes;
}

QString DecodeExport(const QByteArray& bytes) {
    if (!bytes.startsWith("\xff\xfe"))
        return QString::fromUtf8(bytes);
    QString text;
    for (qsizetype i = 2; i + 1 < bytes.size(); i += 2)
        text += QChar(char16_t(quint8(bytes[i]) | (quint8(bytes[i + 1]) << 8)));
    return text;
}

RegFileEntry Key(int line, const QString& key, HKEY root = HKEY_CURRENT_USER) {
    return {RegFileEntry::Kind::Key, root, key, {}, line};
}

RegFileEntry Value(int line, const QString& key, const RegValue& value, HKEY root = HKEY_CURRENT_USER) {
    return {RegFileEntry::Kind::Value, root, key, value, line};
}

QByteArray Bytes(const QList<int>& list) {
    QByteArray bytes;
    for (int b : list)
        bytes += char(b);
    return bytes;
}

} // namespace

void tst_RegFile::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("KX4_PREFIX", QFile::encodeName(m_dir->path() + "/prefix"));
}

void tst_RegFile::cleanup() {
    qunsetenv("KX4_PREFIX");
    m_dir.reset();
}

QString tst_RegFile::WriteFile(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir->path() + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

void tst_RegFile::parse_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<RegFileEntry>>("entries");
    const QString k = "Software\\K";
    QTest::newRow("string, default value and dword")
        << V5 + "[HKEY_CURRENT_USER\\Software\\K]\r\n\"a\"=\"x\"\r\n@=\"d\"\r\n\"n\"=dword:0000001F\r\n"
        << QList<RegFileEntry>{Key(3, k), Value(4, k, RegValue::String("a", "x")),
                               Value(5, k, RegValue::String("", "d")), Value(6, k, RegValue::Dword("n", 31))};
    QTest::newRow("escapes in names and strings")
        << V5 + "[HKEY_CURRENT_USER\\Software\\K]\n\"a\\\"b\\\\\"=\"C:\\\\x \\\"q\\\"\"\n"
        << QList<RegFileEntry>{Key(3, k), Value(4, k, RegValue::String("a\"b\\", "C:\\x \"q\""))};
    QTest::newRow("short dword") << V5 + "[HKCU\\Software\\K]\n\"n\"=dword:7\n"
                                 << QList<RegFileEntry>{Key(3, k), Value(4, k, RegValue::Dword("n", 7))};
    QTest::newRow("hex continued over lines with comments around")
        << V5 + "; a comment\n[HKCU\\Software\\K]\n  ; indented comment\n\"b\"=hex:01,02,\\\n  03,\\\n  ff\n"
        << QList<RegFileEntry>{Key(4, k), Value(6, k, RegValue{"b", REG_BINARY, Bytes({1, 2, 3, 255})})};
    QTest::newRow("hex(N) of every kind keeps its type")
        << V5 + "[HKCU\\Software\\K]\n\"0\"=hex(0):\n\"q\"=hex(b):01,00,00,00,00,00,00,00\n\"x\"=hex(2):41,"
                "00,00,00\n"
        << QList<RegFileEntry>{Key(3, k), Value(4, k, RegValue{"0", REG_NONE, {}}),
                               Value(5, k, RegValue{"q", REG_QWORD, Bytes({1, 0, 0, 0, 0, 0, 0, 0})}),
                               Value(6, k, RegValue{"x", REG_EXPAND_SZ, Bytes({0x41, 0, 0, 0})})};
    QTest::newRow("REGEDIT4 string data is UTF-8 and becomes UTF-16")
        << V4 + "[HKCU\\Software\\K]\n\"x\"=hex(2):c3,bc,00\n\"m\"=hex(7):61,00,62,00,00\n"
        << QList<RegFileEntry>{
               Key(3, k), Value(4, k, RegValue{"x", REG_EXPAND_SZ, Bytes({0xfc, 0, 0, 0})}),
               Value(5, k, RegValue{"m", REG_MULTI_SZ, Bytes({0x61, 0, 0, 0, 0x62, 0, 0, 0, 0, 0})})};
    QTest::newRow("deleting keys and values")
        << V5 + "[-HKEY_CLASSES_ROOT\\Old]\n[HKLM\\Software\\K]\n\"gone\"=-\n@=-\n"
        << QList<RegFileEntry>{{RegFileEntry::Kind::DeleteKey, HKEY_CLASSES_ROOT, "Old", {}, 3},
                               Key(4, k, HKEY_LOCAL_MACHINE),
                               {RegFileEntry::Kind::DeleteValue, HKEY_LOCAL_MACHINE, k, {"gone", 0, {}}, 5},
                               {RegFileEntry::Kind::DeleteValue, HKEY_LOCAL_MACHINE, k, {"", 0, {}}, 6}};
    QTest::newRow("UTF-8 with its mark and non-ASCII names")
        << "\xef\xbb\xbf" + V5 +
               "[HKCU\\Software\\Pr\xc3\xbc"
               "f]\n\"\xc3\x9c\"=\"\xe2\x82\xac\"\n"
        << QList<RegFileEntry>{Key(3, QString::fromUtf8("Software\\Prüf")),
                               Value(4, QString::fromUtf8("Software\\Prüf"),
                                     RegValue::String(QString::fromUtf8("Ü"), QString::fromUtf8("€")))};
    QTest::newRow("UTF-16LE with its mark")
        << Utf16(QString::fromUtf8(
               "Windows Registry Editor Version 5.00\r\n\r\n[HKCU\\Software\\K]\r\n\"€\"=\"ü\"\r\n"))
        << QList<RegFileEntry>{Key(3, k),
                               Value(4, k, RegValue::String(QString::fromUtf8("€"), QString::fromUtf8("ü")))};
    QTest::newRow("header after blank lines, spaces around =")
        << QByteArray("\n\nREGEDIT4\n[HKCU\\Software\\K]\n\"a\" = \"b\"\n")
        << QList<RegFileEntry>{Key(4, k), Value(5, k, RegValue::String("a", "b"))};
}

void tst_RegFile::parse() {
    QFETCH(QByteArray, file);
    QFETCH(QList<RegFileEntry>, entries);
    QList<RegFileEntry> parsed;
    QString error;
    QVERIFY2(RegFileReader::Parse(file, &parsed, &error), qPrintable(error));
    QCOMPARE(parsed.size(), entries.size());
    for (qsizetype i = 0; i < parsed.size(); ++i) {
        QCOMPARE(parsed.at(i).line, entries.at(i).line);
        QCOMPARE(parsed.at(i).key, entries.at(i).key);
        QCOMPARE(parsed.at(i).value, entries.at(i).value);
        QCOMPARE(parsed.at(i), entries.at(i));
    }
}

void tst_RegFile::roundTrip_data() {
    QTest::addColumn<RegValue>("value");
    QTest::addColumn<QString>("line5"); // the value's line in a 5.00 export
    QTest::newRow("plain string") << RegValue::String("s", "plain") << "\"s\"=\"plain\"";
    QTest::newRow("empty string") << RegValue::String("s", "") << "\"s\"=\"\"";
    QTest::newRow("quotes and backslashes")
        << RegValue::String("a\"b\\", "C:\\x \"y\"") << "\"a\\\"b\\\\\"=\"C:\\\\x \\\"y\\\"\"";
    QTest::newRow("non-ASCII string")
        << RegValue::String(QString::fromUtf8("Größe"), QString::fromUtf8("Ü€ – ok"))
        << QString::fromUtf8("\"Größe\"=\"Ü€ – ok\"");
    QTest::newRow("default value") << RegValue::String("", "def") << "@=\"def\"";
    QTest::newRow("string without terminator")
        << RegValue{"s", REG_SZ, QByteArray("a\0", 2)} << "\"s\"=hex(1):61,00";
    QTest::newRow("string with an embedded zero")
        << RegValue{"s", REG_SZ, QByteArray("a\0\0\0b\0\0\0", 8)} << "\"s\"=hex(1):61,00,00,00,62,00,00,00";
    QTest::newRow("string with two terminators")
        << RegValue{"s", REG_SZ, QByteArray("a\0\0\0\0\0", 6)} << "\"s\"=hex(1):61,00,00,00,00,00";
    QTest::newRow("string with a line break")
        << RegValue::String("s", "a\r\nb") << "\"s\"=hex(1):61,00,0d,00,0a,00,62,00,00,00";
    QTest::newRow("expand string") << RegValue::String("e", "%TEMP%\\x", REG_EXPAND_SZ)
                                   << "\"e\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,78,00,00,00";
    QTest::newRow("multi string") << RegValue{"m", REG_MULTI_SZ, QByteArray("a\0\0\0\xfc\0\0\0\0\0", 10)}
                                  << "\"m\"=hex(7):61,00,00,00,fc,00,00,00,00,00";
    QTest::newRow("dword") << RegValue::Dword("d", 0xdeadbeef) << "\"d\"=dword:deadbeef";
    QTest::newRow("dword of three bytes")
        << RegValue{"d", REG_DWORD, QByteArray("\1\2\3", 3)} << "\"d\"=hex(4):01,02,03";
    QTest::newRow("qword") << RegValue{"q", REG_QWORD, QByteArray("\1\0\0\0\0\0\0\x80", 8)}
                           << "\"q\"=hex(b):01,00,00,00,00,00,00,80";
    QTest::newRow("empty binary") << RegValue{"b", REG_BINARY, {}} << "\"b\"=hex:";
    QTest::newRow("long binary over several lines") << RegValue{"b", REG_BINARY, QByteArray(100, '\x5a')}
                                                    << "\"b\"=hex:" + QString("5a,").repeated(23) + "\\";
    QTest::newRow("none with data") << RegValue{"n", REG_NONE, QByteArray("\0\1", 2)} << "\"n\"=hex(0):00,01";
    QTest::newRow("type without a name")
        << RegValue{"r", 0x1234, QByteArray("\x7f", 1)} << "\"r\"=hex(1234):7f";
    QTest::newRow("value name with a line break") << RegValue::Dword("a\nb", 1) << "\"a\\nb\"=dword:00000001";
}

void tst_RegFile::roundTrip() {
    QFETCH(RegValue, value);
    QFETCH(QString, line5);
    for (const auto format : {RegFileWriter::Format::Version5, RegFileWriter::Format::Regedit4}) {
        const char* formatName = format == RegFileWriter::Format::Version5 ? "5.00" : "REGEDIT4";
        QCOMPARE(RegistryStore::DeleteTree(HKEY_CURRENT_USER, ""), long(ERROR_SUCCESS));
        // A neighbour before and after, so a broken line would take them along.
        RegistryStore::SetValue(HKEY_CURRENT_USER, QString::fromUtf8("Software\\RT\\Ünïcode"),
                                RegValue::Dword("before", 1));
        QCOMPARE(
            RegistryStore::SetValue(HKEY_CURRENT_USER, QString::fromUtf8("Software\\RT\\Ünïcode"), value),
            long(ERROR_SUCCESS));
        RegistryStore::SetValue(HKEY_CURRENT_USER, QString::fromUtf8("Software\\RT\\Ünïcode"),
                                RegValue::Dword("after", 2));
        QList<RegValue> stored;
        RegistryStore::EnumValues(HKEY_CURRENT_USER, QString::fromUtf8("Software\\RT\\Ünïcode"), &stored);

        const QString path = m_dir->path() + "/rt.reg";
        QString error;
        QVERIFY2(RegFile::Export(HKEY_CURRENT_USER, "Software\\RT", path, format, &error) == ERROR_SUCCESS,
                 qPrintable(error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        if (format == RegFileWriter::Format::Version5) {
            QVERIFY(bytes.startsWith("\xff\xfeW\0i\0"));
            const QString text = DecodeExport(bytes);
            QVERIFY2(text.contains("\r\n" + line5 + "\r\n"), qPrintable(text));
            for (const QString& line : text.split("\r\n"))
                QVERIFY2(line.size() <= 80 || !line.contains("hex"), qPrintable(line));
        } else {
            QVERIFY(bytes.startsWith("REGEDIT4\r\n"));
        }

        QCOMPARE(RegistryStore::DeleteTree(HKEY_CURRENT_USER, "Software"), long(ERROR_SUCCESS));
        QVERIFY2(RegFile::Import(path, &error) == ERROR_SUCCESS, qPrintable(formatName + (": " + error)));
        QList<RegValue> back;
        QCOMPARE(
            RegistryStore::EnumValues(HKEY_CURRENT_USER, QString::fromUtf8("Software\\RT\\Ünïcode"), &back),
            long(ERROR_SUCCESS));
        QCOMPARE(back, stored);
    }
}

void tst_RegFile::roundTripTree() {
    RegistryStore::SetValue(HKEY_CLASSES_ROOT, "KXLanguage.Connect\\InprocServer32",
                            RegValue::String("", "/x.so"));
    RegistryStore::SetValue(HKEY_CLASSES_ROOT, "KXLanguage.Connect\\CLSID", RegValue::String("", "{1}"));
    RegistryStore::CreateKey(HKEY_CLASSES_ROOT, "KXLanguage.Connect\\Empty\\Deeper");
    const QString path = m_dir->path() + "/tree.reg";
    QString error;
    QCOMPARE(RegFile::Export(HKEY_CLASSES_ROOT, "KXLanguage.Connect", path, RegFileWriter::Format::Version5,
                             &error),
             long(ERROR_SUCCESS));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(DecodeExport(file.readAll()),
             QString("Windows Registry Editor Version 5.00\r\n\r\n"
                     "[HKEY_CLASSES_ROOT\\KXLanguage.Connect]\r\n\r\n"
                     "[HKEY_CLASSES_ROOT\\KXLanguage.Connect\\CLSID]\r\n@=\"{1}\"\r\n\r\n"
                     "[HKEY_CLASSES_ROOT\\KXLanguage.Connect\\Empty]\r\n\r\n"
                     "[HKEY_CLASSES_ROOT\\KXLanguage.Connect\\Empty\\Deeper]\r\n\r\n"
                     "[HKEY_CLASSES_ROOT\\KXLanguage.Connect\\InprocServer32]\r\n@=\"/x.so\"\r\n\r\n"));
    QCOMPARE(RegistryStore::DeleteTree(HKEY_LOCAL_MACHINE, "Software"), long(ERROR_SUCCESS));
    QCOMPARE(RegFile::Import(path, &error), long(ERROR_SUCCESS));
    QVERIFY(
        RegistryStore::KeyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\KXLanguage.Connect\\Empty\\Deeper"));
    RegValue v;
    QCOMPARE(RegistryStore::QueryValue(HKEY_CLASSES_ROOT, "KXLanguage.Connect\\InprocServer32", "", &v),
             long(ERROR_SUCCESS));
    QCOMPARE(v.Text(), QString("/x.so"));
    QCOMPARE(RegFile::Export(HKEY_CLASSES_ROOT, "Missing", path, RegFileWriter::Format::Version5, &error),
             long(ERROR_FILE_NOT_FOUND));
    QVERIFY(error.contains("HKEY_CLASSES_ROOT\\Missing"));
}

void tst_RegFile::regedit4RefusesWhatItCannotHold() {
    // Odd-sized string data has no UTF-8 form; the 5.00 format keeps it.
    RegistryStore::SetValue(HKEY_CURRENT_USER, "Software\\Odd",
                            RegValue{"odd", REG_SZ, QByteArray("abc", 3)});
    const QString path = m_dir->path() + "/odd.reg";
    QString error;
    QCOMPARE(
        RegFile::Export(HKEY_CURRENT_USER, "Software\\Odd", path, RegFileWriter::Format::Regedit4, &error),
        long(ERROR_INVALID_PARAMETER));
    QVERIFY2(error.contains("odd") && error.contains("5.00"), qPrintable(error));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(
        RegFile::Export(HKEY_CURRENT_USER, "Software\\Odd", path, RegFileWriter::Format::Version5, &error),
        long(ERROR_SUCCESS));
    RegistryStore::DeleteTree(HKEY_CURRENT_USER, "Software");
    QCOMPARE(RegFile::Import(path, &error), long(ERROR_SUCCESS));
    RegValue v;
    RegistryStore::QueryValue(HKEY_CURRENT_USER, "Software\\Odd", "odd", &v);
    QCOMPARE(v, (RegValue{"odd", REG_SZ, QByteArray("abc", 3)}));
}

void tst_RegFile::malformed_data() {
    QTest::addColumn<QByteArray>("body"); // follows a header line and a blank line
    QTest::addColumn<QString>("message");
    // Every body first changes the registry, so a partial import would show.
    const QByteArray change =
        "[-HKEY_CURRENT_USER\\Software\\Keep]\n[HKEY_CURRENT_USER\\Software\\New]\n\"v\"=dword:2\n";
    QTest::newRow("\\0 inside a string") << change + "\"s\"=\"a\\0b\"\n"
                                         << "line 6: \\0 inside a string";
    QTest::newRow("unknown escape") << change + "\"s\"=\"a\\qb\"\n"
                                    << "line 6: unknown escape \\q";
    QTest::newRow("string never closed") << change + "\"s\"=\"abc\n"
                                         << "line 6: the string is not closed";
    QTest::newRow("name never closed") << change + "\"s=dword:1\n"
                                       << "line 6:";
    QTest::newRow("text after the string") << change + "\"s\"=\"a\" b\n"
                                           << "line 6: unexpected text";
    QTest::newRow("dword of nine digits") << change + "\"d\"=dword:123456789\n"
                                          << "line 6:";
    QTest::newRow("dword not hex") << change + "\"d\"=dword:12z\n"
                                   << "line 6:";
    QTest::newRow("empty dword") << change + "\"d\"=dword:\n"
                                 << "line 6:";
    QTest::newRow("hex byte not hex") << change + "\"b\"=hex:01,0g\n"
                                      << "line 6: bad hex data";
    QTest::newRow("hex byte of three digits") << change + "\"b\"=hex:01,123\n"
                                              << "line 6: bad hex data";
    QTest::newRow("empty byte between commas") << change + "\"b\"=hex:01,,02\n"
                                               << "line 6: bad hex data";
    QTest::newRow("bad hex type") << change + "\"b\"=hex(zz):01\n"
                                  << "line 6:";
    QTest::newRow("error after continued lines counts every line")
        << change + "\"b\"=hex:01,\\\n  02,\\\n  03\n\"c\"=nonsense\n"
        << "line 9: unknown value data";
    QTest::newRow("continued past the end of the file") << change + "\"b\"=hex:01,\\\n"
                                                        << "line 6:";
    QTest::newRow("missing equals sign") << change + "\"a\" \"b\"\n"
                                         << "line 6: expected \"=\"";
    QTest::newRow("unknown root") << change + "[HKEY_USERS\\x]\n"
                                  << "line 6: unknown root key";
    QTest::newRow("key not closed") << change + "[HKEY_CURRENT_USER\\x\n"
                                    << "line 6:";
    QTest::newRow("empty key name") << change + "[HKEY_CURRENT_USER\\a\\\\b]\n"
                                    << "line 6: bad key name";
    QTest::newRow("key name too long") << change + "[HKEY_CURRENT_USER\\" + QByteArray(256, 'k') + "]\n"
                                       << "line 6: bad key name";
    QTest::newRow("value after a deleted key") << change + "[-HKEY_CURRENT_USER\\x]\n\"a\"=\"b\"\n"
                                               << "line 7: a value needs a key";
    QTest::newRow("a line that is nothing") << change + "just words\n"
                                            << "line 6: expected a key";
    QTest::newRow("invalid UTF-8") << change + "\"s\"=\"\xff\xfe\"\n"
                                   << "line 6: not valid UTF-8";
}

void tst_RegFile::malformed() {
    QFETCH(QByteArray, body);
    QFETCH(QString, message);
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "Software\\Keep", RegValue::Dword("v", 1)),
             long(ERROR_SUCCESS));
    const QString path = WriteFile("bad.reg", "Windows Registry Editor Version 5.00\n\n" + body);
    QString error;
    QCOMPARE(RegFile::Import(path, &error), long(ERROR_INVALID_PARAMETER));
    QVERIFY2(error.startsWith(path + ": " + message), qPrintable(error));
    RegValue v;
    QCOMPARE(RegistryStore::QueryValue(HKEY_CURRENT_USER, "Software\\Keep", "v", &v), long(ERROR_SUCCESS));
    QCOMPARE(v.Number(), 1u);
    QVERIFY(!RegistryStore::KeyExists(HKEY_CURRENT_USER, "Software\\New"));
}

void tst_RegFile::importSpansBothHives() {
    const QString path = WriteFile("both.reg", V5 + "[HKEY_LOCAL_MACHINE\\Software\\M]\n\"m\"=dword:1\n"
                                                    "[HKEY_CURRENT_USER\\Software\\U]\n\"u\"=dword:2\n"
                                                    "[HKEY_CLASSES_ROOT\\.kxs]\n@=\"KX\"\n");
    QString error;
    QCOMPARE(RegFile::Import(path, &error), long(ERROR_SUCCESS));
    RegValue v;
    QCOMPARE(RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, "Software\\M", "m", &v), long(ERROR_SUCCESS));
    QCOMPARE(RegistryStore::QueryValue(HKEY_CURRENT_USER, "Software\\U", "u", &v), long(ERROR_SUCCESS));
    QCOMPARE(RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, "Software\\Classes\\.kxs", "", &v),
             long(ERROR_SUCCESS));
    QCOMPARE(v.Text(), QString("KX"));
    // Bad header, and a file that is not there.
    QCOMPARE(RegFile::Import(WriteFile("hdr.reg", "REGEDIT5\n[HKCU\\x]\n"), &error),
             long(ERROR_INVALID_PARAMETER));
    QVERIFY2(error.contains("line 1: not a registry file"), qPrintable(error));
    QCOMPARE(RegFile::Import(m_dir->path() + "/none.reg", &error), long(ERROR_FILE_NOT_FOUND));
    QVERIFY(error.contains("none.reg"));
}

void tst_RegFile::importRefusedByReadOnlyHiveChangesNeither() {
    RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "Software\\M", RegValue::Dword("m", 1));
    RegistryStore::SetValue(HKEY_CURRENT_USER, "Software\\U", RegValue::Dword("u", 1));
    QVERIFY(QFile::setPermissions(RegistryStore::HiveFilePath(HKEY_CURRENT_USER), QFile::ReadOwner));
    const QString path = WriteFile("both.reg", V5 + "[HKEY_LOCAL_MACHINE\\Software\\M]\n\"m\"=dword:9\n"
                                                    "[HKEY_CURRENT_USER\\Software\\U]\n\"u\"=dword:9\n");
    QString error;
    QCOMPARE(RegFile::Import(path, &error), long(ERROR_ACCESS_DENIED));
    QVERIFY2(error.contains("user.db"), qPrintable(error));
    RegValue v;
    RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, "Software\\M", "m", &v);
    QCOMPARE(v.Number(), 1u);
    // A file that leaves the read-only hive alone still imports.
    const QString machineOnly = WriteFile("m.reg", V5 + "[HKEY_LOCAL_MACHINE\\Software\\M]\n\"m\"=dword:9\n");
    QCOMPARE(RegFile::Import(machineOnly, &error), long(ERROR_SUCCESS));
    RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, "Software\\M", "m", &v);
    QCOMPARE(v.Number(), 9u);
}

QTEST_GUILESS_MAIN(tst_RegFile)
#include "tst_RegFile.moc"
