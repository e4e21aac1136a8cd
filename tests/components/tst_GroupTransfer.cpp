#include "ProjectFixture.h"

#include "ProjectData/GroupTransfer.h"
#include "studio/Failure.h"

#include <QTest>

namespace {

const QByteArray Source = "group,index,1031,1033\n"
                          "Alarme,1,Kessel heiß,Boiler hot\n"
                          "Alarme,2,Pumpe aus,Pump off\n"
                          "Alarme\\Kessel,1,Druck,Pressure\n"
                          "Alarme\\Kessel\\Ventil,5,Ventil zu,\n"
                          "Meldungen,1,Start,Start\n";

} // namespace

class tst_GroupTransfer : public QObject {
    Q_OBJECT

    QString MakeSource() { return ProjectFixture::Make(m_dir, Next("Src"), Source); }
    QString Next(const char* stem) { return QString("%1%2.kxs").arg(stem).arg(m_counter++); }

private Q_SLOTS:
    void init() { ProjectFixture::UsePrefix(m_prefix); }

    void copy_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("withSubgroups");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("held");
        QTest::newRow("top level with subgroups") << "Alarme" << true << "Alarme"
                                                  << QStringList{"[Alarme",
                                                                 "1/0 Kessel heiß",
                                                                 "1/1 Boiler hot",
                                                                 "2/0 Pumpe aus",
                                                                 "2/1 Pump off",
                                                                 "[Kessel",
                                                                 "1/0 Druck",
                                                                 "1/1 Pressure",
                                                                 "[Ventil",
                                                                 "5/0 Ventil zu",
                                                                 "]",
                                                                 "]",
                                                                 "]"};
        QTest::newRow("top level without subgroups")
            << "Alarme" << false << "Alarme"
            << QStringList{"[Alarme",       "1/0 Kessel heiß", "1/1 Boiler hot",
                           "2/0 Pumpe aus", "2/1 Pump off",    "]"};
        QTest::newRow("nested address")
            << "alarme\\KESSEL" << true << "Kessel"
            << QStringList{"[Kessel", "1/0 Druck", "1/1 Pressure", "[Ventil", "5/0 Ventil zu", "]", "]"};
    }
    void copy() {
        QFETCH(QString, path);
        QFETCH(bool, withSubgroups);
        QFETCH(QString, name);
        QFETCH(QStringList, held);
        ProjectFile project(MakeSource());
        const GroupCopy copy = GroupTransfer::Copy(project, path, withSubgroups);
        QCOMPARE(copy.Languages(), QStringList({"1031", "1033"}));
        QCOMPARE(copy.WithSubgroups(), withSubgroups);
        QCOMPARE(copy.Name(), name);
        QCOMPARE(ProjectFixture::Dump(copy), held);
    }

    void copyOfMissingGroupFails() {
        ProjectFile project(MakeSource());
        try {
            GroupTransfer::Copy(project, "Alarm", true);
            QFAIL("copied");
        } catch (const Failure& failure) {
            QCOMPARE(failure.Description(),
                     QString("index group \"Alarm\" not found in %1").arg(project.Path()));
        }
    }

    void pasteIntoOtherProject_data() {
        QTest::addColumn<bool>("withSubgroups");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("with subgroups") << true
                                        << QByteArray("group,index,1031,1033\n"
                                                      "Bestand,1,alt,old\n"
                                                      "Kopie,1,Kessel heiß,Boiler hot\n"
                                                      "Kopie,2,Pumpe aus,Pump off\n"
                                                      "Kopie\\Kessel,1,Druck,Pressure\n"
                                                      "Kopie\\Kessel\\Ventil,5,Ventil zu,\n");
        QTest::newRow("without subgroups") << false
                                           << QByteArray("group,index,1031,1033\n"
                                                         "Bestand,1,alt,old\n"
                                                         "Kopie,1,Kessel heiß,Boiler hot\n"
                                                         "Kopie,2,Pumpe aus,Pump off\n");
    }
    void pasteIntoOtherProject() {
        QFETCH(bool, withSubgroups);
        QFETCH(QByteArray, expected);
        ProjectFile source(MakeSource());
        const QString target =
            ProjectFixture::Make(m_dir, Next("Dst"), "group,index,1031,1033\nBestand,1,alt,old\n");
        const GroupCopy copy = GroupTransfer::Copy(source, "Alarme", withSubgroups);
        {
            ProjectFile project(target);
            GroupTransfer::Paste(project, copy, "", "Kopie", true, 0, true);
        }
        QCOMPARE(ProjectFixture::Export(target), expected);
    }

    void pasteReplace_data() {
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("replace true swaps the group in its place")
            << true << QByteArray("group,index,1031,1033\nErst,1,e,\nMeldungen,1,Start,Start\nLetzt,1,l,\n");
        QTest::newRow("replace false fails and keeps the project") << false << QByteArray();
    }
    void pasteReplace() {
        QFETCH(bool, replace);
        QFETCH(QByteArray, expected);
        ProjectFile source(MakeSource());
        const QString target =
            ProjectFixture::Make(m_dir, Next("Dst"),
                                 "group,index,1031,1033\nErst,1,e,\n"
                                 "meldungen,9,alt,old\nmeldungen\\Unter,1,u,\nLetzt,1,l,\n");
        const QByteArray before = ProjectFixture::Export(target);
        const GroupCopy copy = GroupTransfer::Copy(source, "Meldungen", true);
        ProjectFile project(target);
        if (replace) {
            GroupTransfer::Paste(project, copy, "", "Meldungen", true, 0, true);
            QCOMPARE(ProjectFixture::Export(target), expected);
        } else {
            try {
                GroupTransfer::Paste(project, copy, "", "Meldungen", false, 0, true);
                QFAIL("pasted");
            } catch (const Failure& failure) {
                QCOMPARE(failure.Description(),
                         QString("index group \"meldungen\" already exists in %1").arg(target));
            }
            QCOMPARE(ProjectFixture::Export(target), before);
        }
    }

    void pasteBelowParentAndPosition() {
        ProjectFile source(MakeSource());
        const QString target =
            ProjectFixture::Make(m_dir, Next("Dst"), "group,index,1031\nP,,\nP\\A,1,a\nP\\B,1,b\n");
        const GroupCopy copy = GroupTransfer::Copy(source, "Meldungen", false);
        ProjectFile project(target);
        GroupTransfer::Paste(project, copy, "P", "Neu", false, 2, true);
        GroupTransfer::Paste(project, copy, "", "P\\B\\Tief", false, 0, false);
        QCOMPARE(ProjectFixture::Export(target),
                 QByteArray("group,index,1031\nP,,\nP\\A,1,a\nP\\Neu,1,Start\n"
                            "P\\B,1,b\nP\\B\\Tief,,\n"));
        QVERIFY_THROWS_EXCEPTION(Failure, GroupTransfer::Paste(project, copy, "Q", "Neu", true, 0, true));
        QVERIFY_THROWS_EXCEPTION(Failure, GroupTransfer::Paste(project, copy, "", "Q\\Neu", true, 0, true));
    }

    void pasteReplaceAtPositionMovesTheGroup() {
        ProjectFile source(MakeSource());
        const QString target =
            ProjectFixture::Make(m_dir, Next("Dst"), "group,index,1031\nA,1,a\nB,1,b\nC,1,c\nC\\D,1,d\n");
        ProjectFile project(target);
        GroupTransfer::Paste(project, GroupTransfer::Copy(source, "Meldungen", false), "", "c", true, 1,
                             true);
        QCOMPARE(ProjectFixture::Export(target), QByteArray("group,index,1031\nc,1,Start\nA,1,a\nB,1,b\n"));
    }

    void languagesMissingOnTarget_data() {
        QTest::addColumn<bool>("addFirst");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("texts of a missing language are left out")
            << false << QByteArray("group,index,1031\nMeldungen,1,Start\n");
        QTest::newRow("AddLanguage first keeps them")
            << true << QByteArray("group,index,1031,1033\nMeldungen,1,Start,Start\n");
    }
    void languagesMissingOnTarget() {
        QFETCH(bool, addFirst);
        QFETCH(QByteArray, expected);
        ProjectFile source(MakeSource());
        const QString target = m_dir.filePath(Next("Dst"));
        ProjectFile::Create(target, {"1031"});
        ProjectFile project(target);
        if (addFirst)
            project.AddLanguage("1033");
        GroupTransfer::Paste(project, GroupTransfer::Copy(source, "Meldungen", true), "", "", true, 0, true);
        QCOMPARE(ProjectFixture::Export(target), expected);
    }

    void update_data() {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QByteArray>("expected");
        // Target: index 1 on both sides, 3 only in the target, 2 only in the copy.
        QTest::newRow("0 changes nothing") << 0
                                           << QByteArray("group,index,1031,1033,fr\n"
                                                         "G,1,alt,old,vieux\nG,3,nur Ziel,,\n");
        QTest::newRow("1 updates shared indexes, other languages keep theirs")
            << 1 << QByteArray("group,index,1031,1033,fr\nG,1,neu,old,vieux\nG,3,nur Ziel,,\n");
        QTest::newRow("2 adds indexes only in the copy")
            << 2
            << QByteArray("group,index,1031,1033,fr\nG,1,alt,old,vieux\nG,2,zwei,two,\nG,3,nur Ziel,,\n");
        QTest::newRow("3 updates and adds (default)")
            << 3
            << QByteArray("group,index,1031,1033,fr\nG,1,neu,old,vieux\nG,2,zwei,two,\nG,3,nur Ziel,,\n");
        QTest::newRow("4 removes indexes only in the target")
            << 4 << QByteArray("group,index,1031,1033,fr\nG,1,alt,old,vieux\n");
        QTest::newRow("7 mirrors the copy's indexes")
            << 7 << QByteArray("group,index,1031,1033,fr\nG,1,neu,old,vieux\nG,2,zwei,two,\n");
    }
    void update() {
        QFETCH(int, flags);
        QFETCH(QByteArray, expected);
        // The copy has no English text for index 1 and no French at all.
        const QString source =
            ProjectFixture::Make(m_dir, Next("Src"), "group,index,1031,1033\nQ,1,neu,\nQ,2,zwei,two\n");
        const QString target = ProjectFixture::Make(
            m_dir, Next("Dst"), "group,index,1031,1033,fr\nG,1,alt,old,vieux\nG,3,nur Ziel,,\n");
        ProjectFile project(target);
        GroupTransfer::Update(project, "g", GroupTransfer::Copy(ProjectFile(source), "Q", false), flags);
        QCOMPARE(ProjectFixture::Export(target), expected);
    }

    void updateMatchesSubgroupsByName_data() {
        QTest::addColumn<bool>("withSubgroups");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("copy without subgroups leaves them alone")
            << false << 7 << QByteArray("group,index,1031\nG,1,g2\nG\\Sub,1,s1\nG\\Nur,1,n1\n");
        QTest::newRow("matched subgroup merged, new one added")
            << true << 3
            << QByteArray("group,index,1031\nG,1,g2\nG\\Sub,1,s2\nG\\Sub,2,s2b\nG\\Nur,1,n1\nG\\Neu,1,x\n");
        QTest::newRow("flag 4 removes subgroups only in the target")
            << true << 7 << QByteArray("group,index,1031\nG,1,g2\nG\\Sub,1,s2\nG\\Sub,2,s2b\nG\\Neu,1,x\n");
    }
    void updateMatchesSubgroupsByName() {
        QFETCH(bool, withSubgroups);
        QFETCH(int, flags);
        QFETCH(QByteArray, expected);
        const QString source = ProjectFixture::Make(
            m_dir, Next("Src"), "group,index,1031\nG,1,g2\nG\\SUB,1,s2\nG\\SUB,2,s2b\nG\\Neu,1,x\n");
        const QString target =
            ProjectFixture::Make(m_dir, Next("Dst"), "group,index,1031\nG,1,g1\nG\\Sub,1,s1\nG\\Nur,1,n1\n");
        ProjectFile project(target);
        GroupTransfer::Update(project, "G", GroupTransfer::Copy(ProjectFile(source), "G", withSubgroups),
                              flags);
        QCOMPARE(ProjectFixture::Export(target), expected);
    }

    void updateFailuresChangeNothing_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("why");
        QTest::newRow("missing target") << "Fehlt" << 3 << "index group \"Fehlt\" not found in %1";
        QTest::newRow("flag out of range")
            << "Alarme" << 8 << "update flag 8 is not a combination of 1, 2 and 4";
        QTest::newRow("negative flag")
            << "Alarme" << -1 << "update flag -1 is not a combination of 1, 2 and 4";
    }
    void updateFailuresChangeNothing() {
        QFETCH(QString, target);
        QFETCH(int, flags);
        QFETCH(QString, why);
        const QString path = MakeSource();
        const QByteArray before = ProjectFixture::Export(path);
        ProjectFile project(path);
        const GroupCopy copy = GroupTransfer::Copy(project, "Meldungen", false);
        try {
            GroupTransfer::Update(project, target, copy, flags);
            QFAIL("updated");
        } catch (const Failure& failure) {
            QCOMPARE(failure.Description(), why.arg(path));
        }
        QCOMPARE(ProjectFixture::Export(path), before);
    }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_prefix;
    int m_counter = 0;
};

QTEST_GUILESS_MAIN(tst_GroupTransfer)
#include "tst_GroupTransfer.moc"
