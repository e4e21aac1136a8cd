#include "ProjectFixture.h"

#include "ProjectData/CsvReader.h"
#include "ProjectData/ProjectDatabase.h"
#include "ProjectData/ProjectTransaction.h"
#include "common/TestSupport.h"

#include <QThread>
#include <thread>

class tst_ProjectFile : public QObject {
    Q_OBJECT

    QString Next() { return m_dir.filePath(QString("P%1.kxs").arg(m_counter++)); }
    QString Make(const QByteArray& csv) {
        return ProjectFixture::Make(m_dir, QString("M%1.kxs").arg(m_counter++), csv);
    }
    static QByteArray ReadAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void init() { ProjectFixture::UsePrefix(m_prefix); }

    void refusesWhatIsNoProject_data() {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("missing file") << QByteArray() << "project \"%1\" not found";
        QTest::newRow("empty file") << QByteArray("touch") << "%1 is not a project database";
        QTest::newRow("foreign database") << QByteArray("foreign") << "%1 is not a project database";
        QTest::newRow("newer schema") << QByteArray("newer") << "%1 was made by a newer version (schema 2; this program reads schema 1)";
        // clang-format on
    }
    void refusesWhatIsNoProject() {
        QFETCH(QByteArray, setup);
        QFETCH(QString, expected);
        const QString path = Next();
        if (setup == "touch") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (setup == "foreign") {
            ProjectDatabase db(path, ProjectDatabase::Mode::Create);
            db.Execute("CREATE TABLE t(x)");
            db.Execute("PRAGMA user_version = 1");
        } else if (setup == "newer") {
            ProjectFile::Create(path, {"1031"});
            ProjectDatabase(path, ProjectDatabase::Mode::ReadWrite).Execute("PRAGMA user_version = 2");
        }
        const QByteArray before = ReadAll(path);
        const std::optional<Failure> failure = TestSupport::FailureOf([&] { ProjectFile project(path); });
        QVERIFY(failure);
        QCOMPARE(failure->Description(), expected.arg(path));
        QCOMPARE(ReadAll(path), before);
    }

    void languages() {
        const QString path = Next();
        ProjectFile::Create(path, {"1031", "en-US", "EN-us", "1033"});
        ProjectFile project(path);
        QCOMPARE(project.Languages(), QStringList({"1031", "en-US", "1033"}));
        QVERIFY(!project.AddLanguage("1031"));
        QVERIFY(!project.AddLanguage("EN-us"));
        QVERIFY(project.AddLanguage("fr-FR"));
        QCOMPARE(ProjectFile(path).Languages(), QStringList({"1031", "en-US", "1033", "fr-FR"}));
        QVERIFY_THROWS_EXCEPTION(Failure, ProjectFile::Create(path, {}));
    }

    void refusesInvalidNames_data() {
        QTest::addColumn<bool>("language");
        QTest::addColumn<QString>("name");
        // clang-format off
        QTest::newRow("empty language") << true << "";
        QTest::newRow("blank language") << true << "  ";
        QTest::newRow("empty group name") << false << "";
        QTest::newRow("backslash in group name") << false << "A\\B";
        QTest::newRow("sibling differing in case only") << false << "alarme";
        // clang-format on
    }
    void refusesInvalidNames() {
        QFETCH(bool, language);
        QFETCH(QString, name);
        auto project = ProjectFile::Create(Next(), {"1031"});
        project->CreateGroup(ProjectFile::TopLevel, "Alarme");
        const std::optional<Failure> failure = TestSupport::FailureOf([&] {
            language ? void(project->AddLanguage(name))
                     : void(project->CreateGroup(ProjectFile::TopLevel, name));
        });
        QVERIFY(failure && failure->Description().contains(project->Path()));
        QCOMPARE(project->Languages(), QStringList{"1031"});
        QCOMPARE(project->Children(ProjectFile::TopLevel).size(), 1);
    }

    void groupPaths_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("found"); // empty: absent; "!": malformed
        // clang-format off
        QTest::newRow("top level in other case") << "ALARME" << "Alarme";
        QTest::newRow("nested") << "Alarme\\Kessel" << "Alarme\\Kessel";
        QTest::newRow("same name under another parent") << "meldungen\\kessel" << "Meldungen\\Kessel";
        QTest::newRow("nested name at top level is absent") << "Kessel" << "";
        QTest::newRow("missing level") << "Alarme\\Pumpe\\Kessel" << "";
        QTest::newRow("empty path") << "" << "!";
        QTest::newRow("leading backslash") << "\\Alarme" << "!";
        QTest::newRow("doubled backslash") << "Alarme\\\\Kessel" << "!";
        QTest::newRow("trailing backslash") << "Alarme\\" << "!";
        // clang-format on
    }
    void groupPaths() {
        QFETCH(QString, path);
        QFETCH(QString, found);
        auto project = ProjectFile::Create(Next(), {"1031"});
        project->EnsureGroup("Alarme\\Kessel");
        project->EnsureGroup("Meldungen\\Kessel");
        if (found == "!") {
            QVERIFY_THROWS_EXCEPTION(Failure, project->GroupAt(path));
            return;
        }
        const std::optional<qint64> group = project->GroupAt(path);
        QCOMPARE(group ? project->GroupPath(*group) : QString(), found);
        if (found.isEmpty())
            QVERIFY_THROWS_EXCEPTION(Failure, project->RequireGroup(path));
    }

    void positions_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QStringList>("order");
        // clang-format off
        QTest::newRow("0 puts it last") << 0 << QStringList{"A", "B", "C", "New"};
        QTest::newRow("1 puts it first") << 1 << QStringList{"New", "A", "B", "C"};
        QTest::newRow("2 puts it second") << 2 << QStringList{"A", "New", "B", "C"};
        QTest::newRow("past the end puts it last") << 9 << QStringList{"A", "B", "C", "New"};
        // clang-format on
    }
    void positions() {
        QFETCH(int, position);
        QFETCH(QStringList, order);
        auto project = ProjectFile::Create(Next(), {"1031"});
        for (const char* name : {"A", "X", "B", "C"})
            project->CreateGroup(ProjectFile::TopLevel, name);
        project->DeleteGroup(project->RequireGroup("X")); // a gap in the stored positions
        project->CreateGroup(ProjectFile::TopLevel, "New", position);
        QStringList names;
        for (const GroupInfo& group : project->Children(ProjectFile::TopLevel))
            names << group.name;
        QCOMPARE(names, order);
    }

    void rename_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("works");
        // clang-format off
        QTest::newRow("new name") << "A" << "Z" << true;
        QTest::newRow("case change of the same group") << "A" << "a" << true;
        QTest::newRow("name of a sibling") << "A" << "d" << false;
        QTest::newRow("name used under another parent only") << "D" << "B" << true;
        // clang-format on
    }
    void rename() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, works);
        const QString path = Make("group,index,1031\nA,1,a\nA\\B,1,ab\nD,1,d\n");
        const QByteArray before = ProjectFixture::Export(path);
        ProjectFile project(path);
        const qint64 group = project.RequireGroup(from);
        if (works) {
            project.RenameGroup(group, to);
            QCOMPARE(project.GroupPath(group), to);
        } else {
            QVERIFY_THROWS_EXCEPTION(Failure, project.RenameGroup(group, to));
            QCOMPARE(ProjectFixture::Export(path), before);
        }
    }

    // Deleting takes the subtree and its texts; an empty text is no text; an uncommitted change
    // is rolled back, and another connection sees only what is committed.
    void changes() {
        const QString path = Make("group,index,1031,1033\nA,1,a,one\nA\\B,1,ab,\nA\\B\\C,1,abc,\nD,1,d,\n");
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
            QCOMPARE(ProjectFixture::Export(path), after);
        }
        QCOMPARE(ProjectFixture::Export(path), after);
        ProjectFile writer(path);
        ProjectTransaction transaction(writer.Database(), ProjectTransaction::Kind::Write);
        writer.SetText(writer.RequireGroup("D"), 3, writer.LanguageId("1031"), "drei");
        QCOMPARE(ProjectFixture::Export(path), after);
        transaction.Commit();
        QCOMPARE(ProjectFixture::Export(path), after + "D,3,drei,\n");
    }

    // A second writer, as another program would be, waits for the first instead of failing as locked.
    void secondWriterWaits() {
        const QString path = Make("group,index,1031\nA,1,a\n");
        ProjectFile first(path);
        auto hold = std::make_unique<ProjectTransaction>(first.Database(), ProjectTransaction::Kind::Write);
        first.SetText(first.RequireGroup("A"), 2, first.LanguageId("1031"), "b");
        std::optional<Failure> failure;
        std::thread second([&] {
            failure = TestSupport::FailureOf([&] {
                ProjectFile project(path);
                ProjectTransaction transaction(project.Database(), ProjectTransaction::Kind::Write);
                project.SetText(project.RequireGroup("A"), 3, project.LanguageId("1031"), "c");
                transaction.Commit();
            });
        });
        QThread::msleep(300);
        hold->Commit();
        second.join();
        QVERIFY2(!failure, qPrintable(failure ? failure->Text() : QString()));
        QCOMPARE(ProjectFixture::Export(path), QByteArray("group,index,1031\nA,1,a\nA,2,b\nA,3,c\n"));
    }

    // Export order, quoting and line ends; an import of the export exports the same; an import
    // sets the texts of its header's languages, empty cells removing them, and adds languages.
    void csv() {
        const QString path = Next();
        {
            auto project = ProjectFile::Create(path, {"1031", "en-US"});
            const qint64 b = project->EnsureGroup("B, \"b\"");
            const qint64 a = project->EnsureGroup("B, \"b\"\\A");
            project->EnsureGroup("Leer");
            project->SetText(a, 2, project->LanguageId("1031"), "zwei\nZeilen ");
            project->SetText(b, 10, project->LanguageId("en-US"), "ten, \"quoted\"\r\n");
            project->SetText(b, 9, project->LanguageId("1031"), "\"");
        }
        const QByteArray csv = "group,index,1031,en-US\r\n"
                               "\"B, \"\"b\"\"\",9,\"\"\"\",\r\n"
                               "\"B, \"\"b\"\"\",10,,\"ten, \"\"quoted\"\"\r\n\"\r\n"
                               "\"B, \"\"b\"\"\\A\",2,\"zwei\nZeilen \",\r\n"
                               "Leer,,,\r\n";
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        ProjectCsv::Export(ProjectFile(path), QString(), &buffer);
        QCOMPARE(buffer.data(), csv);
        QCOMPARE(ProjectFixture::Export(Make(csv)), ProjectFixture::Export(path));
        QCOMPARE(ProjectFixture::Export(path, "b, \"B\"\\a"),
                 QByteArray("group,index,1031,en-US\n\"B, \"\"b\"\"\\A\",2,\"zwei\nZeilen \",\n"));
        QVERIFY_THROWS_EXCEPTION(Failure, ProjectFixture::Export(path, "Fehlt"));

        const QString imported = Make("group,index,1031,1033\nA,1,a,one\nA,2,b,two\n");
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
        QTest::newRow("too many fields") << QByteArray("group,index,1031,1033\nB,1,x,y,z\n") << "line 2: expected 4 fields, found 5";
        QTest::newRow("index not a number") << QByteArray("group,index,1031,1033\nB,1,x,y\nB,zwei,x,y\n") << "line 3: index \"zwei\" is not a whole number";
        QTest::newRow("empty group") << QByteArray("group,index,1031,1033\n,1,x,y\n") << "line 2: no group";
        QTest::newRow("empty group level") << QByteArray("group,index,1031,1033\nB\\\\C,1,x,y\n") << "line 2: group \"B\\\\C\" has an empty level";
        QTest::newRow("texts without index") << QByteArray("group,index,1031,1033\nB,,x,\n") << "line 2: texts without an index";
        QTest::newRow("index twice, before a malformed row") << QByteArray("group,index,1031,1033\nb,7,x,y\nB,7,x,y\nB,8\n") << "line 3: index 7 of group \"B\" twice";
        QTest::newRow("index twice, far apart") << many + "B,2,x,y\nB,200,x,y\n" << "line 152: index 2 of group \"B\" twice";
        QTest::newRow("quote never closed, line of its record") << QByteArray("group,index,1031,1033\nB,1,x,y\nB,2,\"offen\nweiter,y\n") << "line 3: a quoted field is never closed";
        QTest::newRow("text after closing quote") << QByteArray("group,index,1031,1033\nB,1,\"x\"y,z\n") << "line 2: text after the closing quote of field 3";
        QTest::newRow("stray quote in plain field") << QByteArray("group,index,1031,1033\nB,1,x\"y,z\n") << "line 2: a quote inside field 3 that is not quoted";
        QTest::newRow("not UTF-8, line after a multi-line cell") << QByteArray("group,index,1031,1033\nB,1,\"a\nb\",y\nB,2,\xff,y\n") << "line 4: not UTF-8 text";
        QTest::newRow("CR line ends and an empty line") << QByteArray("group,index,1031,1033\rB,1,\"a\rb\",y\r\rB,zwei,x,y\r") << "line 5: index \"zwei\" is not a whole number";
        QTest::newRow("mixed line ends") << QByteArray("group,index,1031,1033\r\nB,1,x,y\rB,2,x,y\nB,3,\"x\"y,z\r\n") << "line 4: text after the closing quote of field 3";
        // clang-format on
    }
    void csvMalformedChangesNothing() {
        QFETCH(QByteArray, csv);
        QFETCH(QString, why);
        const QString path = Make("group,index,1031\nA,1,a\n");
        ProjectFile project(path);
        const std::optional<Failure> failure =
            TestSupport::FailureOf([&] { ProjectCsv::Import(project, csv, "in.csv"); });
        QVERIFY(failure);
        QCOMPARE(failure->Description(), QString("in.csv %1; nothing imported").arg(why));
        QCOMPARE(ProjectFixture::Export(path), QByteArray("group,index,1031\nA,1,a\n"));
    }

    // Records, their lines and the first fault must not depend on where a buffer ends.
    void csvSmallBuffersReadTheSame_data() {
        QTest::addColumn<QByteArray>("csv");
        // clang-format off
        QTest::newRow("line breaks of every kind, doubled quotes and a mark") << QByteArray(
            "\xEF\xBB\xBFgroup,index,1031\r\nA,1,\"x\r\ny\"\"\rz\nw\"\r\n\r\rA,2,\"\"\"\"\rB,,\n");
        QTest::newRow("UTF-8 split anywhere") << QByteArray("g,i,\xc3\xa4\xe2\x82\xac\xf0\x9f\x98\x80\nA,\"\xc3\xbc\"\n");
        QTest::newRow("quote never closed") << QByteArray("g,i,l\r\nA,1,\"x\r\ny\r\n");
        QTest::newRow("text after a closing quote") << QByteArray("g,i,l\rA,1,\"x\r\n\"y\r");
        QTest::newRow("not UTF-8 after a line break") << QByteArray("g,i\r\n\"a\r\nb\",\xc3\n");
        // clang-format on
    }
    void csvSmallBuffersReadTheSame() {
        QFETCH(QByteArray, csv);
        const auto read = [&](qsizetype bufferSize) {
            QBuffer device(&csv);
            device.open(QIODevice::ReadOnly);
            CsvReader reader(&device, bufferSize);
            QStringList seen;
            try {
                for (CsvRecord record; reader.Next(&record);)
                    seen << QString::number(record.line) + ':' + QString::fromUtf8(record.fields.join('|'));
            } catch (const CsvError& error) {
                seen << QString("line %1: %2").arg(error.line).arg(error.what);
            }
            return seen;
        };
        for (qsizetype size = 1; size <= 4; ++size)
            QCOMPARE(read(size), read(csv.size()));
    }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_prefix;
    int m_counter = 0;
};

QTEST_GUILESS_MAIN(tst_ProjectFile)
#include "tst_ProjectFile.moc"
