#include "HiveFixture.h"
#include "common/TempPrefix.h"
#include "platform/registry/RegFile.h"
#include "platform/registry/RegFileWriter.h"
#include "platform/registry/RegValueCodec.h"

#include <optional>

using namespace HiveFixture;

namespace {

using Format = RegFileWriter::Format;

const RegValue Kept = RegValue::Dword("keep", 1); // in HKCU\Software\T before every row
const QString Body5 =
    "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\T]\n"; // lines 1-3
const QString Body4 = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\T]\n";

// A file imported (as written and, unless it is about the bytes themselves, as UTF-16LE); empty
// error: the import succeeds, else how its message begins; the key looked at afterwards, below
// HKCU, with its values and subkeys.
struct ImportRow {
    QByteArray file;
    bool utf16Too;
    QString error;
    QString key;
    QList<RegValue> values;
    QStringList subkeys;
};

} // namespace

class tst_RegFile : public QObject {
    Q_OBJECT
    std::optional<TestSupport::TempPrefix> m_prefix;

    QString File(const QString& name) const { return m_prefix->Work() + u'/' + name; }
    QString WriteFile(const QString& name, const QByteArray& bytes) {
        return TestSupport::WriteFile(File(name), bytes) ? File(name) : QString();
    }
    // Exports the key to x.reg; the file's text (UTF-16LE after its mark, which stays as the first
    // character; else UTF-8), or nothing on a failure.
    QString Export(HKEY root, const QString& key, Format format, QString* error) {
        error->clear();
        if (RegFile::Export(root, key, File("x.reg"), format, error) != OK)
            return QString();
        const QByteArray bytes = TestSupport::ReadFile(File("x.reg"));
        return bytes.startsWith("\xff\xfe") ? RegValueCodec::DecodeUtf16(bytes) : QString::fromUtf8(bytes);
    }

private Q_SLOTS:
    void init() { QVERIFY(m_prefix.emplace().IsValid()); }
    void cleanup() { m_prefix.reset(); }

    // The files change HKCU\Software\T, which holds "keep" and the subkey "Sub" before.
    void import_data() {
        QTest::addColumn<ImportRow>("row");
        auto row = [&](const char* name, const QString& text, const QString& error,
                       const QList<RegValue>& values, const QStringList& subkeys = {"Sub"}) {
            QTest::newRow(name) << ImportRow{text.toUtf8(), true, error, "Software\\T", values, subkeys};
        };
        const QList<RegValue> unchanged{Kept};
        auto bin = [](const char* name, const QByteArray& bytes, quint32 type = REG_BINARY) {
            return RegValue{name, type, bytes};
        };
        // clang-format off
    // Read as they are written.
    row("string, default value, dword, escapes", Body5 + "\"a\"=\"x\"\n@=\"C:\\\\x \\\"q\\\"\"\n\"n\"=dword:7\n\"a\\\"b\\\\\"=\"\"\n", "", {Kept, RegValue::String("a", "x"), RegValue::String("", "C:\\x \"q\""), RegValue::Dword("n", 7), RegValue::String("a\"b\\", "")});
    row("hex(N) keeps its type, REGEDIT4 string data becomes UTF-16", Body4 + "\"q\"=hex(b):01,00,00,00,00,00,00,00\n\"x\"=hex(2):c3,bc,00\n\"t\"=hex(ffffffff):\n", "", {Kept, bin("q", QByteArray("\1\0\0\0\0\0\0\0", 8), REG_QWORD), bin("x", QByteArray("\xfc\0\0\0", 4), REG_EXPAND_SZ), bin("t", {}, 0xffffffffu)});
    row("deleting a key and values", Body5 + "\"keep\"=-\n\"gone\"=  -\n[-HKEY_CURRENT_USER\\Software\\T\\Sub]\n", "", {}, {});
    row("non-ASCII names and data", Body5 + "\"\xc3\x9c\"=\"\xe2\x82\xac\"\n[HKCU\\Software\\T\\Pr\xc3\xbc" "f ]\n", "", {Kept, RegValue::String(QString::fromUtf8("Ü"), QString::fromUtf8("€"))}, {QString::fromUtf8("Prüf "), "Sub"});
    row("spaces and tabs around everything", " \tREGEDIT4\n\n\t[HKEY_CURRENT_USER\\Software\\T]\n  \"a\" \t=\t \"b\"  \n\t@\t=\tdword:\t00000008\t\n", "", {Kept, RegValue::String("a", "b"), RegValue::Dword("", 8)});
    // Accepted as reg accepts it.
    row("a ;comment after data, #comment lines", Body5 + "#c\n\"a\"=\"x\";c\n\"b\"=dword:00000001 ;c\n\"c\"=hex:01,02 ;c\n\"keep\"=- ;c\n  #\"d\"=\"e\"\n", "", {RegValue::String("a", "x"), RegValue::Dword("b", 1), bin("c", "\1\2")});
    row("blank and ;comment lines, \\;comment inside continued hex", Body5 + "\"d\"=hex:01,\\;c\n\n; note\n  02,  \\\n\t\n  03\n", "", {Kept, bin("d", "\1\2\3")});
    row("a final \\ keeps the bytes before it", Body5 + "\"f\"=hex:01,02,\\", "", {Kept, bin("f", "\1\2")});
    row("a trailing comma ends the data", Body5 + "\"g\"=hex:01,02,\n", "", {Kept, bin("g", "\1\2")});
    QTest::newRow("Windows 3.1 REGEDIT: key and text") << ImportRow{"REGEDIT\r\n;c\r\nHKEY_CLASSES_ROOT\\T  two", true, {}, "Software\\Classes\\T", {RegValue::String("", "two")}, {}};
    QTest::newRow("Windows 3.1 REGEDIT: the text begins one space after =") << ImportRow{"REGEDIT\r\nHKEY_CLASSES_ROOT\\T =  three ", true, {}, "Software\\Classes\\T", {RegValue::String("", " three ")}, {}};
    // Refused as reg refuses it, and all or nothing: the change before the fault is not made.
    row("a split byte", Body5 + "\"a\"=\"x\"\n\"h\"=hex:33,4\\\n  4,55\n", "line 5: \"\\\" must follow a comma to continue hex data, so no byte is split: \"\"h\"=hex:33,4\\\"", unchanged);
    row("a continued line starting with a comma", Body5 + "\"a\"=\"x\"\n\"i\"=hex:01,\\\n\n  ,02\n", "line 7: a line that goes on with hex data starts with a comma: \",02\"", unchanged);
    row("a continued line holding only \\", Body5 + "\"a\"=\"x\"\n\"i\"=hex:01,\\\n  \\\n  02\n", "line 6: a line that goes on with hex data holds only \"\\\"", unchanged);
    row("a #comment inside hex data", Body5 + "\"a\"=\"x\"\n\"i\"=hex:01,\\\n  #c\n  02\n", "line 6: a #comment cannot stand inside hex data", unchanged);
    row("bad text on a continued line is named there", Body5 + "\"a\"=\"x\"\n\"b\"=hex:01,\\\n  02,\\\n  0g,03\n", "line 7: bad hex data \"0g,03\"", unchanged);
    row("a #comment after data", Body5 + "\"a\"=\"x\" #c\n", "line 4: unexpected text \"#c\" after the closing quote", unchanged);
    row("dword of nine digits", Body5 + "\"d\"=dword:012345678\n", "line 4: \"012345678\" is not a dword", unchanged);
    row("hex(0x2)", Body5 + "\"b\"=hex(0x2):41,00\n", "line 4: bad type in \"hex(\"", unchanged);
    row("a value after a deleted key", Body5 + "\"a\"=\"x\"\n[-HKEY_CURRENT_USER\\Software\\T\\Sub]\n\"b\"=\"y\"\n", "line 6: a value cannot follow [-HKEY_CURRENT_USER\\Software\\T\\Sub] on line 5: that line deletes the key", unchanged);
    row("a blank line before the header", "\n" + Body4 + "\"a\"=\"x\"\n", "line 1: not a registry file: the header must be its first line", unchanged);
    row("a header reg ignores", "REGEDIT4 FOO\n\n[HKEY_CURRENT_USER\\Software\\T]\n\"a\"=\"x\"\n", "line 1: not a registry file", unchanged);
    row("\\0 inside a string", Body5 + "\"s\"=\"a\\0b\"\n", "line 4: \\0 inside a string", unchanged);
    row("an unknown escape", Body5 + "\"s\"=\"a\\qb\"\n", "line 4: unknown escape \\q", unchanged);
    row("a string never closed", Body5 + "\"s\"=\"abc\n", "line 4: the string is not closed", unchanged);
    row("an unknown root", Body5 + "[HKEY_USERS\\x]\n", "line 4: unknown root key \"HKEY_USERS\"", unchanged);
    row("a key never closed", Body5 + "[HKEY_CURRENT_USER\\Software\\T\\x\n", "line 4: the key name is not closed", unchanged);
    row("a key name too long", Body5 + "[HKEY_CURRENT_USER\\" + QString(256, 'k') + "]\n", "line 4: bad key name", unchanged);
    row("a line that is nothing", Body5 + "just words\n", "line 4: expected a key in [brackets]", unchanged);
    row("a Windows 3.1 line of another root", "REGEDIT\nHKEY_CURRENT_USER\\T = x\n", "line 2: a REGEDIT file holds only lines that begin with HKEY_CLASSES_ROOT", unchanged);
    QTest::newRow("invalid UTF-8") << ImportRow{(Body5 + "\"s\"=\"").toUtf8() + "\xff\xfe\"\n", false, "line 4: not valid UTF-8", "Software\\T", unchanged, {"Sub"}};
        // clang-format on
    }

    void import() {
        QFETCH(ImportRow, row);
        const auto& [file, utf16Too, error, key, values, subkeys] = row;
        QList<QByteArray> forms{file};
        if (utf16Too) // as Windows writes a file
            forms << QByteArray("\xff\xfe", 2) + RegValueCodec::EncodeUtf16(QString::fromUtf8(file));
        for (const QByteArray& bytes : std::as_const(forms)) {
            {
                RegistryBatch seed; // one commit, so the many rows stay quick
                QCOMPARE(seed.BeginWrite(true, true) + seed.DeleteTree(HKCU, "") +
                             seed.CreateKey(HKCU, "Software\\T\\Sub"),
                         OK);
                seed.DeleteTree(HKCR, "T");
                QCOMPARE(seed.SetValue(HKCU, "Software\\T", Kept) + seed.Commit(), OK);
            }
            const QString path = WriteFile("t.reg", bytes);
            QString why;
            QCOMPARE(RegFile::Import(path, &why),
                     error.isEmpty() ? long(ERROR_SUCCESS) : long(ERROR_INVALID_PARAMETER));
            QVERIFY2(why.startsWith(error.isEmpty() ? QString() : path + ": " + error), qPrintable(why));
            const HKEY root = key.startsWith("Software\\Classes") ? HKLM : HKCU;
            QStringList keys;
            RegistryStore::EnumKeys(root, key, &keys);
            QCOMPARE(Values(root, key), values);
            QCOMPARE(keys, subkeys);
        }
    }

    // Exported as reg exports it, then imported back: byte for byte, except where reg writes a
    // string only up to its first zero (back).
    void roundTrip_data() {
        QTest::addColumn<RegValue>("value");
        QTest::addColumn<QString>("line5"); // the value's line in a 5.00 export
        QTest::addColumn<RegValue>("back"); // what it imports as, when not value itself
        // clang-format off
    QTest::newRow("quotes and backslashes") << RegValue::String("a\"b\\", "C:\\x \"y\"") << "\"a\\\"b\\\\\"=\"C:\\\\x \\\"y\\\"\"" << RegValue();
    QTest::newRow("string without terminator") << RegValue{"s", REG_SZ, QByteArray("a\0", 2)} << "\"s\"=hex(1):61,00" << RegValue();
    QTest::newRow("string with an inner zero ends there") << RegValue{"s", REG_SZ, QByteArray("a\0\0\0b\0\0\0", 8)} << "\"s\"=\"a\"" << RegValue::String("s", "a");
    QTest::newRow("string with a line break") << RegValue::String("s", "a\r\nb") << "\"s\"=hex(1):61,00,0d,00,0a,00,62,00,00,00" << RegValue();
    QTest::newRow("multi string") << RegValue{"m", REG_MULTI_SZ, QByteArray("a\0\0\0\xfc\0\0\0\0\0", 10)} << "\"m\"=hex(7):61,00,00,00,fc,00,00,00,00,00" << RegValue();
    QTest::newRow("dword") << RegValue::Dword("d", 0xdeadbeef) << "\"d\"=dword:deadbeef" << RegValue();
    QTest::newRow("dword of three bytes") << RegValue{"d", REG_DWORD, QByteArray("\1\2\3", 3)} << "\"d\"=hex(4):01,02,03" << RegValue();
    QTest::newRow("empty binary") << RegValue{"b", REG_BINARY, {}} << "\"b\"=hex:" << RegValue();
    QTest::newRow("long binary over several lines") << RegValue{"b", REG_BINARY, QByteArray(100, '\x5a')} << "\"b\"=hex:" + QString("5a,").repeated(23) + "\\" << RegValue();
    QTest::newRow("type without a name") << RegValue{"r", 0x1234, QByteArray("\x7f", 1)} << "\"r\"=hex(1234):7f" << RegValue();
    QTest::newRow("value name with a line break") << RegValue::Dword("a\nb", 1) << "\"a\\nb\"=dword:00000001" << RegValue();
        // clang-format on
    }

    void roundTrip() {
        QFETCH(RegValue, value);
        QFETCH(QString, line5);
        QFETCH(RegValue, back);
        const QString key = QString::fromUtf8("Software\\RT\\Ünïcode");
        for (const auto format : {Format::Version5, Format::Regedit4}) {
            QCOMPARE(RegistryStore::DeleteTree(HKCU, ""), OK);
            // A neighbour before and after, so a broken line would take them along.
            for (const RegValue& v : {RegValue::Dword("before", 1), value, RegValue::Dword("after", 2)})
                QCOMPARE(RegistryStore::SetValue(HKCU, key, v), OK);
            QString error;
            const QString text = Export(HKCU, "Software\\RT", format, &error);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QVERIFY2(format == Format::Version5 ? text.contains("\r\n" + line5 + "\r\n")
                                                : text.startsWith("REGEDIT4\r\n"),
                     qPrintable(text));
            QCOMPARE(RegistryStore::DeleteTree(HKCU, "Software"), OK);
            QVERIFY2(RegFile::Import(File("x.reg"), &error) == OK, qPrintable(error));
            QCOMPARE(Values(HKCU, key),
                     (QList<RegValue>{RegValue::Dword("before", 1), back == RegValue() ? value : back,
                                      RegValue::Dword("after", 2)}));
        }
    }

    // A tree exports key by key in order, empty keys too. Odd-sized string data has no REGEDIT4 form:
    // refused, and no file is left.
    void exportTree() {
        RegistryStore::SetValue(HKCR, "KX.Connect\\InprocServer32", RegValue::String("", "/x.so"));
        RegistryStore::SetValue(HKCR, "KX.Connect\\CLSID", RegValue::String("", "{1}"));
        RegistryStore::CreateKey(HKCR, "KX.Connect\\Empty\\Deeper");
        QString error;
        const QString tree =
            QStringLiteral(u"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n[$]\r\n\r\n"
                           "[$\\CLSID]\r\n@=\"{1}\"\r\n\r\n[$\\Empty]\r\n\r\n[$\\Empty\\Deeper]\r\n\r\n"
                           "[$\\InprocServer32]\r\n@=\"/x.so\"\r\n\r\n");
        QCOMPARE(Export(HKCR, "KX.Connect", Format::Version5, &error),
                 QString(tree).replace('$', "HKEY_CLASSES_ROOT\\KX.Connect"));
        const RegValue odd{"odd", REG_SZ, QByteArray("abc", 3)};
        RegistryStore::SetValue(HKCU, "Software\\Odd", odd);
        QVERIFY(QFile::remove(File("x.reg")));
        QCOMPARE(Export(HKCU, "Software\\Odd", Format::Regedit4, &error), QString());
        QVERIFY2(error.contains("odd") && error.contains("5.00"), qPrintable(error));
        QVERIFY(!QFile::exists(File("x.reg")));
    }

    // One file changes both hives, or neither when one of them is read-only (a batch of the other hive
    // alone: tst_Registry).
    void importAcrossHives() {
        RegistryStore::SetValue(HKCU, "Software\\U", RegValue::Dword("u", 1));
        const QString both = WriteFile(
            "both.reg",
            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\M]\n\"m\"=dword:9\n"
            "[HKEY_CURRENT_USER\\Software\\U]\n\"u\"=dword:9\n");
        const QString user = RegistryStore::HiveFilePath(HKCU);
        QVERIFY(QFile::setPermissions(user, QFile::ReadOwner));
        QString error;
        QCOMPARE(RegFile::Import(both, &error), long(ERROR_ACCESS_DENIED));
        QVERIFY2(error.contains("user.db"), qPrintable(error));
        QVERIFY(!RegistryStore::KeyExists(HKLM, "Software\\M"));
        QVERIFY(QFile::setPermissions(user, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(RegFile::Import(both, &error), OK);
        QCOMPARE(Values(HKLM, "Software\\M") + Values(HKCU, "Software\\U"),
                 (QList<RegValue>{RegValue::Dword("m", 9), RegValue::Dword("u", 9)}));
    }
};

QTEST_GUILESS_MAIN(tst_RegFile)
#include "tst_RegFile.moc"
