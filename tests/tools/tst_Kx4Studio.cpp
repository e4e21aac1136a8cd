#include "ToolRun.h"
#include "common/TestSupport.h"
#include "kx4studio/Kx4Studio.h"
#include "kx4studio/StudioToolContext.h"

#include "ProjectData/ProjectFile.h"
#include "ProjectData/ProjectTransaction.h"
#include "platform/registry/Registry.h"
#include "studio/IStudioUtilities.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>

using TestSupport::WriteFile;

// kx4studio's commands in this process, and as programs beside kx4toolbox on one prefix.
class tst_Kx4Studio : public QObject {
    Q_OBJECT

    ToolRun::Result Run(const QStringList& args) {
        return ToolRun::InProcess(
            [&](QTextStream& out, QTextStream& err) { return RunKx4Studio(args, out, err, m_context); });
    }
    QString File(const QString& name) const { return m_prefix->Work() + "/" + name; }
    static QString Text(HKEY root, const QString& key, const QString& name) {
        RegValue value; // empty when missing
        RegistryStore::QueryValue(root, key, name, &value);
        return value.type == REG_DWORD ? QStringLiteral("dword:%1").arg(value.Number()) : value.Text();
    }
    // A new project at file (a path on drive C: too) holding the texts of the CSV, left in seed.csv.
    void NewProject(const QString& file, const QByteArray& csv) {
        QVERIFY(WriteFile(File("seed.csv"), csv));
        QCOMPARE(Run({"new", file}).status, 0);
        QCOMPARE(Run({"import", file, File("seed.csv")}).status, 0);
    }

private Q_SLOTS:
    void init() {
        m_prefix = std::make_unique<TestSupport::TempPrefix>();
        m_context.programDir = ToolRun::Program("").chopped(1);
        QVERIFY(WriteFile(File("sysinfo"), "#!/bin/sh\n"));
        QFile::setPermissions(File("sysinfo"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_context.systemInfoPrograms = {File("not-installed"), File("sysinfo")};
        m_context.userName = "tester";
    }
    void cleanup() { m_prefix.reset(); }

    // One setup from an installed tree of our own: what the program then finds.
    void setupWritesTheInstallation() {
        const QString root = File("install");
        QVERIFY(QDir().mkpath(root + "/bin") && QDir().mkpath(root + "/lib/kx4toolbox"));
        QVERIFY(QFile::link(ToolRun::Program("../lib/kx4toolbox/libKXLanguage.so"),
                            root + "/lib/kx4toolbox/libKXLanguage.so"));
        QVERIFY(WriteFile(root + "/lib/kx4toolbox/libProjectExplorer.so", "explorer"));
        QVERIFY(WriteFile(root + "/share/kx4toolbox/help/Toolbox.chm", "help"));
        m_context.programDir = root + "/bin";
        const ToolRun::Result result = Run({"setup"});
        QVERIFY2(result.status == 0 && result.err.isEmpty(), qPrintable(result.err));
        const QString lib = root + "/lib/kx4toolbox/lib";
        // clang-format off
        for (const auto& [hive, key, name, value] : std::initializer_list<std::tuple<HKEY, QString, QString, QString>>{
                 {HKEY_LOCAL_MACHINE, StudioKeys::Studio, "LCID", "dword:1031"},
                 {HKEY_LOCAL_MACHINE, StudioKeys::Studio, "Path", "C:\\Program Files\\KestrixStudio"},
                 {HKEY_CURRENT_USER, StudioKeys::ShellFolders, "Personal", "C:\\users\\tester\\Documents"},
                 {HKEY_CLASSES_ROOT, "KXLanguage.Connect\\InprocServer32", "", lib + "KXLanguage.so"},
                 {HKEY_CLASSES_ROOT, "KXProjectExplorer.Explorer\\InprocServer32", "", lib + "ProjectExplorer.so"},
                 {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", File("sysinfo")}})
            QCOMPARE(key + "\\" + name + "=" + Text(hive, key, name), key + "\\" + name + "=" + value);
        // clang-format on
        const QString c = m_prefix->Path() + "/drives/c/";
        QVERIFY(QFileInfo(c + "Program Files/KestrixStudio").isDir() &&
                QFileInfo(c + "users/tester/Documents").isDir());
        QCOMPARE(TestSupport::ReadFile(c + "Program Files/Common Files/HALVERN/HelpFiles/Toolbox.chm"),
                 "help");
        // Setup again: a --path inside drive c is stored as its Windows path, and a plain setup
        // keeps what the user and an earlier setup chose.
        QCOMPARE(Run({"setup", "--lcid", "1033", "--path", m_prefix->Path() + "/drives/c/Studio 4"}).status,
                 0);
        RegistryStore::SetValue(HKEY_CURRENT_USER, StudioKeys::ShellFolders,
                                RegValue::String("Personal", "C:\\Docs"));
        QCOMPARE(Run({"setup"}).status, 0);
        QCOMPARE(Text(HKEY_LOCAL_MACHINE, StudioKeys::Studio, "LCID"), "dword:1033");
        QCOMPARE(Text(HKEY_LOCAL_MACHINE, StudioKeys::Studio, "Path"), "C:\\Studio 4");
        QCOMPARE(Text(HKEY_CURRENT_USER, StudioKeys::ShellFolders, "Personal"), "C:\\Docs");
    }

    // Every refusal is one line naming what and where, and registers nothing.
    void commandFailures_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("err");
        const QString kxs = "%1/Echt.kxs";
        // clang-format off
        QTest::newRow("no command") << QStringList{} << "usage: kx4studio COMMAND [ARGUMENTS]";
        QTest::newRow("unknown command") << QStringList{"make"} << "kx4studio make: unknown command \"make\" (kx4studio --help lists them)";
        QTest::newRow("unknown option") << QStringList{"setup", "--lang", "1033"} << "kx4studio setup: unknown option --lang (usage: kx4studio setup [--lcid N] [--path DIR])";
        QTest::newRow("option without value") << QStringList{"setup", "--lcid"} << "kx4studio setup: option --lcid needs a value (usage: kx4studio setup [--lcid N] [--path DIR])";
        QTest::newRow("bad locale id") << QStringList{"setup", "--lcid", "deutsch"} << "kx4studio setup: --lcid deutsch is no locale id";
        QTest::newRow("missing argument") << QStringList{"import", "Demo"} << "kx4studio import: usage: kx4studio import FILE CSV|XLF|PO [--force]";
        QTest::newRow("new without .kxs") << QStringList{"new", "%1/Demo.txt"} << "kx4studio new: %1/Demo.txt: a project file ends in .kxs";
        QTest::newRow("new over an existing file") << QStringList{"new", "%1/sysinfo.kxs"} << "kx4studio new: %1/sysinfo.kxs already exists";
        QTest::newRow("register a missing file") << QStringList{"register", "%1/Nix.kxs"} << "kx4studio register: project file %1/Nix.kxs not found";
        QTest::newRow("register no project") << QStringList{"register", "%1/sysinfo.kxs"} << "kx4studio register: %1/sysinfo.kxs is not a project database";
        QTest::newRow("register unknown type") << QStringList{"register", kxs, "--type", "single"} << "kx4studio register: project type \"single\" is none of Single, Server, Client, Terminal Server, Terminal Client, Group, KestrixX";
        QTest::newRow("register group type for a .kxs") << QStringList{"register", kxs, "--type", "Group"} << "kx4studio register: a project of type \"Group\" is a .vbg file, not Echt.kxs";
        QTest::newRow("register under another name") << QStringList{"register", kxs, "--name", "Anders"} << "kx4studio register: name \"Anders\" would register Anders.kxs, not Echt.kxs";
        QTest::newRow("unregister unknown") << QStringList{"unregister", "Nix"} << "kx4studio unregister: project \"Nix\" is not registered";
        QTest::newRow("translators' export without a target") << QStringList{"export", kxs, "--format", "xliff", "--source", "1031"} << "kx4studio export: --format xliff needs --source and --target";
        QTest::newRow("export in an unknown format") << QStringList{"export", kxs, "--format", "xml"} << "kx4studio export: --format xml is none of csv, xliff, po";
        QTest::newRow("export of a source language the project lacks") << QStringList{"export", kxs, "--format", "po", "--source", "de-DE", "--target", "1033", "-o", "%1/x.po"} << "kx4studio export: source language \"de-DE\" is not in %1/Echt.kxs";
        QTest::newRow("CSV with a bad line") << QStringList{"import", kxs, "%1/bad.csv"} << "kx4studio import: %1/bad.csv line 3: index \"x\" is not a whole number; nothing imported";
        QTest::newRow("--force on a CSV import") << QStringList{"import", kxs, "%1/x.csv", "--force"} << "kx4studio import: --force is for XLIFF and PO files";
        // clang-format on
    }
    void commandFailures() {
        QFETCH(QStringList, args);
        QFETCH(QString, err);
        QVERIFY(WriteFile(File("sysinfo.kxs"), "no database") &&
                WriteFile(File("bad.csv"), "group,index,de-DE\nA,1,neu\nB,x,y\n"));
        QCOMPARE(Run({"new", File("Echt.kxs")}).status, 0);
        args.replaceInStrings("%1", m_prefix->Work());
        const ToolRun::Result result = Run(args);
        QCOMPARE(result.status, 1);
        QCOMPARE(result.err.section('\n', 0, 0), err.replace("%1", m_prefix->Work()));
        QVERIFY(result.err.count('\n') == 1 || args.isEmpty());
        QCOMPARE(Run({"list"}).out, QString());
    }

    // The name is the file's as it lies on disk, whatever case the command gave.
    void registerListUnregister() {
        QVERIFY(WriteFile(m_prefix->Path() + "/drives/c/Projekte/Gruppe.vbg", "Demo\\Demo.kxs\n"));
        // clang-format off
        for (const QStringList& args : {QStringList{"setup"}, {"new", "C:\\Projekte\\Demo\\Demo.kxs"}, {"new", File("Lokal.kxs")},
                                        {"register", m_prefix->Path() + "/drives/c/Projekte/Demo/Demo.kxs", "--type", "Server"},
                                        {"register", "C:\\PROJEKTE\\gruppe.vbg"}, {"register", File("Lokal.kxs"), "--name", "LOKAL"}})
            // clang-format on
            QCOMPARE(Run(args).status, 0);
        QVERIFY(QFile::remove(File("Lokal.kxs")));
        QCOMPARE(Run({"list"}).out,
                 QString("Demo\tServer\tC:\\Projekte\\Demo\tpresent\nGruppe\tGroup\tC:\\Projekte\tpresent\n"
                         "LOKAL\tSingle\t%1\tmissing\n")
                     .arg(m_prefix->Work()));
        QCOMPARE(Run({"unregister", "demo"}).status, 0);
        QCOMPARE(Run({"list"}).out.count('\n'), 2);
    }

    // The translators' round trip: export, the file comes back translated while a source text
    // has changed, import without and with --force, and the export finds nothing left to translate.
    void translatorRoundTrip() {
        const QString file = File("T.kxs");
        QVERIFY(WriteFile(File("t.csv"),
                          "group,index,1031,1033\nA,1,Kessel,Boiler\nA,2,Ventil,\nA\\B,7,Druck,\n"));
        QVERIFY(WriteFile(File("changed.csv"), "group,index,1031\nA\\B,7,Druck neu\n"));
        QCOMPARE(Run({"new", file, "--language", "1031", "--language", "1033"}).status, 0);
        QCOMPARE(Run({"import", file, File("t.csv")}).out, QString("imported 3 rows into %1\n").arg(file));
        QCOMPARE(
            Run({"groups", file}).out,
            QString("%1: languages 1031, 1033\nA (1031: 2, 1033: 1)\n  B (1031: 1, 1033: 0)\n").arg(file));
        QCOMPARE(Run({"export", file, "--group", "a\\b"}).out.toUtf8(),
                 QByteArray("group,index,1031,1033\r\nA\\B,7,Druck,\r\n"));
        // Standard output gets the file; it comes back translated.
        const QStringList po = {"export", file, "--format", "po", "--source", "1031", "--target", "en-US"};
        QByteArray translated = Run(po).out.toUtf8();
        translated.replace("\"Ventil\"\nmsgstr \"\"", "\"Ventil\"\nmsgstr \"Valve\"");
        QVERIFY(WriteFile(File("de-en.po"),
                          translated.replace("\"Druck\"\nmsgstr \"\"", "\"Druck\"\nmsgstr \"Pressure\"")));
        QCOMPARE(Run({"import", file, File("changed.csv")}).status, 0);
        const QString changed = "source changed since the export: A\\B\\7\n";
        QCOMPARE(Run({"import", file, File("de-en.po")}).out,
                 changed +
                     "kept the project's text of 1 units whose source changed "
                     "(--force imports them)\nimported 3 units into " +
                     file + "; texts changed: 1\n");
        QCOMPARE(Run({"stats", file, "--group", "a"}).out,
                 QString("%1: 3 indexes\n1031 (de-DE): 3 with text, 0 to translate\n1033 (en-US): 2 with "
                         "text, 1 to translate\n")
                     .arg(file));
        QCOMPARE(Run({"import", file, File("de-en.po"), "--force"}).out,
                 changed + "imported 3 units into " + file + "; texts changed: 1\n");
        const QString xlf = File("de-en.xlf");
        QCOMPARE(
            Run({"export", file, "--format", "xliff", "--source", "1031", "--target", "1033", "-o", xlf}).out,
            QString("exported 3 units (0 without translation) to %1\n").arg(xlf));
    }

    // While this process holds the project's write lock, a kx4studio writing it fails after its
    // busy wait (that it waits: tst_ProjectFile), naming the file.
    // The second writer waits for the first (ten seconds), then fails naming the lock; the first
    // loses nothing.
    void secondWriterWaitsThenFails() {
        const QString file = File("L.kxs");
        NewProject(file, "group,index,1031\nA,1,a\n");
        {
            ProjectFile project(file);
            ProjectTransaction hold(project.Database(), ProjectTransaction::Kind::Write);
            project.CreateGroup(ProjectFile::TopLevel, "Erster");
            QElapsedTimer waited;
            waited.start();
            const ToolRun::Result second = ToolRun::Run(
                ToolRun::Program("kx4studio"), {"import", file, File("seed.csv")}, m_prefix->Environment());
            QVERIFY2(waited.elapsed() >= 9000, "the second writer did not wait for the lock");
            QCOMPARE(second.status, 1);
            QVERIFY2(second.err.startsWith("kx4studio import: ") &&
                         second.err.endsWith(file + ": the file is locked by another program\n") &&
                         second.err.count('\n') == 1,
                     qPrintable(second.err));
            hold.Commit();
        }
        QVERIFY(Run({"groups", file}).out.contains("\nErster (1031: 0)\n"));
    }

    // The project's folder mounted read-only in a mount namespace of the command's own.
    void readOnlyMedium() {
        const QString file = File("medium/R.kxs");
        NewProject(file, "group,index,1031\nA,1,a\n");
        const QStringList mount = {"-rm",          "sh",
                                   "-c",           "mount --bind -o ro \"$0\" \"$0\" && exec \"$@\"",
                                   File("medium"), ToolRun::Program("kx4studio")};
        if (ToolRun::Run("unshare", mount).status != 1)
            QSKIP("no mount namespaces here (unshare -rm)");
        QCOMPARE(ToolRun::Run("unshare", mount + QStringList{"export", file}).out,
                 QString("group,index,1031\r\nA,1,a\r\n"));
        const ToolRun::Result import =
            ToolRun::Run("unshare", mount + QStringList{"import", file, File("seed.csv")});
        QCOMPARE(import.status, 1);
        QCOMPARE(import.err, "kx4studio import: cannot update " + file + ": its folder is read-only\n");
    }

    // The chain as a user runs it: projects made here, a script run by kx4toolbox silently,
    // then kx4studio shows what the script did.
    void scripts() {
        if (!QFileInfo(ToolRun::Program("kx4toolbox")).isExecutable())
            QSKIP("bin/kx4toolbox is not built: the chain needs the program that runs scripts");
        QCOMPARE(Run({"setup"}).status, 0);
        for (const auto& [name, csv] :
             {std::pair{"Quelle",
                        "group,index,1031,1033\nAlarme,1,Kessel heiß,Boiler hot\nAlarme\\Pumpe,1,Pumpe aus,"
                        "Pump off\nMeldungen,1,Start neu,Start new\nMeldungen,2,Stopp,Stop\n"},
              std::pair{"Ziel", "group,index,1031\nMeldungen,1,Start\nMeldungen,3,Nur hier\nAlt,1,weg\n"}}) {
            const QString project = QString("C:\\Projekte\\%1\\%1.kxs").arg(name);
            NewProject(project, csv);
            QCOMPARE(Run({"register", project}).status, 0);
        }
        QVERIFY(WriteFile(
            m_prefix->Path() + "/drives/c/Skripte/lauf.txt",
            "set dbread \"Quelle\"\r\nset dbwrite \"C:\\Projekte\\Ziel\\Ziel.kxs\"\r\naddlanguage "
            "\"1033\"\r\ncopy \"Alarme\" \"Alarme\"\r\ncopynonh \"Alarme\" \"Flach\"\r\nupdategroup "
            "\"Meldungen\" \"Meldungen\"\r\nrename \"Flach\" \"Eben\"\r\ndelete \"Alt\"\r\n"));
        // A Windows-style path on drive C:, in other case than on disk.
        const ToolRun::Result run = ToolRun::Run(ToolRun::Program("kx4toolbox"),
                                                 {"/s", "C:\\Skripte\\Lauf.txt"}, m_prefix->Environment());
        QVERIFY2(run.status == 0 && run.err.isEmpty(), qPrintable(run.err));
        QCOMPARE(
            Run({"export", "Ziel"}).out,
            QString(
                "group,index,1031,1033\r\nMeldungen,1,Start neu,Start new\r\nMeldungen,2,Stopp,Stop\r\n"
                "Meldungen,3,Nur hier,\r\nAlarme,1,Kessel heiß,Boiler hot\r\nAlarme\\Pumpe,1,Pumpe aus,Pump "
                "off\r\nEben,1,Kessel heiß,Boiler hot\r\n"));
    }

private:
    std::unique_ptr<TestSupport::TempPrefix> m_prefix;
    StudioToolContext m_context;
};

QTEST_GUILESS_MAIN(tst_Kx4Studio)
#include "tst_Kx4Studio.moc"
