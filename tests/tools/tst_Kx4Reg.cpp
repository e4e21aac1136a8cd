#include "HiveFixture.h"
#include "kx4reg/Kx4Reg.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryBatch.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class tst_Kx4Reg : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void queryLayout_data();
    void queryLayout();
    void failures_data();
    void failures();
    void addTypes_data();
    void addTypes();
    void confirmations_data();
    void confirmations();
    void deleteForms_data();
    void deleteForms();
    void importAndExport();
    void executableRefusesWithoutTerminal();
    void helpSwitches();
    void damagedHive_data();
    void damagedHive();

private:
    struct Result {
        int status;
        QString out;
        QString err;
    };
    Result Run(const QStringList& args, const QString* answers = nullptr);
    void Seed();
    std::unique_ptr<QTemporaryDir> m_dir;
};

tst_Kx4Reg::Result tst_Kx4Reg::Run(const QStringList& args, const QString* answers) {
    QString out;
    QString err;
    QString input = answers ? *answers : QString();
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    QTextStream inStream(&input);
    const int status = RunKx4Reg(args, outStream, errStream, answers ? &inStream : nullptr);
    outStream.flush();
    errStream.flush();
    return {status, out, err};
}

void tst_Kx4Reg::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("KX4_PREFIX", QFile::encodeName(m_dir->path() + "/prefix"));
}

void tst_Kx4Reg::cleanup() {
    qunsetenv("KX4_PREFIX");
    m_dir.reset();
}

// HKCU\Software\Test with one value of each kind, two subkeys (one deeper) and a default value.
void tst_Kx4Reg::Seed() {
    // One transaction, so the many rows that start from here stay quick.
    RegistryBatch batch;
    QCOMPARE(batch.BeginWrite(false, true), long(ERROR_SUCCESS));
    const QString k = "Software\\Test";
    batch.SetValue(HKEY_CURRENT_USER, k, RegValue::String("Name", "hello world"));
    batch.SetValue(HKEY_CURRENT_USER, k, RegValue::Dword("Num", 31));
    batch.SetValue(HKEY_CURRENT_USER, k, RegValue{"Big", REG_QWORD, QByteArray("\0\0\0\0\1\0\0\0", 8)});
    batch.SetValue(HKEY_CURRENT_USER, k, RegValue{"Bin", REG_BINARY, QByteArray("\x01\xab\0", 3)});
    batch.SetValue(HKEY_CURRENT_USER, k,
                   RegValue{"Multi", REG_MULTI_SZ, QByteArray("a\0\0\0b\0\0\0\0\0", 10)});
    batch.SetValue(HKEY_CURRENT_USER, k, RegValue::String("Path", "%TEMP%", REG_EXPAND_SZ));
    batch.SetValue(HKEY_CURRENT_USER, k, RegValue{"Nothing", REG_NONE, {}});
    batch.SetValue(HKEY_CURRENT_USER, k, RegValue::String("", "def"));
    batch.SetValue(HKEY_CURRENT_USER, k + "\\beta\\Deep", RegValue::String("Name", "deep"));
    batch.CreateKey(HKEY_CURRENT_USER, k + "\\Alpha");
    QCOMPARE(batch.Commit(), long(ERROR_SUCCESS));
}

void tst_Kx4Reg::queryLayout_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("output");
    const QString all = "HKEY_CURRENT_USER\\Software\\Test\n"
                        "    Name    REG_SZ    hello world\n"
                        "    Num    REG_DWORD    0x1f\n"
                        "    Big    REG_QWORD    0x100000000\n"
                        "    Bin    REG_BINARY    01AB00\n"
                        "    Multi    REG_MULTI_SZ    a\\0b\n"
                        "    Path    REG_EXPAND_SZ    %TEMP%\n"
                        "    Nothing    REG_NONE    \n"
                        "    (Default)    REG_SZ    def\n";
    QTest::newRow("values, then subkeys")
        << QStringList{"query", "HKCU\\Software\\Test"}
        << "\n" + all +
               "\nHKEY_CURRENT_USER\\Software\\Test\\Alpha\nHKEY_CURRENT_USER\\Software\\Test\\beta\n";
    QTest::newRow("subkeys only, no heading")
        << QStringList{"query", "HKEY_CURRENT_USER\\Software"} << "\nHKEY_CURRENT_USER\\Software\\Test\n";
    QTest::newRow("key named as typed")
        << QStringList{"query", "hkcu\\software\\test\\BETA\\deep"}
        << "\nHKEY_CURRENT_USER\\software\\test\\BETA\\deep\n    Name    REG_SZ    deep\n\n";
    QTest::newRow("one value, name in another case")
        << QStringList{"query", "HKCU\\Software\\Test", "/v", "num"}
        << "\nHKEY_CURRENT_USER\\Software\\Test\n    Num    REG_DWORD    0x1f\n\n";
    QTest::newRow("default value")
        << QStringList{"query", "HKCU\\Software\\Test", "/ve"}
        << "\nHKEY_CURRENT_USER\\Software\\Test\n    (Default)    REG_SZ    def\n\n";
    QTest::newRow("default value not set")
        << QStringList{"query", "HKCU\\Software\\Test\\Alpha", "-VE"}
        << "\nHKEY_CURRENT_USER\\Software\\Test\\Alpha\n    (Default)    REG_SZ    (value not set)\n\n";
    // reg shows every key below with a blank line after it, the key asked for only with values.
    QTest::newRow("whole tree") << QStringList{"query", "HKCU\\Software\\Test\\", "/s"}
                                << "\n" + all +
                                       "\nHKEY_CURRENT_USER\\Software\\Test\\Alpha\n\n"
                                       "HKEY_CURRENT_USER\\Software\\Test\\beta\n\n"
                                       "HKEY_CURRENT_USER\\Software\\Test\\beta\\Deep\n"
                                       "    Name    REG_SZ    deep\n\n";
    QTest::newRow("tree without values") << QStringList{"query", "HKCU\\Software", "/s", "/reg:64"}
                                         << "\n" + all +
                                                "\nHKEY_CURRENT_USER\\Software\\Test\\Alpha\n\n"
                                                "HKEY_CURRENT_USER\\Software\\Test\\beta\n\n"
                                                "HKEY_CURRENT_USER\\Software\\Test\\beta\\Deep\n"
                                                "    Name    REG_SZ    deep\n\n";
    QTest::newRow("one name through the tree")
        << QStringList{"query", "HKCU\\Software", "/v", "Name", "/s"}
        << "\nHKEY_CURRENT_USER\\Software\\Test\n    Name    REG_SZ    hello world\n\n"
           "HKEY_CURRENT_USER\\Software\\Test\\beta\\Deep\n    Name    REG_SZ    deep\n\n"
           "End of search: 2 match(es) found.\n";
    QTest::newRow("no match through the tree") << QStringList{"query", "HKCU\\Software", "/s", "/v", "None"}
                                               << "\nEnd of search: 0 match(es) found.\n";
}

void tst_Kx4Reg::queryLayout() {
    QFETCH(QStringList, args);
    QFETCH(QString, output);
    Seed();
    const Result result = Run(args);
    QCOMPARE(result.err, QString());
    QCOMPARE(result.out, output);
    QCOMPARE(result.status, 0);
}

void tst_Kx4Reg::failures_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("reason");
    const QString notFound = "The system was unable to find the specified registry key or value.";
    QTest::newRow("missing key") << QStringList{"query", "HKCU\\Software\\Nope"} << notFound;
    QTest::newRow("missing value") << QStringList{"query", "HKCU\\Software\\Test", "/v", "Nope"} << notFound;
    QTest::newRow("unknown root") << QStringList{"query", "HKU\\x"} << "Invalid key name \"HKU\\x\"";
    QTest::newRow("no command") << QStringList{} << "Invalid syntax: no command";
    QTest::newRow("unknown command") << QStringList{"copy", "HKCU\\a"} << "unknown command \"copy\"";
    QTest::newRow("switch of another verb")
        << QStringList{"query", "HKCU\\Software", "/f"} << "/f is not a switch of query";
    QTest::newRow("/v without a name") << QStringList{"query", "HKCU\\Software", "/v"} << "/v needs a value";
    QTest::newRow("/v and /ve together")
        << QStringList{"delete", "HKCU\\Software", "/v", "a", "/ve"} << "give only one of /v, /ve and /va";
    QTest::newRow("missing key argument") << QStringList{"query"} << "query takes 1 argument(s), not 0";
    QTest::newRow("extra argument") << QStringList{"export", "HKCU\\a", "f.reg", "g.reg"}
                                    << "takes 2 argument(s)";
    auto add = [](std::initializer_list<QString> switches) {
        return QStringList{"add", "HKCU\\a", "/v", "x"} + QStringList(switches);
    };
    QTest::newRow("dword too big") << add({"/t", "REG_DWORD", "/d", "4294967296"})
                                   << "Invalid data: \"4294967296\" is not a number for REG_DWORD";
    QTest::newRow("dword not a number") << add({"/t", "REG_DWORD", "/d", "12a"}) << "is not a number";
    QTest::newRow("dword not decimal, 0x missing")
        << add({"/t", "REG_DWORD", "/d", "deadbeef"}) << "is not a number";
    QTest::newRow("dword of -1") << add({"/t", "REG_DWORD", "/d", "-1"}) << "is not a number";
    QTest::newRow("dword without /d") << add({"/t", "REG_DWORD"}) << "REG_DWORD needs its number in /d";
    QTest::newRow("qword of -0x1") << add({"/t", "REG_QWORD", "/d", "-0x1"}) << "is not a number";
    QTest::newRow("binary with 0x") << add({"/t", "REG_BINARY", "/d", "0xDeAdBeEf"})
                                    << "not a run of hex digits";
    QTest::newRow("multi string with an empty string inside")
        << add({"/t", "REG_MULTI_SZ", "/d", "two\\0\\0strings"}) << "holds an empty string";
    QTest::newRow("multi string starting empty")
        << add({"/t", "REG_MULTI_SZ", "/s", "#", "/d", "#a"}) << "holds an empty string";
    QTest::newRow("separator of two characters")
        << add({"/t", "REG_MULTI_SZ", "/s", "\\0", "/d", "a"}) << "must be one character";
    QTest::newRow("unknown type") << add({"/t", "REG_TEXT"}) << "unknown type \"REG_TEXT\"";
    QTest::newRow("empty key name") << QStringList{"add", "HKCU\\a\\\\b"} << "not valid";
    QTest::newRow("a bare root") << QStringList{"add", "HKCU\\", "/v", "x", "/d", "foo", "/f"}
                                 << "a key name must follow the backslash after the root";
    QTest::newRow("a key ending in two backslashes")
        << QStringList{"add", "HKCU\\a\\\\", "/f"} << "it ends in two backslashes";
    QTest::newRow("a switch given twice") << QStringList{"add", "HKCU\\a", "/f", "/f"} << "/f given twice";
    QTest::newRow("recursion given twice")
        << QStringList{"query", "HKCU\\Software", "/s", "/s"} << "/s given twice";
    QTest::newRow("two views") << QStringList{"query", "HKCU\\Software", "/reg:32", "/reg:64"}
                               << "give /reg:32 or /reg:64 once";
    QTest::newRow("a switch before the key")
        << QStringList{"export", "/y", "HKCU\\Software", "x.reg"} << "stands after the switches";
    QTest::newRow("deleting a root") << QStringList{"delete", "HKLM", "/f"}
                                     << "A root key cannot be deleted: HKEY_LOCAL_MACHINE.";
    QTest::newRow("deleting a missing key") << QStringList{"delete", "HKCU\\Nope", "/f"} << notFound;
    QTest::newRow("import of a missing file")
        << QStringList{"import", "/nonexistent/x.reg"} << "/nonexistent/x.reg: cannot read the file";
    QTest::newRow("export of a missing key")
        << QStringList{"export", "HKCU\\Nope", "x.reg", "/y"} << notFound;
}

void tst_Kx4Reg::failures() {
    QFETCH(QStringList, args);
    QFETCH(QString, reason);
    Seed();
    const Result result = Run(args);
    QCOMPARE(result.status, 1);
    QVERIFY2(result.err.startsWith("ERROR: ") && result.err.contains(reason), qPrintable(result.err));
    QCOMPARE(result.err.count('\n'), 1); // one line
    QVERIFY(!RegistryStore::KeyExists(HKEY_CURRENT_USER, "a"));
}

void tst_Kx4Reg::addTypes_data() {
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<RegValue>("stored");
    QTest::newRow("string by default")
        << QStringList{"/v", "s", "/d", "C:\\x y"} << RegValue::String("s", "C:\\x y");
    QTest::newRow("no data is an empty string") << QStringList{"/v", "s"} << RegValue::String("s", "");
    QTest::newRow("default value") << QStringList{"/ve", "/d", "d"} << RegValue::String("", "d");
    QTest::newRow("expand string") << QStringList{"/v", "e", "/t", "reg_expand_sz", "/d", "%A%"}
                                   << RegValue::String("e", "%A%", REG_EXPAND_SZ);
    QTest::newRow("multi string split at \\0")
        << QStringList{"/v", "m", "/t", "REG_MULTI_SZ", "/d", "a\\0bc"}
        << RegValue{"m", REG_MULTI_SZ, QByteArray("a\0\0\0b\0c\0\0\0\0\0", 12)};
    QTest::newRow("multi string with own separator")
        << QStringList{"/v", "m", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "a#b"}
        << RegValue{"m", REG_MULTI_SZ, QByteArray("a\0\0\0b\0\0\0\0\0", 10)};
    QTest::newRow("multi string: a separator at the end only ends it")
        << QStringList{"/v", "m", "/t", "REG_MULTI_SZ", "/d", "a\\0"}
        << RegValue{"m", REG_MULTI_SZ, QByteArray("a\0\0\0\0\0", 6)};
    QTest::newRow("multi string: a lone separator is one empty string")
        << QStringList{"/v", "m", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "#"}
        << RegValue{"m", REG_MULTI_SZ, QByteArray(4, '\0')};
    QTest::newRow("multi string: nothing is one zero")
        << QStringList{"/v", "m", "/t", "REG_MULTI_SZ"} << RegValue{"m", REG_MULTI_SZ, QByteArray(2, '\0')};
    QTest::newRow("dword decimal, leading zero too")
        << QStringList{"/v", "d", "/t", "REG_DWORD", "/d", "01031"} << RegValue::Dword("d", 1031);
    QTest::newRow("dword hex") << QStringList{"/v", "d", "/t", "REG_DWORD", "/d", "0xFFFFFFFF"}
                               << RegValue::Dword("d", 0xffffffff);
    QTest::newRow("qword") << QStringList{"/v", "q", "/t", "REG_QWORD", "/d", "0x100000000"}
                           << RegValue{"q", REG_QWORD, QByteArray("\0\0\0\0\1\0\0\0", 8)};
    QTest::newRow("qword of -1") << QStringList{"/v", "q", "/t", "REG_QWORD", "/d", "-1"}
                                 << RegValue{"q", REG_QWORD, QByteArray(8, '\xff')};
    QTest::newRow("qword without /d")
        << QStringList{"/v", "q", "/t", "REG_QWORD"} << RegValue{"q", REG_QWORD, QByteArray(8, '\0')};
    QTest::newRow("big-endian dword stored as reg stores it")
        << QStringList{"/v", "b", "/t", "REG_DWORD_BIG_ENDIAN", "/d", "0x456"}
        << RegValue{"b", REG_DWORD_BIG_ENDIAN, QByteArray("\x56\x04\0\0", 4)};
    QTest::newRow("binary") << QStringList{"/v", "b", "/t", "REG_BINARY", "/d", "00ffAB"}
                            << RegValue{"b", REG_BINARY, QByteArray("\0\xff\xab", 3)};
    QTest::newRow("binary of odd length")
        << QStringList{"/v", "b", "/t", "REG_BINARY", "/d", "DeAdBeEf0DD"}
        << RegValue{"b", REG_BINARY, QByteArray("\x0d\xea\xdb\xee\xf0\xdd", 6)};
    QTest::newRow("none is text with its zero") << QStringList{"/v", "n", "/t", "REG_NONE", "/d", "Test"}
                                                << RegValue{"n", REG_NONE, EncodeRegString("Test")};
    QTest::newRow("none without data is one zero")
        << QStringList{"/ve", "/t", "REG_NONE"} << RegValue{"", REG_NONE, QByteArray(2, '\0')};
    QTest::newRow("no switches: the default value, empty") << QStringList{} << RegValue::String("", "");
    QTest::newRow("/t and /d without /v: the default value")
        << QStringList{"/t", "REG_DWORD", "/d", "0x5"} << RegValue::Dword("", 5);
    QTest::newRow("views have no effect")
        << QStringList{"/v", "s", "/d", "x", "/reg:32"} << RegValue::String("s", "x");
}

void tst_Kx4Reg::addTypes() {
    QFETCH(QStringList, switches);
    QFETCH(RegValue, stored);
    const Result result = Run(QStringList{"add", "HKLM\\Software\\Add"} + switches);
    QCOMPARE(result.err, QString());
    QCOMPARE(result.out, QString("The operation completed successfully.\n"));
    QCOMPARE(result.status, 0);
    RegValue back;
    QCOMPARE(RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, "Software\\Add", stored.name, &back),
             long(ERROR_SUCCESS));
    QCOMPARE(back, stored);
}

void tst_Kx4Reg::confirmations_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("skipSwitch");
    QTest::addColumn<bool>("changes"); // whether the command changes the registry when it goes on
    QTest::newRow("overwriting a value")
        << QStringList{"add", "HKCU\\Software\\Test", "/v", "name", "/d", "new"} << "/f" << true;
    QTest::newRow("deleting a value")
        << QStringList{"delete", "HKCU\\Software\\Test", "/v", "Name"} << "/f" << true;
    QTest::newRow("deleting all values")
        << QStringList{"delete", "HKCU\\Software\\Test", "/va"} << "/f" << true;
    QTest::newRow("deleting a key") << QStringList{"delete", "HKCU\\Software\\Test"} << "/f" << true;
    QTest::newRow("overwriting an export file")
        << QStringList{"export", "HKCU\\Software\\Test", "$FILE"} << "/y" << false;
}

void tst_Kx4Reg::confirmations() {
    QFETCH(QStringList, args);
    QFETCH(QString, skipSwitch);
    QFETCH(bool, changes);
    const QString file = m_dir->path() + "/existing.reg";
    args.replaceInStrings("$FILE", file);
    auto snapshot = [&] {
        QString out;
        QFile f(file);
        if (f.open(QIODevice::ReadOnly))
            out = QString::fromLatin1(f.readAll().toHex());
        QTextStream s(&out);
        RunKx4Reg({"query", "HKCU\\Software", "/s"}, s, s, nullptr);
        s.flush();
        return out;
    };
    for (const QString& answer :
         {QString("<no terminal>"), QString("no\n"), QString("YES\n"), QString("<forced>")}) {
        Seed();
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old");
        }
        const QString before = snapshot();
        Result result;
        if (answer == "<no terminal>")
            result = Run(args);
        else if (answer == "<forced>")
            result = Run(args + QStringList{skipSwitch});
        else
            result = Run(args, &answer);
        const bool goesOn = answer == "YES\n" || answer == "<forced>";
        QCOMPARE(result.status, goesOn ? 0 : 1);
        if (answer == "<no terminal>") {
            QVERIFY2(result.err.startsWith("ERROR: ") &&
                         result.err.contains("standard input is not a terminal") &&
                         result.err.contains(skipSwitch),
                     qPrintable(result.err));
        } else if (answer != "<forced>") {
            QVERIFY2(result.out.contains(QRegularExpression("[a-z0-9] \\(Yes/No\\)\\? ")),
                     qPrintable(result.out));
        } else {
            QVERIFY(!result.out.contains("(Yes/No)"));
        }
        QCOMPARE(snapshot() != before, goesOn);
        if (!changes && goesOn)
            QVERIFY(QFile(file).size() > 3);
        RegistryStore::DeleteTree(HKEY_CURRENT_USER, "");
    }
}

void tst_Kx4Reg::deleteForms_data() {
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QStringList>("valuesLeft");
    QTest::addColumn<bool>("keyLeft");
    QTest::newRow("one value") << QStringList{"/v", "num"}
                               << QStringList{"Name", "Big", "Bin", "Multi", "Path", "Nothing", ""} << true;
    QTest::newRow("default value") << QStringList{"/ve"}
                                   << QStringList{"Name", "Num", "Big", "Bin", "Multi", "Path", "Nothing"}
                                   << true;
    QTest::newRow("all values, subkeys stay") << QStringList{"/va"} << QStringList{} << true;
    QTest::newRow("the key with its tree") << QStringList{} << QStringList{} << false;
}

void tst_Kx4Reg::deleteForms() {
    QFETCH(QStringList, switches);
    QFETCH(QStringList, valuesLeft);
    QFETCH(bool, keyLeft);
    Seed();
    const Result result = Run(QStringList{"delete", "HKCU\\Software\\Test", "/f"} + switches);
    QCOMPARE(result.err, QString());
    QCOMPARE(result.status, 0);
    QCOMPARE(RegistryStore::KeyExists(HKEY_CURRENT_USER, "Software\\Test"), keyLeft);
    QCOMPARE(RegistryStore::KeyExists(HKEY_CURRENT_USER, "Software\\Test\\beta\\Deep"), keyLeft);
    QList<RegValue> values;
    RegistryStore::EnumValues(HKEY_CURRENT_USER, "Software\\Test", &values);
    QStringList names;
    for (const RegValue& v : values)
        names << v.name;
    QCOMPARE(names, valuesLeft);
}

void tst_Kx4Reg::importAndExport() {
    Seed();
    const QString file = m_dir->path() + "/t.reg";
    Result result = Run({"export", "HKCU\\Software\\Test", file, "/regedit4"});
    QCOMPARE(result.status, 0);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().startsWith("REGEDIT4\r\n"));
    RegistryStore::DeleteTree(HKEY_CURRENT_USER, "Software");
    result = Run({"import", file});
    QCOMPARE(result.err, QString());
    QCOMPARE(result.out, QString("The operation completed successfully.\n"));
    RegValue v;
    QCOMPARE(RegistryStore::QueryValue(HKEY_CURRENT_USER, "Software\\Test\\beta\\Deep", "Name", &v),
             long(ERROR_SUCCESS));

    QFile bad(m_dir->path() + "/bad.reg");
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Test]\n\"Name\"=\"changed\"\n\"x\"=dword:zz\n");
    bad.close();
    result = Run({"import", bad.fileName()});
    QCOMPARE(result.status, 1);
    QCOMPARE(result.err.left(result.err.indexOf(" line")), "ERROR: " + bad.fileName() + ":");
    QVERIFY2(result.err.contains("line 5:"), qPrintable(result.err));
    RegistryStore::QueryValue(HKEY_CURRENT_USER, "Software\\Test", "Name", &v);
    QCOMPARE(v.Text(), QString("hello world"));
}

// The real executable, with standard input from /dev/null: no question, a refusal.
void tst_Kx4Reg::executableRefusesWithoutTerminal() {
    Seed();
    QProcess process;
    process.setProgram(qEnvironmentVariable("KX4_BUILD_DIR") + "/bin/kx4reg");
    process.setStandardInputFile(QProcess::nullDevice());
    process.setArguments({"delete", "HKCU\\Software\\Test"});
    process.start();
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(QString::fromUtf8(process.readAllStandardError()).startsWith("ERROR: Permanently delete"));
    QVERIFY(RegistryStore::KeyExists(HKEY_CURRENT_USER, "Software\\Test"));
    process.setArguments({"query", "HKCU\\Software\\Test", "/v", "Num"});
    process.start();
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()),
             QString("\nHKEY_CURRENT_USER\\Software\\Test\n    Num    REG_DWORD    0x1f\n\n"));
}

void tst_Kx4Reg::damagedHive_data() {
    QTest::addColumn<HiveFixture::Damage>("damage");
    QTest::addColumn<QString>("state"); // what check says of the hive
    QTest::newRow("subkey index overwritten") << HiveFixture::Damage::IndexPageOverwritten << "damaged";
    QTest::newRow("another program's database")
        << HiveFixture::Damage::ForeignDatabase << "not a registry hive";
    QTest::newRow("not a database") << HiveFixture::Damage::NotADatabase << "not a registry hive";
}

// Every verb fails on a hive it cannot read, naming the file, and prints no partial listing;
// check says what is wrong with it.
void tst_Kx4Reg::damagedHive() {
    QFETCH(HiveFixture::Damage, damage);
    QFETCH(QString, state);
    Seed();
    QVERIFY(HiveFixture::Make(damage));
    const QString file = RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE);
    const QString exported = m_dir->path() + "/out.reg";
    for (const QStringList& args :
         {QStringList{"query", "HKLM\\Software", "/s"}, QStringList{"query", "HKCR"},
          QStringList{"add", "HKLM\\Software\\New", "/f"},
          QStringList{"delete", "HKLM\\Software\\Key001", "/f"},
          QStringList{"export", "HKLM\\Software", exported}}) {
        const Result result = Run(args);
        QCOMPARE(result.status, 1);
        QCOMPARE(result.out, QString());
        QVERIFY2(result.err.startsWith("ERROR: ") && result.err.contains(file) && result.err.count('\n') == 1,
                 qPrintable(args.join(' ') + ": " + result.err));
    }
    QVERIFY(!QFile::exists(exported));

    Result result = Run({"check"});
    QCOMPARE(result.status, 1);
    QVERIFY2(result.out.startsWith("HKEY_LOCAL_MACHINE: " + file + ": " + state + "\n    ") &&
                 result.out.contains("HKEY_CURRENT_USER: " + RegistryStore::HiveFilePath(HKEY_CURRENT_USER) +
                                     ": ok\n"),
             qPrintable(result.out));
    QVERIFY2(result.err.contains(file), qPrintable(result.err));
    result = Run({"check", "HKCU"});
    QCOMPARE(result.status, 0);
    QCOMPARE(result.err, QString());
    // The user's hive reads on.
    QCOMPARE(Run({"query", "HKCU\\Software\\Test", "/v", "Num"}).status, 0);
}

void tst_Kx4Reg::helpSwitches() {
    for (const QString& verb : {"query", "add", "delete", "import", "export", "check"}) {
        for (const QString& help : {"/?", "/h", "-H"}) {
            const Result result = Run({verb, help});
            QCOMPARE(result.status, 0);
            QVERIFY2(result.out.startsWith("kx4reg " + verb),
                     qPrintable(verb + " " + help + ": " + result.out));
        }
    }
}

QTEST_GUILESS_MAIN(tst_Kx4Reg)
#include "tst_Kx4Reg.moc"
