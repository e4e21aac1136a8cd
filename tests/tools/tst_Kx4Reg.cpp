#include "HiveFixture.h"
#include "ToolRun.h"
#include "common/TempPrefix.h"
#include "kx4reg/Kx4Reg.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryBatch.h"

#include <QTest>

#include <memory>

// kx4reg's commands in this process, and export and import as programs.
class tst_Kx4Reg : public QObject {
    Q_OBJECT

    // input: the answers typed at the terminal; none: standard input is no terminal.
    static ToolRun::Result Run(const QStringList& args, std::optional<QString> input = std::nullopt) {
        return ToolRun::InProcess([&](QTextStream& out, QTextStream& err) {
            QTextStream in(&*input);
            return RunKx4Reg(args, out, err, input ? &in : nullptr);
        });
    }
    // The registry below HKCU\Software and HKLM\Software as query shows it.
    static QString Dump() {
        return Run({"query", "HKCU\\Software", "/s"}).out + Run({"query", "HKLM", "/s"}).out;
    }
    ToolRun::Result Program(const QStringList& args) {
        return ToolRun::Run(ToolRun::Program("kx4reg"), args, m_prefix->Environment());
    }

    // HKCU\Software\Test with a value of each kind, the default value and subkeys (one deeper).
    static void Seed() {
        RegistryBatch batch; // one transaction keeps the many rows that start here quick
        QCOMPARE(batch.BeginWrite(false, true), long(ERROR_SUCCESS));
        const QString k = "Software\\Test";
        for (const RegValue& value : {RegValue::String("Name", "hello world"), RegValue::Dword("Num", 31),
                                      RegValue{"Big", REG_QWORD, QByteArray("\0\0\0\0\1\0\0\0", 8)},
                                      RegValue{"Bin", REG_BINARY, QByteArray("\x01\xab\0", 3)},
                                      RegValue{"Multi", REG_MULTI_SZ, QByteArray("a\0\0\0b\0\0\0\0\0", 10)},
                                      RegValue::String("Path", "%TEMP%", REG_EXPAND_SZ),
                                      RegValue{"Nothing", REG_NONE, {}}, RegValue::String("", "def")})
            batch.SetValue(HKEY_CURRENT_USER, k, value);
        for (quint32 type : {5, 6, 8, 9, 10, 11, 32}) // a byte each: printed in hex whatever the type
            batch.SetValue(HKEY_CURRENT_USER, k, RegValue{QString::number(type), type, "\1"});
        batch.SetValue(HKEY_CURRENT_USER, k + "\\beta\\Deep", RegValue::String("Name", "deep"));
        batch.CreateKey(HKEY_CURRENT_USER, k + "\\Alpha");
        QCOMPARE(batch.Commit(), long(ERROR_SUCCESS));
    }

private Q_SLOTS:
    void init() {
        m_prefix = std::make_unique<TestSupport::TempPrefix>();
        Seed();
    }
    void cleanup() { m_prefix.reset(); }

    // What a command prints (out, or a fragment of its one error line) and leaves in the registry.
    void commands_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QVariant>("input"); // the answers typed; invalid: no terminal
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");   // standard output; after "ERROR: ", part of the error line
        QTest::addColumn<QString>("after"); // the change to Dump(), as "old=>new"; empty: none
        const QString values =
            "    Name    REG_SZ    hello world\n    Num    REG_DWORD    0x1f\n    Big    "
            "REG_QWORD    0x100000000\n"
            "    Bin    REG_BINARY    01AB00\n    Multi    REG_MULTI_SZ    a\\0b\n    "
            "Path    REG_EXPAND_SZ    %TEMP%\n"
            "    Nothing    REG_NONE    \n    (Default)    REG_SZ    def\n    5    REG_DWORD_BIG_ENDIAN    "
            "01\n    6    REG_LINK    01\n"
            "    8    REG_RESOURCE_LIST    01\n    9    REG_FULL_RESOURCE_DESCRIPTOR    01\n    10    "
            "REG_RESOURCE_REQUIREMENTS_LIST    01\n    11    REG_QWORD    01\n    32    0x20    01\n";
        const QString subkeys =
            "\nHKEY_CURRENT_USER\\Software\\Test\\Alpha\n\nHKEY_CURRENT_USER\\Software\\Test\\beta\n\n"
            "HKEY_CURRENT_USER\\Software\\Test\\beta\\Deep\n    Name    REG_SZ    deep\n\n";
        const QString notFound = "ERROR: The system was unable to find the specified registry key or value.";
        const QString ok = "The operation completed successfully.\n";
        const QVariant none;
        // clang-format off
        QTest::newRow("values, then subkeys") << QStringList{"query", "HKCU\\Software\\Test"} << none << 0 << t + values + "\nHKEY_CURRENT_USER\\Software\\Test\\Alpha\nHKEY_CURRENT_USER\\Software\\Test\\beta\n" << "";
        QTest::newRow("subkeys only, no heading") << QStringList{"query", "HKEY_CURRENT_USER\\Software"} << none << 0 << "\nHKEY_CURRENT_USER\\Software\\Test\n" << "";
        QTest::newRow("key as typed, value in another case") << QStringList{"query", "hkcu\\software\\test\\BETA\\deep", "/v", "NAME"} << none << 0 << "\nHKEY_CURRENT_USER\\software\\test\\BETA\\deep\n    Name    REG_SZ    deep\n\n" << "";
        QTest::newRow("default value not set") << QStringList{"query", "HKCU\\Software\\Test\\Alpha", "-VE"} << none << 0 << "\nHKEY_CURRENT_USER\\Software\\Test\\Alpha\n    (Default)    REG_SZ    (value not set)\n\n" << "";
        QTest::newRow("one name through the tree") << QStringList{"query", "HKCU\\Software", "/v", "Name", "/s"} << none << 0 << t + "    Name    REG_SZ    hello world\n\nHKEY_CURRENT_USER\\Software\\Test\\beta\\Deep\n    Name    REG_SZ    deep\n\nEnd of search: 2 match(es) found.\n" << "";
        QTest::newRow("missing key") << QStringList{"query", "HKCU\\Software\\Nope"} << none << 1 << notFound << "";
        QTest::newRow("missing value") << QStringList{"query", "HKCU\\Software\\Test", "/v", "Nope"} << none << 1 << notFound << "";
        QTest::newRow("unknown root") << QStringList{"query", "HKU\\x"} << none << 1 << "ERROR: Invalid key name \"HKU\\x\"" << "";
        QTest::newRow("no command") << QStringList{} << none << 1 << "ERROR: Invalid syntax: no command" << "";
        QTest::newRow("unknown command") << QStringList{"copy", "HKCU\\a"} << none << 1 << "ERROR: unknown command \"copy\"" << "";
        QTest::newRow("switch of another verb") << QStringList{"query", "HKCU\\Software", "/f"} << none << 1 << "ERROR: /f is not a switch of query" << "";
        QTest::newRow("/v without a name") << QStringList{"query", "HKCU\\Software", "/v"} << none << 1 << "ERROR: /v needs a value" << "";
        QTest::newRow("/v and /ve together") << QStringList{"delete", "HKCU\\Software", "/v", "a", "/ve"} << none << 1 << "ERROR: give only one of /v, /ve and /va" << "";
        QTest::newRow("missing key argument") << QStringList{"query"} << none << 1 << "ERROR: query takes 1 argument(s), not 0" << "";
        QTest::newRow("a value switch given twice") << QStringList{"add", "HKCU\\a", "/d", "x", "/d", "y"} << none << 1 << "ERROR: Invalid syntax: /d given twice" << "";
        QTest::newRow("a switch given twice") << QStringList{"query", "HKCU\\Software", "/s", "/s"} << none << 1 << "ERROR: /s given twice" << "";
        QTest::newRow("two views") << QStringList{"query", "HKCU\\Software", "/reg:32", "/reg:64"} << none << 1 << "ERROR: give /reg:32 or /reg:64 once" << "";
        QTest::newRow("a switch before the key") << QStringList{"export", "/y", "HKCU\\Software", "x.reg"} << none << 1 << "stands after the switches; give the key (and file) first" << "";
        QTest::newRow("dword beyond 32 bits") << QStringList{"add", "HKCU\\a", "/t", "REG_DWORD", "/d", "4294967296"} << none << 1 << "ERROR: Invalid data: \"4294967296\" is not a number for REG_DWORD" << "";
        QTest::newRow("dword in hex without 0x") << QStringList{"add", "HKCU\\a", "/t", "REG_DWORD", "/d", "deadbeef"} << none << 1 << "is not a number" << "";
        QTest::newRow("dword without /d") << QStringList{"add", "HKCU\\a", "/t", "REG_DWORD"} << none << 1 << "REG_DWORD needs its number in /d" << "";
        QTest::newRow("binary with 0x") << QStringList{"add", "HKCU\\a", "/t", "REG_BINARY", "/d", "0xDeAdBeEf"} << none << 1 << "not a run of hex digits" << "";
        QTest::newRow("multi string with an empty string inside") << QStringList{"add", "HKCU\\a", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "#a"} << none << 1 << "holds an empty string" << "";
        QTest::newRow("separator of two characters") << QStringList{"add", "HKCU\\a", "/t", "REG_MULTI_SZ", "/s", "\\0", "/d", "a"} << none << 1 << "must be one character" << "";
        QTest::newRow("unknown type") << QStringList{"add", "HKCU\\a", "/t", "REG_TEXT"} << none << 1 << "unknown type \"REG_TEXT\"" << "";
        QTest::newRow("a bare root") << QStringList{"add", "HKCU\\", "/f"} << none << 1 << "a key name must follow the backslash after the root" << "";
        QTest::newRow("two backslashes at the end") << QStringList{"add", "HKCU\\a\\\\", "/f"} << none << 1 << "it ends in two backslashes" << "";
        QTest::newRow("deleting a root") << QStringList{"delete", "HKLM", "/f"} << none << 1 << "ERROR: A root key cannot be deleted: HKEY_LOCAL_MACHINE." << "";
        QTest::newRow("deleting a missing key") << QStringList{"delete", "HKCU\\Nope", "/f"} << none << 1 << notFound << "";
        QTest::newRow("import of a missing file") << QStringList{"import", "/nonexistent/x.reg"} << none << 1 << "ERROR: /nonexistent/x.reg: cannot read the file" << "";
        QTest::newRow("export of a missing key") << QStringList{"export", "HKCU\\Nope", "x.reg", "/y"} << none << 1 << notFound << "";
        QTest::newRow("delete key: no terminal") << QStringList{"delete", "HKCU\\Software\\Test"} << none << 1 << "ERROR: Permanently delete the registry key HKEY_CURRENT_USER\\Software\\Test? Not asked, because standard input is not a terminal; add /f" << "";
        QTest::newRow("delete key: answered no") << QStringList{"delete", "HKCU\\Software\\Test"} << QVariant("no\n") << 1 << "Permanently delete the registry key HKEY_CURRENT_USER\\Software\\Test (Yes/No)? The operation was cancelled.\n" << "";
        QTest::newRow("delete key: answered YES, tree gone") << QStringList{"delete", "HKCU\\Software\\Test"} << QVariant("YES\n") << 0 << "Permanently delete the registry key HKEY_CURRENT_USER\\Software\\Test (Yes/No)? " + ok << t + values + subkeys + "=>\n";
        QTest::newRow("delete the default value") << QStringList{"delete", "HKCU\\Software\\Test", "/ve"} << QVariant("y\n") << 0 << "Delete the registry value (Default) of HKEY_CURRENT_USER\\Software\\Test (Yes/No)? " + ok << "    (Default)    REG_SZ    def\n=>";
        QTest::newRow("delete all values, subkeys stay") << QStringList{"delete", "HKCU\\Software\\Test", "/va", "/f"} << none << 0 << ok << values + "=>";
        QTest::newRow("overwrite: no terminal") << QStringList{"add", "HKCU\\Software\\Test", "/v", "name", "/d", "new"} << none << 1 << "ERROR: Value name exists in HKEY_CURRENT_USER\\Software\\Test, overwrite? Not asked" << "";
        QTest::newRow("overwrite: forced") << QStringList{"add", "HKCU\\Software\\Test", "/v", "name", "/d", "new", "/f"} << none << 0 << ok << "Name    REG_SZ    hello world=>name    REG_SZ    new";
        QTest::newRow("check of a key, not a root") << QStringList{"check", "HKCU\\Software"} << none << 1 << "ERROR: Invalid root \"HKCU\\Software\": it must be HKLM, HKCU or HKCR." << "";
        QTest::newRow("/s with a type not multi string") << QStringList{"add", "HKCU\\a", "/t", "REG_SZ", "/s", "#"} << none << 1 << "/s is for REG_MULTI_SZ only" << "";
        QTest::newRow("deleting a missing value") << QStringList{"delete", "HKCU\\Software\\Test", "/v", "Nope", "/f"} << none << 1 << notFound << "";
        QTest::newRow("export into a missing folder") << QStringList{"export", "HKCU\\Software", "/nonexistent/x.reg", "/y"} << none << 1 << "/nonexistent/x.reg" << "";
        QTest::newRow("help of the tool") << QStringList{"--HELP"} << none << 0 << "kx4reg query | add | delete | import | export | check ...\nThe registry of the prefix $KX4_PREFIX. Type \"kx4reg VERB /?\" for the switches of a verb.\n" << "";
        QTest::newRow("help of a verb") << QStringList{"check", "-H"} << none << 0 << "kx4reg check [ROOT]\n\n  KEY  ROOT\\SubKey, ROOT one of HKLM, HKCU, HKCR (or their long names)\n" << "";
        // clang-format on
    }
    void commands() {
        QFETCH(QStringList, args);
        QFETCH(QVariant, input);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, after);
        const QString before = Dump();
        const ToolRun::Result result =
            Run(args, input.isValid() ? std::optional(input.toString()) : std::nullopt);
        QCOMPARE(result.status, status);
        if (status && !input.isValid()) {
            QVERIFY2(result.err.startsWith("ERROR: ") &&
                         result.err.contains(out.mid(out.startsWith("ERROR: ") ? 7 : 0)) &&
                         result.err.count('\n') == 1,
                     qPrintable(result.err));
        } else {
            QCOMPARE(result.err, QString());
            QCOMPARE(result.out, out);
        }
        QCOMPARE(Dump(), after.isEmpty()
                             ? before
                             : QString(before).replace(after.section("=>", 0, 0), after.section("=>", 1)));
    }

    void addTypes_data() {
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<RegValue>("stored");
        // clang-format off
        QTest::newRow("string by default") << QStringList{"/v", "s", "/d", "C:\\x y"} << RegValue::String("s", "C:\\x y");
        QTest::newRow("/t and /d without /v: the default value") << QStringList{"/t", "REG_DWORD", "/d", "0x5"} << RegValue::Dword("", 5);
        QTest::newRow("expand string, type in small letters") << QStringList{"/v", "e", "/t", "reg_expand_sz", "/d", "%A%"} << RegValue::String("e", "%A%", REG_EXPAND_SZ);
        QTest::newRow("multi string split at \\0") << QStringList{"/v", "m", "/t", "REG_MULTI_SZ", "/d", "a\\0bc"} << RegValue{"m", REG_MULTI_SZ, QByteArray("a\0\0\0b\0c\0\0\0\0\0", 12)};
        QTest::newRow("multi string: a separator at the end only ends it") << QStringList{"/v", "m", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "a#"} << RegValue{"m", REG_MULTI_SZ, QByteArray("a\0\0\0\0\0", 6)};
        QTest::newRow("multi string: nothing is one zero") << QStringList{"/v", "m", "/t", "REG_MULTI_SZ"} << RegValue{"m", REG_MULTI_SZ, QByteArray(2, '\0')};
        QTest::newRow("dword decimal, leading zero too") << QStringList{"/v", "d", "/t", "REG_DWORD", "/d", "01031"} << RegValue::Dword("d", 1031);
        QTest::newRow("dword hex") << QStringList{"/v", "d", "/t", "REG_DWORD_LITTLE_ENDIAN", "/d", "0xFFFFFFFF"} << RegValue::Dword("d", 0xffffffff);
        QTest::newRow("qword of -1") << QStringList{"/v", "q", "/t", "REG_QWORD", "/d", "-1"} << RegValue{"q", REG_QWORD, QByteArray(8, '\xff')};
        QTest::newRow("binary of odd length") << QStringList{"/v", "b", "/t", "REG_BINARY", "/d", "DeAdBeEf0DD"} << RegValue{"b", REG_BINARY, QByteArray("\x0d\xea\xdb\xee\xf0\xdd", 6)};
        // clang-format on
    }
    void addTypes() {
        QFETCH(QStringList, switches);
        QFETCH(RegValue, stored);
        QCOMPARE(Run(QStringList{"add", "HKLM\\Software\\Add"} + switches).out,
                 QString("The operation completed successfully.\n"));
        RegValue back; // stays empty when missing
        RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, "Software\\Add", stored.name, &back);
        QCOMPARE(back, stored);
    }

    // Export and import as programs: asked over an existing file, the tree comes back, and this
    // process, which read the registry before, sees what the other process imported.
    void importAndExport() {
        const QString file = m_prefix->Work() + "/t.reg";
        QVERIFY(TestSupport::WriteFile(file, "old"));
        QCOMPARE(Program({"export", "HKCU\\Software\\Test", file, "/regedit4"}).status, 1);
        QCOMPARE(Program({"export", "HKCU\\Software\\Test", file, "/regedit4", "/y"}).status, 0);
        const QString before = Dump();
        RegistryStore::DeleteTree(HKEY_CURRENT_USER, "Software");
        QCOMPARE(Program({"import", file}).out, QString("The operation completed successfully.\n"));
        QCOMPARE(Dump(), before);
    }

    // A verb fails on a hive it cannot read, naming the file, and prints nothing partial; check
    // says what is wrong with it (state), and the other hive reads on.
    void damagedHive() {
        for (const auto& [damage, state] :
             {std::pair{HiveFixture::Damage::IndexPageOverwritten, "damaged"},
              std::pair{HiveFixture::Damage::ForeignDatabase, "not a registry hive"}}) {
            init(); // a sound prefix for each damage
            QVERIFY(HiveFixture::Make(damage));
            const QString file = RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE);
            for (const QStringList& args : {QStringList{"query", "HKLM\\Software", "/s"},
                                            QStringList{"add", "HKLM\\Software\\New", "/f"}}) {
                const ToolRun::Result result = Run(args);
                QVERIFY2(result.status == 1 && result.out.isEmpty() && result.err.startsWith("ERROR: ") &&
                             result.err.contains(file) && result.err.count('\n') == 1,
                         qPrintable(args.join(' ') + ": " + result.err));
            }
            const ToolRun::Result check = Run({"check"});
            const QString userHive =
                "HKEY_CURRENT_USER: " + RegistryStore::HiveFilePath(HKEY_CURRENT_USER) + ": ok\n";
            QVERIFY2(check.status == 1 && check.err.contains(file) && check.out.endsWith(userHive) &&
                         check.out.startsWith("HKEY_LOCAL_MACHINE: " + file + ": " + state + "\n    "),
                     qPrintable(check.out + check.err));
            QCOMPARE(Run({"query", "HKCU\\Software\\Test", "/v", "Num"}).status, 0);
            QCOMPARE(Run({"check", "HKCU"}).out, userHive); // the sound hive alone
        }
    }

private:
    const QString t = "\nHKEY_CURRENT_USER\\Software\\Test\n";
    std::unique_ptr<TestSupport::TempPrefix> m_prefix;
};

QTEST_GUILESS_MAIN(tst_Kx4Reg)
#include "tst_Kx4Reg.moc"
