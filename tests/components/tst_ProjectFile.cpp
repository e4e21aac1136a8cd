#include "ProjectFixture.h"

#include "ProjectData/ProjectDatabase.h"
#include "ProjectData/ProjectTransaction.h"
#include "studio/Failure.h"

#include <QTest>

class tst_ProjectFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        QVERIFY(m_dir.isValid());
        ProjectFixture::UsePrefix(m_prefix);
    }

    void refusesWhatIsNoProject_data() {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing file") << QByteArray() << "project \"%1\" not found";
        QTest::newRow("empty file") << QByteArray("touch") << "%1 is not a project database";
        QTest::newRow("text file") << QByteArray("text") << "%1 is not a project database";
        QTest::newRow("foreign database") << QByteArray("foreign") << "%1 is not a project database";
        QTest::newRow("newer schema")
            << QByteArray("newer")
            << "%1 was made by a newer version (schema 2; this program reads schema 1)";
    }
    void refusesWhatIsNoProject() {
        QFETCH(QByteArray, setup);
        QFETCH(QString, expected);
        const QString path = m_dir.filePath("Demo.kxs");
        QFile::remove(path);
        if (setup == "touch" || setup == "text") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (setup == "text")
                file.write(
                    "group,index,1031\nthis is no database at all, but long enough to have a header page\n");
        } else if (setup == "foreign") {
            ProjectDatabase db(path, ProjectDatabase::Mode::Create);
            db.Execute("CREATE TABLE t(x)");
            db.Execute("PRAGMA user_version = 1");
        } else if (setup == "newer") {
            ProjectFile::Create(path, {"1031"});
            ProjectDatabase db(path, ProjectDatabase::Mode::ReadWrite);
            db.Execute("PRAGMA user_version = 2");
        }
        const QByteArray before = ReadAll(path);
        try {
            ProjectFile project(path);
            QFAIL("opened");
        } catch (const Failure& failure) {
            QCOMPARE(failure.Description(), expected.arg(path));
        }
        QCOMPARE(ReadAll(path), before);
    }

    void createKeepsLanguagesInOrder() {
        const QString path = m_dir.filePath("New.kxs");
        ProjectFile::Create(path, {"1031", "en-US", "EN-us", "1033"});
        ProjectFile project(path);
        QCOMPARE(project.Languages(), QStringList({"1031", "en-US", "1033"}));
        QVERIFY_THROWS_EXCEPTION(Failure, ProjectFile::Create(path, {}));
    }

    void addLanguage_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("added");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("new language") << "fr-FR" << true << QStringList{"1031", "en-US", "fr-FR"};
        QTest::newRow("same spelling is no change") << "1031" << false << QStringList{"1031", "en-US"};
        QTest::newRow("other case is no change") << "EN-us" << false << QStringList{"1031", "en-US"};
    }
    void addLanguage() {
        QFETCH(QString, language);
        QFETCH(bool, added);
        QFETCH(QStringList, after);
        const QString path = m_dir.filePath("Lang.kxs");
        QFile::remove(path);
        ProjectFile::Create(path, {"1031", "en-US"});
        ProjectFile project(path);
        QCOMPARE(project.AddLanguage(language), added);
        QCOMPARE(ProjectFile(path).Languages(), after);
    }

    void refusesInvalidNames_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::newRow("empty language") << "language"
                                        << "";
        QTest::newRow("blank language") << "language"
                                        << "  ";
        QTest::newRow("empty group name") << "group"
                                          << "";
        QTest::newRow("backslash in group name") << "group"
                                                 << "A\\B";
        QTest::newRow("sibling differing in case only") << "group"
                                                        << "alarme";
    }
    void refusesInvalidNames() {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        auto project = ProjectFile::Create(m_dir.filePath(QString("Names%1.kxs").arg(m_counter++)), {"1031"});
        project->CreateGroup(ProjectFile::TopLevel, "Alarme");
        try {
            if (kind == "language")
                project->AddLanguage(name);
            else
                project->CreateGroup(ProjectFile::TopLevel, name);
            QFAIL("accepted");
        } catch (const Failure& failure) {
            QVERIFY2(failure.Description().contains(project->Path()), qPrintable(failure.Description()));
        }
        QCOMPARE(project->Languages(), QStringList{"1031"});
        QCOMPARE(project->Children(ProjectFile::TopLevel).size(), 1);
    }

    void groupPaths_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("found");
        QTest::newRow("top level") << "Alarme"
                                   << "Alarme";
        QTest::newRow("top level in other case") << "ALARME"
                                                 << "Alarme";
        QTest::newRow("nested") << "Alarme\\Kessel"
                                << "Alarme\\Kessel";
        QTest::newRow("same name under another parent") << "Meldungen\\Kessel"
                                                        << "Meldungen\\Kessel";
        QTest::newRow("nested name at top level is absent") << "Kessel"
                                                            << "";
        QTest::newRow("missing level") << "Alarme\\Pumpe\\Kessel"
                                       << "";
    }
    void groupPaths() {
        QFETCH(QString, path);
        QFETCH(QString, found);
        auto project = ProjectFile::Create(m_dir.filePath(QString("Paths%1.kxs").arg(m_counter++)), {"1031"});
        project->EnsureGroup("Alarme\\Kessel");
        project->EnsureGroup("Meldungen\\Kessel");
        const std::optional<qint64> group = project->GroupAt(path);
        QCOMPARE(group ? project->GroupPath(*group) : QString(), found);
        if (found.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(Failure, project->RequireGroup(path));
        }
    }

    void malformedPathsFail_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("empty path") << "";
        QTest::newRow("leading backslash") << "\\Alarme";
        QTest::newRow("doubled backslash") << "Alarme\\\\Kessel";
        QTest::newRow("trailing backslash") << "Alarme\\";
    }
    void malformedPathsFail() {
        QFETCH(QString, path);
        auto project = ProjectFile::Create(m_dir.filePath(QString("Bad%1.kxs").arg(m_counter++)), {"1031"});
        project->EnsureGroup("Alarme\\Kessel");
        QVERIFY_THROWS_EXCEPTION(Failure, project->GroupAt(path));
    }

    void positions_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("0 puts it last") << 0 << QStringList{"A", "B", "C", "New"};
        QTest::newRow("1 puts it first") << 1 << QStringList{"New", "A", "B", "C"};
        QTest::newRow("2 puts it second") << 2 << QStringList{"A", "New", "B", "C"};
        QTest::newRow("past the end puts it last") << 9 << QStringList{"A", "B", "C", "New"};
    }
    void positions() {
        QFETCH(int, position);
        QFETCH(QStringList, order);
        auto project = ProjectFile::Create(m_dir.filePath(QString("Pos%1.kxs").arg(m_counter++)), {"1031"});
        for (const char* name : {"A", "X", "B", "C"})
            project->CreateGroup(ProjectFile::TopLevel, name);
        // A deleted sibling leaves a gap in the stored positions.
        project->DeleteGroup(project->RequireGroup("X"));
        project->CreateGroup(ProjectFile::TopLevel, "New", position);
        QStringList names;
        for (const GroupInfo& group : project->Children(ProjectFile::TopLevel))
            names << group.name;
        QCOMPARE(names, order);
    }

    void deleteRemovesSubtreeAndTexts() {
        const QString path = ProjectFixture::Make(m_dir, "Del.kxs",
                                                  "group,index,1031\n"
                                                  "A,1,a\nA\\B,1,ab\nA\\B\\C,1,abc\nD,1,d\n");
        {
            ProjectFile project(path);
            project.DeleteGroup(project.RequireGroup("A"));
        }
        QCOMPARE(ProjectFixture::Export(path), QByteArray("group,index,1031\nD,1,d\n"));
        ProjectDatabase db(path, ProjectDatabase::Mode::ReadWrite);
        QCOMPARE(db.IntegerOf("SELECT COUNT(*) FROM texts"), 1);
        QCOMPARE(db.IntegerOf("SELECT COUNT(*) FROM groups"), 1);
    }

    void rename_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("works");
        QTest::newRow("new name") << "A"
                                  << "Z" << true;
        QTest::newRow("case change of the same group") << "A"
                                                       << "a" << true;
        QTest::newRow("name of a sibling") << "A"
                                           << "d" << false;
        QTest::newRow("name used under another parent only") << "D"
                                                             << "B" << true;
    }
    void rename() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, works);
        const QString path = ProjectFixture::Make(m_dir, QString("Ren%1.kxs").arg(m_counter++),
                                                  "group,index,1031\nA,1,a\nA\\B,1,ab\nD,1,d\n");
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

    void emptyTextIsNoText() {
        const QString path = ProjectFixture::Make(m_dir, "Empty.kxs", "group,index,1031,1033\nA,1,a,b\n");
        ProjectFile project(path);
        const qint64 group = project.RequireGroup("A");
        project.SetText(group, 1, project.LanguageId("1033"), QString());
        QCOMPARE(project.TextCounts(group), (QMap<qint64, qint64>{{project.LanguageId("1031"), 1}}));
    }

    void transactionRollsBackUnlessCommitted() {
        const QString path = ProjectFixture::Make(m_dir, "Tx.kxs", "group,index,1031\nA,1,a\n");
        const QByteArray before = ProjectFixture::Export(path);
        {
            ProjectFile project(path);
            ProjectTransaction transaction(project.Database(), ProjectTransaction::Kind::Write);
            project.DeleteGroup(project.RequireGroup("A"));
            project.AddLanguage("1033");
        }
        QCOMPARE(ProjectFixture::Export(path), before);
    }

    void readerSeesLastCommittedStateWhileWriting() {
        const QString path = ProjectFixture::Make(m_dir, "Busy.kxs", "group,index,1031\nA,1,a\n");
        const QByteArray before = ProjectFixture::Export(path);
        ProjectFile writer(path);
        ProjectTransaction transaction(writer.Database(), ProjectTransaction::Kind::Write);
        writer.SetText(writer.RequireGroup("A"), 2, writer.LanguageId("1031"), "b");
        // Another connection, as another process would have, reads meanwhile.
        QCOMPARE(ProjectFixture::Export(path), before);
        transaction.Commit();
        QCOMPARE(ProjectFixture::Export(path), QByteArray("group,index,1031\nA,1,a\nA,2,b\n"));
    }

private:
    static QByteArray ReadAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_prefix;
    int m_counter = 0;
};

QTEST_GUILESS_MAIN(tst_ProjectFile)
#include "tst_ProjectFile.moc"
