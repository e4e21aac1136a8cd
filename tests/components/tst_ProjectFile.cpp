#include "ProjectFixture.h"

#include "ProjectData/ProjectDatabase.h"
#include "ProjectData/ProjectTransaction.h"
#include "common/TestSupport.h"

class tst_ProjectFile : public QObject {
    Q_OBJECT

    ProjectFixture::Files m_files;

private Q_SLOTS:

    // What is no project of this version fails naming the file, and stays as it was.
    void refusesWhatIsNoProject_data() {
        QTest::addColumn<QString>("sql"); // run on a new project, "" an empty file, "-" none
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("missing file") << "-" << "project \"%1\" not found";
        QTest::newRow("empty file") << "" << "%1 is not a project database";
        QTest::newRow("newer schema") << "PRAGMA user_version = 2" << "%1 was made by a newer version (schema 2; this program reads schema 1)";
        // clang-format on
    }
    void refusesWhatIsNoProject() {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        const QString path = m_files.Next();
        QFile file(path);
        if (sql.size() > 1) {
            ProjectFile::Create(path, {"1031"});
            ProjectDatabase(path, ProjectDatabase::Mode::ReadWrite).Execute(sql.toUtf8().constData());
        }
        QVERIFY(sql == "-" || file.open(QIODevice::ReadWrite));
        const QByteArray before = file.readAll();
        const std::optional<Failure> failure = TestSupport::FailureOf([&] { ProjectFile project(path); });
        QCOMPARE(failure ? failure->Description() : QString(), expected.arg(path));
        QCOMPARE(file.seek(0) ? file.readAll() : QByteArray(), before);
    }

    void languages() {
        const QString path = m_files.Next();
        ProjectFile::Create(path, {"1031", "en-US", "EN-us", "1033"});
        ProjectFile project(path);
        QVERIFY(!project.AddLanguage("1031") && !project.AddLanguage("EN-us") &&
                project.AddLanguage("fr-FR"));
        QCOMPARE(ProjectFile(path).Languages(), QStringList({"1031", "en-US", "1033", "fr-FR"}));
        // A language refused while the file is made leaves no half-made project behind.
        const QString refused = m_files.Next();
        QVERIFY_THROWS_EXCEPTION(Failure, ProjectFile::Create(refused, {"1031", ""}));
        QVERIFY(!QFileInfo::exists(refused));
    }

    // A refused name fails naming the project and changes nothing.
    void names_data() {
        QTest::addColumn<QString>("call"); // "create", or the group to rename
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("works");
        // clang-format off
        QTest::newRow("empty group name") << "create" << "" << false;
        QTest::newRow("backslash in group name") << "create" << "X\\Y" << false;
        QTest::newRow("new sibling differing in case only") << "create" << "a" << false;
        QTest::newRow("rename, case change of the same group") << "A" << "a" << true;
        QTest::newRow("rename to a name used under another parent only") << "D" << "B" << true;
        // clang-format on
    }
    void names() {
        QFETCH(QString, call);
        QFETCH(QString, name);
        QFETCH(bool, works);
        const QString path = m_files.Make("group,index,1031\nA,1,a\nA\\B,1,ab\nD,1,d\n");
        const QByteArray before = ProjectFixture::Export(path);
        ProjectFile project(path);
        const std::optional<Failure> failure = TestSupport::FailureOf([&] {
            if (call == "create")
                project.CreateGroup(ProjectFile::TopLevel, name);
            else
                project.RenameGroup(project.RequireGroup(call), name);
        });
        QCOMPARE(!failure, works);
        if (works)
            QCOMPARE(project.GroupPath(project.RequireGroup(name)), name);
        else
            QVERIFY(failure->Description().contains(path) && ProjectFixture::Export(path) == before);
    }

    // Paths compare without case level by level; malformed ones fail, absent ones are none.
    void groupPaths() {
        auto project = ProjectFile::Create(m_files.Next(), {"1031"});
        project->EnsureGroup("Alarme\\Kessel");
        project->EnsureGroup("Meldungen\\Kessel");
        QCOMPARE(project->GroupPath(project->RequireGroup("ALARME")), "Alarme");
        QCOMPARE(project->GroupPath(project->RequireGroup("meldungen\\kessel")), "Meldungen\\Kessel");
        QVERIFY(!project->GroupAt("Kessel") && !project->GroupAt("Alarme\\Pumpe\\Kessel"));
        for (const char* path : {"Kessel", "", "Alarme\\\\Kessel"})
            QVERIFY_THROWS_EXCEPTION(Failure, project->RequireGroup(path));
    }

    // Deleting takes the subtree and texts; an empty text is none; an uncommitted change rolls back.
    void changes() {
        const QString path =
            m_files.Make("group,index,1031,1033\nA,1,a,one\nA\\B,1,ab,\nA\\B\\C,1,abc,\nD,1,d,\n");
        {
            ProjectFile project(path);
            project.DeleteGroup(project.RequireGroup("A"));
            const qint64 d = project.RequireGroup("D");
            project.SetText(d, 1, project.LanguageId("1031"), QString());
            project.SetText(d, 2, project.LanguageId("1033"), "two");
            QCOMPARE(project.TextCounts(d), (QMap<qint64, qint64>{{project.LanguageId("1033"), 1}}));
        }
        const QByteArray after = "group,index,1031,1033\nD,2,,two\n";
        QCOMPARE(ProjectFixture::Export(path), after);
        ProjectDatabase db(path, ProjectDatabase::Mode::ReadWrite);
        QCOMPARE(db.IntegerOf("SELECT COUNT(*) FROM texts"), 1);
        QCOMPARE(db.IntegerOf("SELECT COUNT(*) FROM groups"), 1);
        {
            ProjectFile project(path);
            ProjectTransaction transaction(project.Database(), ProjectTransaction::Kind::Write);
            project.DeleteGroup(project.RequireGroup("D"));
            project.AddLanguage("fr");
        }
        QCOMPARE(ProjectFixture::Export(path), after);
    }

    // An import sets the texts of its header's languages, empty cells removing them, and adds
    // languages; a byte-order mark and a last line without line end are read.
    void csvImport() {
        const QString imported = m_files.Make("group,index,1031,1033\nA,1,a,one\nA,2,b,two\n");
        ProjectFile project(imported);
        QCOMPARE(ProjectCsv::Import(project, "\xEF\xBB\xBFgroup,index,1033,fr\r\nA,1,,un\r\nA,3,three,trois",
                                    "more.csv"),
                 2);
        QCOMPARE(ProjectFixture::Export(imported),
                 QByteArray("group,index,1031,1033,fr\nA,1,a,,un\nA,2,b,two,\nA,3,,three,trois\n"));
    }

    void csvMalformedChangesNothing_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("why");
        QByteArray many("group,index,1031,1033\n");
        for (int i = 1; i <= 150; ++i)
            many += "B," + QByteArray::number(i) + ",x,y\n";
        // clang-format off
        QTest::newRow("no header") << QByteArray("") << "line 1: no header (expected group,index,<language>...)";
        QTest::newRow("header without group,index") << QByteArray("gruppe,index,1031\n") << "line 1: the header must begin with group,index";
        QTest::newRow("language twice in header") << QByteArray("group,index,1031,1031\n") << "line 1: language \"1031\" twice in the header";
        QTest::newRow("too few fields") << QByteArray("group,index,1031,1033\nB,1,x,y\nB,2,x\n") << "line 3: expected 4 fields, found 3";
        QTest::newRow("empty group") << QByteArray("group,index,1031,1033\n,1,x,y\n") << "line 2: no group";
        QTest::newRow("empty group level") << QByteArray("group,index,1031,1033\nB\\\\C,1,x,y\n") << "line 2: group \"B\\\\C\" has an empty level";
        QTest::newRow("texts without index") << QByteArray("group,index,1031,1033\nB,,x,\n") << "line 2: texts without an index";
        QTest::newRow("index twice, far apart") << many + "B,2,x,y\nB,200,x,y\n" << "line 152: index 2 of group \"B\" twice";
        QTest::newRow("quote never closed, line of its record") << QByteArray("group,index,1031,1033\nB,1,x,y\nB,2,\"offen\nweiter,y\n") << "line 3: a quoted field is never closed";
        QTest::newRow("stray quote in plain field") << QByteArray("group,index,1031,1033\nB,1,x\"y,z\n") << "line 2: a quote inside field 3 that is not quoted";
        QTest::newRow("not UTF-8, line after a multi-line cell") << QByteArray("group,index,1031,1033\nB,1,\"a\nb\",y\nB,2,\xff,y\n") << "line 4: not UTF-8 text";
        QTest::newRow("mixed line ends") << QByteArray("group,index,1031,1033\r\nB,1,x,y\rB,2,x,y\nB,3,\"x\"y,z\r\n") << "line 4: text after the closing quote of field 3";
        // clang-format on
    }
    void csvMalformedChangesNothing() {
        QFETCH(QByteArray, csv);
        QFETCH(QString, why);
        const QString path = m_files.Make("group,index,1031\nA,1,a\n");
        ProjectFile project(path);
        const std::optional<Failure> failure =
            TestSupport::FailureOf([&] { ProjectCsv::Import(project, csv, "in.csv"); });
        QCOMPARE(failure ? failure->Description() : QString(),
                 QString("in.csv %1; nothing imported").arg(why));
        QCOMPARE(ProjectFixture::Export(path), QByteArray("group,index,1031\nA,1,a\n"));
    }
};

QTEST_GUILESS_MAIN(tst_ProjectFile)
#include "tst_ProjectFile.moc"
