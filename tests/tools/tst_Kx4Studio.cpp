#include "kx4studio/Kx4Studio.h"
#include "kx4studio/StudioToolContext.h"

#include "ProjectData/ProjectCsv.h"
#include "ProjectData/ProjectFile.h"
#include "platform/registry/Registry.h"
#include "studio/IStudioUtilities.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

struct Result {
    int status = -1;
    QString out;
    QString err;
};

QString Text(HKEY root, const QString& key, const QString& name) {
    RegValue value;
    if (RegistryStore::QueryValue(root, key, name, &value) != ERROR_SUCCESS)
        return QStringLiteral("<missing>");
    return value.type == REG_DWORD ? QStringLiteral("dword:%1").arg(value.Number()) : value.Text();
}

bool WriteFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace

class tst_Kx4Studio : public QObject {
    Q_OBJECT

    Result Run(const QStringList& args) {
        Result result;
        QTextStream out(&result.out);
        QTextStream err(&result.err);
        result.status = RunKx4Studio(args, out, err, m_context);
        return result;
    }

    // An installed tree of our own: bin/, the language plugin and a project explorer in
    // lib/kx4toolbox/, a help file in share/kx4toolbox/help/.
    void MakeInstalledTree() {
        const QString root = m_files->filePath("install");
        QVERIFY(QDir().mkpath(root + "/bin"));
        QVERIFY(QDir().mkpath(root + "/lib/kx4toolbox"));
        QVERIFY(QFile::link(qEnvironmentVariable("KX4_BUILD_DIR") + "/lib/kx4toolbox/libKXLanguage.so",
                            root + "/lib/kx4toolbox/libKXLanguage.so"));
        QVERIFY(WriteFile(root + "/lib/kx4toolbox/libProjectExplorer.so", "explorer"));
        QVERIFY(WriteFile(root + "/share/kx4toolbox/help/Toolbox.chm", "help"));
        m_context.programDir = root + "/bin";
    }

private Q_SLOTS:
    void init() {
        m_prefix.reset(new QTemporaryDir);
        m_files.reset(new QTemporaryDir);
        qputenv("KX4_PREFIX", m_prefix->path().toLocal8Bit());
        m_context.programDir = qEnvironmentVariable("KX4_BUILD_DIR") + "/bin";
        const QString info = m_files->filePath("sysinfo");
        QVERIFY(WriteFile(info, "#!/bin/sh\n"));
        QFile::setPermissions(info, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_context.systemInfoPrograms = {m_files->filePath("not-installed"), info};
        m_context.userName = "tester";
    }

    void setupWritesEveryValue_data() {
        QTest::addColumn<quint32>("root");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const QString studio = StudioKeys::Studio;
        QTest::newRow("LCID") << quint32(HKEY_LOCAL_MACHINE) << studio << "LCID"
                              << "dword:1031";
        QTest::newRow("installation path") << quint32(HKEY_LOCAL_MACHINE) << studio << "Path"
                                           << "C:\\Program Files\\KestrixStudio";
        QTest::newRow("version") << quint32(HKEY_LOCAL_MACHINE) << studio << "Version"
                                 << "4.0";
        QTest::newRow("main folder") << quint32(HKEY_LOCAL_MACHINE) << StudioKeys::Maker << "MainDir"
                                     << "C:\\Program Files\\HALVERN";
        QTest::newRow("common folder") << quint32(HKEY_LOCAL_MACHINE) << StudioKeys::Maker << "Common"
                                       << "C:\\Program Files\\Common Files\\HALVERN";
        QTest::newRow("documents") << quint32(HKEY_CURRENT_USER) << StudioKeys::ShellFolders << "Personal"
                                   << "C:\\users\\tester\\Documents";
        QTest::newRow("language component class")
            << quint32(HKEY_CLASSES_ROOT) << "KXLanguage.Connect\\InprocServer32"
            << ""
            << "<install>/lib/kx4toolbox/libKXLanguage.so";
        QTest::newRow("project explorer class")
            << quint32(HKEY_CLASSES_ROOT) << "KXProjectExplorer.Explorer\\InprocServer32"
            << ""
            << "<install>/lib/kx4toolbox/libProjectExplorer.so";
        QTest::newRow("editor of the language component")
            << quint32(HKEY_LOCAL_MACHINE) << StudioKeys::ServerComponents + "\\KXLanguage"
            << "Editor"
            << "KXLanguage";
        QTest::newRow("system information program, first that exists")
            << quint32(HKEY_LOCAL_MACHINE) << "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"
            << "PATH"
            << "<files>/sysinfo";
    }
    void setupWritesEveryValue() {
        QFETCH(quint32, root);
        QFETCH(QString, key);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        MakeInstalledTree();
        const Result result = Run({"setup"});
        QVERIFY2(result.status == 0, qPrintable(result.err));
        expected.replace("<install>", m_files->filePath("install")).replace("<files>", m_files->path());
        QCOMPARE(Text(root, key, name), expected);
    }

    void setupMakesTheFolders() {
        MakeInstalledTree();
        QCOMPARE(Run({"setup"}).status, 0);
        const QString c = m_prefix->filePath("drives/c");
        for (const char* folder : {"Program Files/KestrixStudio", "Program Files/HALVERN",
                                   "Program Files/Common Files/HALVERN/HelpFiles", "users/tester/Documents"})
            QVERIFY2(QFileInfo(c + "/" + folder).isDir(), folder);
        QFile help(c + "/Program Files/Common Files/HALVERN/HelpFiles/Toolbox.chm");
        QVERIFY(help.open(QIODevice::ReadOnly));
        QCOMPARE(help.readAll(), QByteArray("help"));
    }

    void setupAgainKeepsUserData() {
        QCOMPARE(Run({"setup", "--lcid", "1033", "--path", "C:\\Studio"}).status, 0);
        RegistryStore::SetValue(HKEY_CURRENT_USER, StudioKeys::Studio,
                                RegValue::String("DefaultProjectsPath", "C:\\P"));
        RegistryStore::SetValue(HKEY_CURRENT_USER, StudioKeys::ShellFolders,
                                RegValue::String("Personal", "C:\\Docs"));
        QCOMPARE(Run({"new", "C:\\Docs\\Demo.kxs"}).status, 0);
        QCOMPARE(Run({"register", "C:\\Docs\\Demo.kxs"}).status, 0);
        const Result again = Run({"setup"});
        QVERIFY2(again.status == 0, qPrintable(again.err));
        QCOMPARE(Text(HKEY_LOCAL_MACHINE, StudioKeys::Studio, "LCID"), "dword:1033");
        QCOMPARE(Text(HKEY_LOCAL_MACHINE, StudioKeys::Studio, "Path"), "C:\\Studio");
        QCOMPARE(Text(HKEY_CURRENT_USER, StudioKeys::Studio, "DefaultProjectsPath"), "C:\\P");
        QCOMPARE(Text(HKEY_CURRENT_USER, StudioKeys::ShellFolders, "Personal"), "C:\\Docs");
        QCOMPARE(Text(HKEY_LOCAL_MACHINE, StudioKeys::Projects + "\\Demo", "Path"), "C:\\Docs");
        QVERIFY(QFileInfo(m_prefix->filePath("drives/c/Docs/Demo.kxs")).isFile());
    }

    void setupPathOption_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("stored");
        QTest::newRow("Windows-style") << "C:\\Studio 4"
                                       << "C:\\Studio 4";
        QTest::newRow("local folder inside drive c") << "%1/drives/c/Opt/Studio"
                                                     << "C:\\Opt\\Studio";
        QTest::newRow("local folder outside the prefix") << "%2/studio"
                                                         << "%2/studio";
    }
    void setupPathOption() {
        QFETCH(QString, option);
        QFETCH(QString, stored);
        const auto place = [this](QString text) {
            return text.replace("%1", m_prefix->path()).replace("%2", m_files->path());
        };
        const Result result = Run({"setup", "--path", place(option)});
        QVERIFY2(result.status == 0, qPrintable(result.err));
        QCOMPARE(Text(HKEY_LOCAL_MACHINE, StudioKeys::Studio, "Path"), place(stored));
    }

    void commandFailures_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("err");
        QTest::newRow("no command") << QStringList{} << "usage: kx4studio COMMAND [ARGUMENTS]";
        QTest::newRow("unknown command")
            << QStringList{"make"}
            << "kx4studio make: unknown command \"make\" (kx4studio --help lists them)";
        QTest::newRow("unknown option")
            << QStringList{"setup", "--lang", "1033"}
            << "kx4studio setup: unknown option --lang (usage: kx4studio setup [--lcid N] [--path DIR])";
        QTest::newRow("option without value") << QStringList{"setup", "--lcid"}
                                              << "kx4studio setup: option --lcid needs a value (usage: "
                                                 "kx4studio setup [--lcid N] [--path DIR])";
        QTest::newRow("bad locale id")
            << QStringList{"setup", "--lcid", "deutsch"} << "kx4studio setup: --lcid deutsch is no locale id";
        QTest::newRow("missing argument")
            << QStringList{"import", "Demo"}
            << "kx4studio import: usage: kx4studio import FILE CSV|XLF|PO [--force]";
        QTest::newRow("new without .kxs")
            << QStringList{"new", "%1/Demo.txt"} << "kx4studio new: %1/Demo.txt: a project file ends in .kxs";
        QTest::newRow("new over an existing file")
            << QStringList{"new", "%1/sysinfo.kxs"} << "kx4studio new: %1/sysinfo.kxs already exists";
        QTest::newRow("register a missing file") << QStringList{"register", "%1/Nix.kxs"}
                                                 << "kx4studio register: project file %1/Nix.kxs not found";
        QTest::newRow("register no project")
            << QStringList{"register", "%1/sysinfo.kxs"}
            << "kx4studio register: %1/sysinfo.kxs is not a project database";
        QTest::newRow("register unknown type")
            << QStringList{"register", "%1/Echt.kxs", "--type", "single"}
            << "kx4studio register: project type \"single\" is none of Single, Server, Client, Terminal "
               "Server, Terminal Client, Group, KestrixX";
        QTest::newRow("register group type for a .kxs")
            << QStringList{"register", "%1/Echt.kxs", "--type", "Group"}
            << "kx4studio register: a project of type \"Group\" is a .vbg file, not Echt.kxs";
        QTest::newRow("register under another name")
            << QStringList{"register", "%1/Echt.kxs", "--name", "Anders"}
            << "kx4studio register: name \"Anders\" would register Anders.kxs, not Echt.kxs";
        QTest::newRow("unregister unknown")
            << QStringList{"unregister", "Nix"} << "kx4studio unregister: project \"Nix\" is not registered";
        QTest::newRow("groups of unknown project")
            << QStringList{"groups", "Nix"} << "kx4studio groups: project \"Nix\" is not registered";
        QTest::newRow("export of a missing group")
            << QStringList{"export", "%1/Echt.kxs", "--group", "Fehlt"}
            << "kx4studio export: index group \"Fehlt\" not found in %1/Echt.kxs";
        QTest::newRow("export for translators without a target")
            << QStringList{"export", "%1/Echt.kxs", "--format", "xliff", "--source", "1031"}
            << "kx4studio export: --format xliff needs --source and --target";
        QTest::newRow("export in an unknown format")
            << QStringList{"export", "%1/Echt.kxs", "--format", "xml"}
            << "kx4studio export: --format xml is none of csv, xliff, po";
        QTest::newRow("export of a source language the project lacks")
            << QStringList{"export", "%1/Echt.kxs", "--format", "po", "--source",
                           "de-DE",  "--target",    "1033",     "-o", "%1/x.po"}
            << "kx4studio export: source language \"de-DE\" is not in %1/Echt.kxs";
        QTest::newRow("--force on a CSV import")
            << QStringList{"import", "%1/Echt.kxs", "%1/x.csv", "--force"}
            << "kx4studio import: --force is for XLIFF and PO files";
    }
    void commandFailures() {
        QFETCH(QStringList, args);
        QFETCH(QString, err);
        QVERIFY(WriteFile(m_files->filePath("sysinfo.kxs"), "no database"));
        QCOMPARE(Run({"new", m_files->filePath("Echt.kxs")}).status, 0);
        for (QString& arg : args)
            arg.replace("%1", m_files->path());
        const Result result = Run(args);
        QCOMPARE(result.status, 1);
        QCOMPARE(result.err.section('\n', 0, 0), err.replace("%1", m_files->path()));
        QVERIFY(result.err.count('\n') == 1 || args.isEmpty());
        QStringList keys;
        RegistryStore::EnumKeys(HKEY_LOCAL_MACHINE, StudioKeys::Projects, &keys);
        QCOMPARE(keys, QStringList());
    }

    void registerListUnregister() {
        QCOMPARE(Run({"setup"}).status, 0);
        QCOMPARE(Run({"new", "C:\\Projekte\\Demo\\Demo.kxs", "--language", "1031"}).status, 0);
        QVERIFY(WriteFile(m_prefix->filePath("drives/c/Projekte/Gruppe.vbg"), "Demo\\Demo.kxs\n"));
        QCOMPARE(Run({"new", m_files->filePath("Lokal.kxs")}).status, 0);
        QCOMPARE(Run({"register", m_prefix->filePath("drives/c/Projekte/Demo/Demo.kxs"), "--type", "Server"})
                     .status,
                 0);
        // The name is the file's as it lies on disk, whatever case the command gave.
        QCOMPARE(Run({"register", "C:\\PROJEKTE\\gruppe.vbg"}).status, 0);
        QCOMPARE(Run({"register", m_files->filePath("Lokal.kxs"), "--name", "LOKAL"}).status, 0);
        QVERIFY(QFile::remove(m_files->filePath("Lokal.kxs")));
        QCOMPARE(Run({"list"}).out, QString("Demo\tServer\tC:\\Projekte\\Demo\tpresent\n"
                                            "Gruppe\tGroup\tC:\\Projekte\tpresent\n"
                                            "LOKAL\tSingle\t%1\tmissing\n")
                                        .arg(m_files->path()));
        QCOMPARE(Run({"unregister", "demo"}).status, 0);
        QCOMPARE(Run({"list"}).out.count('\n'), 2);
    }

    // The program's project list keeps or drops a registration by the same rule.
    void listPresence_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("presence");
        QTest::newRow("group by name with its .vbg") << "Group"
                                                     << "Demo.vbg"
                                                     << "present";
        QTest::newRow("group by numeric type with its .vbg") << "32"
                                                             << "Demo.vbg"
                                                             << "present";
        QTest::newRow("group by numeric type with only a .kxs") << "32"
                                                                << "Demo.kxs"
                                                                << "missing";
        QTest::newRow("numeric type of a mask with its .kxs") << "3"
                                                              << "Demo.kxs"
                                                              << "present";
        QTest::newRow("server with only a .vbg") << "Server"
                                                 << "Demo.vbg"
                                                 << "missing";
    }
    void listPresence() {
        QFETCH(QString, type);
        QFETCH(QString, file);
        QFETCH(QString, presence);
        QVERIFY(WriteFile(m_files->filePath(file), "member"));
        const QString key = StudioKeys::Projects + "\\Demo";
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, key, RegValue::String("ProjectType", type));
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, key, RegValue::String("Path", m_files->path()));
        QCOMPARE(Run({"list"}).out, QString("Demo\t%1\t%2\t%3\n").arg(type, m_files->path(), presence));
    }

    void groupsShowsTreeWithCounts() {
        const QString file = m_files->filePath("G.kxs");
        QVERIFY(WriteFile(m_files->filePath("g.csv"),
                          "group,index,1031,1033\nA,1,a,b\nA,2,c,\nA\\B,1,,d\nLeer,,,\n"));
        QCOMPARE(Run({"new", file, "--language", "1031", "--language", "1033"}).status, 0);
        QCOMPARE(Run({"import", file, m_files->filePath("g.csv")}).out,
                 QString("imported 4 rows into %1\n").arg(file));
        QCOMPARE(Run({"groups", file}).out, QString("%1: languages 1031, 1033\n"
                                                    "A (1031: 2, 1033: 1)\n"
                                                    "  B (1031: 0, 1033: 1)\n"
                                                    "Leer (1031: 0, 1033: 0)\n")
                                                .arg(file));
    }

    void exportImportRoundTrip() {
        const QByteArray csv = "group,index,de-DE,en-US\r\n"
                               "\"Grüße, \"\"alle\"\"\",1,\"Zeile 1\r\nZeile 2\",\"a,b\"\r\n"
                               "\"Grüße, \"\"alle\"\"\\Ölstand\",-7,€ 😀,\r\n";
        QVERIFY(WriteFile(m_files->filePath("in.csv"), csv));
        QCOMPARE(Run({"new", m_files->filePath("R.kxs")}).status, 0);
        QCOMPARE(Run({"import", m_files->filePath("R.kxs"), m_files->filePath("in.csv")}).status, 0);
        QCOMPARE(Run({"export", m_files->filePath("R.kxs")}).out.toUtf8(), csv);
        QCOMPARE(
            Run({"export", m_files->filePath("R.kxs"), "--group", "Grüße, \"alle\"\\ölstand"}).out.toUtf8(),
            QByteArray("group,index,de-DE,en-US\r\n\"Grüße, \"\"alle\"\"\\Ölstand\",-7,€ 😀,\r\n"));
    }

    // The translators' round trip as a user runs it: export, the file comes back translated
    // while a source text has changed, import with and without --force, stats in between.
    void translatorRoundTrip() {
        const QString file = m_files->filePath("T.kxs");
        const QString po = m_files->filePath("de-en.po");
        QVERIFY(WriteFile(m_files->filePath("t.csv"),
                          "group,index,1031,1033\nA,1,Kessel,Boiler\nA,2,Ventil,\nA\\B,7,Druck,\n"));
        QVERIFY(WriteFile(m_files->filePath("changed.csv"), "group,index,1031\nA\\B,7,Druck neu\n"));
        QCOMPARE(Run({"new", file, "--language", "1031", "--language", "1033"}).status, 0);
        QCOMPARE(Run({"import", file, m_files->filePath("t.csv")}).status, 0);
        QCOMPARE(
            Run({"export", file, "--format", "po", "--source", "1031", "--target", "en-US", "-o", po}).out,
            QString("exported 3 units (2 without translation) to %1\n").arg(po));
        const QString stats = QString("%1: 3 indexes\n1031 (de-DE): 3 with text, 0 to translate\n"
                                      "1033 (en-US): %2 with text, %3 to translate\n")
                                  .arg(file);
        QCOMPARE(Run({"stats", file}).out, stats.arg(1).arg(2));
        QFile translated(po);
        QVERIFY(translated.open(QIODevice::ReadWrite));
        const QByteArray text = translated.readAll()
                                    .replace("\"Ventil\"\nmsgstr \"\"", "\"Ventil\"\nmsgstr \"Valve\"")
                                    .replace("\"Druck\"\nmsgstr \"\"", "\"Druck\"\nmsgstr \"Pressure\"");
        QVERIFY(translated.resize(0) && translated.write(text) == text.size());
        translated.close();
        QCOMPARE(Run({"import", file, m_files->filePath("changed.csv")}).status, 0);
        QCOMPARE(Run({"import", file, po}).out,
                 QString("source changed since the export: A\\B\\7\n"
                         "kept the project's text of 1 units whose source changed (--force imports them)\n"
                         "imported 3 units into %1; texts changed: 1\n")
                     .arg(file));
        QCOMPARE(Run({"stats", file}).out, stats.arg(2).arg(1));
        QCOMPARE(
            Run({"import", file, po, "--force"}).out,
            QString("source changed since the export: A\\B\\7\nimported 3 units into %1; texts changed: 1\n")
                .arg(file));
        QCOMPARE(Run({"stats", file, "--group", "a\\b"}).out,
                 QString("%1: 1 indexes\n1031 (de-DE): 1 with text, 0 to translate\n"
                         "1033 (en-US): 1 with text, 0 to translate\n")
                     .arg(file));
        // Standard output gets the same file as -o.
        const QString xlf = m_files->filePath("de-en.xlf");
        QCOMPARE(Run({"export", file, "--format", "xliff", "--source", "1031", "--target", "1033", "-o", xlf})
                     .status,
                 0);
        QFile written(xlf);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(
            Run({"export", file, "--format", "xliff", "--source", "1031", "--target", "1033"}).out.toUtf8(),
            written.readAll());
    }

    void malformedImportNamesLineAndChangesNothing() {
        const QString file = m_files->filePath("M.kxs");
        QVERIFY(WriteFile(m_files->filePath("good.csv"), "group,index,1031\nA,1,a\n"));
        QVERIFY(WriteFile(m_files->filePath("bad.csv"),
                          "group,index,1031,1033\nA,1,neu,new\nA,2,\"a\nb\",x\nB,x,y,z\n"));
        QCOMPARE(Run({"new", file}).status, 0);
        QCOMPARE(Run({"import", file, m_files->filePath("good.csv")}).status, 0);
        const QString before = Run({"export", file}).out;
        const Result result = Run({"import", file, m_files->filePath("bad.csv")});
        QCOMPARE(result.status, 1);
        QCOMPARE(result.err,
                 QString("kx4studio import: %1 line 5: index \"x\" is not a whole number; nothing imported\n")
                     .arg(m_files->filePath("bad.csv")));
        QCOMPARE(Run({"export", file}).out, before);
    }

    // The project's folder mounted read-only in a mount namespace of the command's own, as a
    // write-protected medium would be.
    void readOnlyMedium_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("walLeft");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output"); // standard output of a reading command, error of a failing one
        QTest::newRow("groups reads")
            << QStringList{"groups", "%1"} << false << 0 << "%1: languages 1031\nA (1031: 1)\n";
        QTest::newRow("export reads")
            << QStringList{"export", "%1"} << false << 0 << "group,index,1031\r\nA,1,a\r\n";
        QTest::newRow("import is refused naming the file")
            << QStringList{"import", "%1", "%2"} << false << 1
            << "kx4studio import: cannot update %1: its folder is read-only\n";
        // Copied while open: the last commit lies in the WAL, which needs a file beside it to read.
        QTest::newRow("a WAL file left beside it fails reading, as reading")
            << QStringList{"groups", "%1"} << true << 1
            << "kx4studio groups: cannot read %1: unable to open database file\n";
    }
    void readOnlyMedium() {
        QFETCH(QStringList, args);
        QFETCH(bool, walLeft);
        QFETCH(int, status);
        QFETCH(QString, output);
        const QString folder = m_files->filePath("medium");
        const QString file = folder + "/R.kxs";
        const QString csv = m_files->filePath("r.csv");
        QVERIFY(WriteFile(csv, "group,index,1031\nA,1,a\n"));
        QCOMPARE(Run({"new", file, "--language", "1031"}).status, 0);
        QCOMPARE(Run({"import", file, csv}).status, 0);
        if (walLeft) {
            const QString saved = m_files->filePath("wal");
            {
                ProjectFile open(file);
                ProjectCsv::Import(open, "group,index,1031\nA,2,b\n", csv);
                QVERIFY(QFile::copy(file + "-wal", saved));
            }
            // Closing removed it; put back what a copy taken while open holds.
            QVERIFY(QFile::copy(saved, file + "-wal"));
        }
        const QStringList mount = {"-rm",  "sh",
                                   "-c",   "mount --bind -o ro \"$0\" \"$0\" && exec \"$@\"",
                                   folder, m_context.programDir + "/kx4studio"};
        QProcess probe;
        probe.start("unshare", mount);
        if (!probe.waitForFinished() || probe.exitCode() != 1)
            QSKIP("no mount namespaces here (unshare -rm)");
        for (QString& arg : args)
            arg.replace("%1", file).replace("%2", csv);
        QProcess studio;
        studio.start("unshare", mount + args);
        QVERIFY(studio.waitForFinished());
        QCOMPARE(studio.exitCode(), status);
        const QByteArray shown = status == 0 ? studio.readAllStandardOutput() : studio.readAllStandardError();
        QCOMPARE(QString::fromUtf8(shown), output.replace("%1", file));
    }

private:
    std::unique_ptr<QTemporaryDir> m_prefix;
    std::unique_ptr<QTemporaryDir> m_files;
    StudioToolContext m_context;
};

QTEST_GUILESS_MAIN(tst_Kx4Studio)
#include "tst_Kx4Studio.moc"
