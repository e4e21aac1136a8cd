#include "ProjectFixture.h"

#include "ProjectData/GroupTransfer.h"
#include "common/TestSupport.h"

namespace {

const QByteArray Source = "group,index,1031,1033\n"
                          "Alarme,1,Kessel heiß,Boiler hot\n"
                          "Alarme,2,Pumpe aus,Pump off\n"
                          "Alarme\\Kessel,1,Druck,Pressure\n"
                          "Alarme\\Kessel\\Ventil,5,Ventil zu,\n"
                          "Meldungen,1,Start,Start\n";
// Without 1033, which the pastes leave out, and with fr, which the copies lack.
const QByteArray Target =
    "group,index,1031,fr\nErst,1,e,\nmeldungen,9,alt,vieux\nmeldungen\\Unter,1,u,\nLetzt,1,l,\n";

// Ways to write a copy that breaks a rule of the format.
enum class Fault { None, UnknownLanguage, TextTwice, SiblingsOfOneName, BackslashInName };

QByteArray Sample(Fault fault) {
    GroupCopyWriter writer({"1031", "1033"}, true);
    writer.BeginGroup(fault == Fault::BackslashInName ? "A\\B" : "Alarme");
    writer.Text(1, 0, "Kessel heiß");
    writer.Text(1, fault == Fault::UnknownLanguage ? 2 : 1, "Boiler hot");
    writer.Text(fault == Fault::TextTwice ? 1 : 7, 0, "Zeile");
    writer.BeginGroup("Pumpe");
    writer.EndGroup();
    writer.BeginGroup(fault == Fault::SiblingsOfOneName ? "PUMPE" : "Ventil");
    writer.EndGroup();
    writer.EndGroup();
    return writer.Finish().ToBytes();
}

} // namespace

class tst_GroupTransfer : public QObject {
    Q_OBJECT

    QString Make(const QByteArray& csv) {
        return ProjectFixture::Make(m_dir, QString("P%1.kxs").arg(m_counter++), csv);
    }

private Q_SLOTS:
    void init() { ProjectFixture::UsePrefix(m_prefix); }

    void paste_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<bool>("withSubgroups");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("texts");
        QTest::addColumn<QByteArray>("expected"); // the target's export, less its header
        // clang-format off
        QTest::newRow("with subgroups") << "Alarme" << true << "" << "Kopie" << false << 0 << true << QByteArray("Erst,1,e,\nmeldungen,9,alt,vieux\nmeldungen\\Unter,1,u,\nLetzt,1,l,\nKopie,1,Kessel heiß,\nKopie,2,Pumpe aus,\nKopie\\Kessel,1,Druck,\nKopie\\Kessel\\Ventil,5,Ventil zu,\n");
        QTest::newRow("without subgroups") << "Alarme" << false << "" << "Kopie" << false << 0 << true << QByteArray("Erst,1,e,\nmeldungen,9,alt,vieux\nmeldungen\\Unter,1,u,\nLetzt,1,l,\nKopie,1,Kessel heiß,\nKopie,2,Pumpe aus,\n");
        QTest::newRow("nested address in other case, under its own name") << "alarme\\KESSEL" << true << "" << "" << false << 0 << true << QByteArray("Erst,1,e,\nmeldungen,9,alt,vieux\nmeldungen\\Unter,1,u,\nLetzt,1,l,\nKessel,1,Druck,\nKessel\\Ventil,5,Ventil zu,\n");
        QTest::newRow("replace swaps the group in its place") << "Meldungen" << true << "" << "Meldungen" << true << 0 << true << QByteArray("Erst,1,e,\nMeldungen,1,Start,\nLetzt,1,l,\n");
        QTest::newRow("replace at a position moves the group") << "Meldungen" << true << "" << "MELDUNGEN" << true << 1 << true << QByteArray("MELDUNGEN,1,Start,\nErst,1,e,\nLetzt,1,l,\n");
        QTest::newRow("below a parent at a position") << "Meldungen" << true << "meldungen" << "Neu" << false << 1 << true << QByteArray("Erst,1,e,\nmeldungen,9,alt,vieux\nmeldungen\\Neu,1,Start,\nmeldungen\\Unter,1,u,\nLetzt,1,l,\n");
        QTest::newRow("without texts, a path below the parent") << "Alarme" << true << "" << "Letzt\\Tief" << false << 0 << false << QByteArray("Erst,1,e,\nmeldungen,9,alt,vieux\nmeldungen\\Unter,1,u,\nLetzt,1,l,\nLetzt\\Tief,,,\nLetzt\\Tief\\Kessel,,,\nLetzt\\Tief\\Kessel\\Ventil,,,\n");
        // clang-format on
    }
    void paste() {
        QFETCH(QString, group);
        QFETCH(bool, withSubgroups);
        QFETCH(QString, parent);
        QFETCH(QString, name);
        QFETCH(bool, replace);
        QFETCH(int, position);
        QFETCH(bool, texts);
        QFETCH(QByteArray, expected);
        const GroupCopy copy = GroupTransfer::Copy(ProjectFile(Make(Source)), group, withSubgroups);
        const QString target = Make(Target);
        ProjectFile project(target);
        GroupTransfer::Paste(project, copy, parent, name, replace, position, texts);
        QCOMPARE(ProjectFixture::Export(target), "group,index,1031,fr\n" + expected);
    }

    // Target: index 1 on both sides, 3 only in the target, 2 only in the copy, which has no
    // English for index 1 and no French at all; subgroup Sub on both sides, Nur and Neu on one.
    void update_data() {
        QTest::addColumn<bool>("withSubgroups");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QByteArray>("expected");
        // clang-format off
        QTest::newRow("0 changes nothing") << true << 0 << QByteArray("G,1,alt,old,vieux\nG,3,nur Ziel,,\nG\\Sub,1,s1,,\nG\\Nur,1,n1,,\n");
        QTest::newRow("1 updates shared indexes, in matched subgroups too") << true << 1 << QByteArray("G,1,neu,old,vieux\nG,3,nur Ziel,,\nG\\Sub,1,s2,,\nG\\Nur,1,n1,,\n");
        QTest::newRow("2 adds indexes and subgroups only in the copy") << true << 2 << QByteArray("G,1,alt,old,vieux\nG,2,zwei,two,\nG,3,nur Ziel,,\nG\\Sub,1,s1,,\nG\\Sub,2,s2b,,\nG\\Nur,1,n1,,\nG\\Neu,1,x,,\n");
        QTest::newRow("4 removes indexes and subgroups only in the target") << true << 4 << QByteArray("G,1,alt,old,vieux\nG\\Sub,1,s1,,\n");
        QTest::newRow("a copy without subgroups leaves them alone") << false << 7 << QByteArray("G,1,neu,old,vieux\nG,2,zwei,two,\nG\\Sub,1,s1,,\nG\\Nur,1,n1,,\n");
        // clang-format on
    }
    void update() {
        QFETCH(bool, withSubgroups);
        QFETCH(int, flags);
        QFETCH(QByteArray, expected);
        const QString source =
            Make("group,index,1031,1033\nQ,1,neu,\nQ,2,zwei,two\nQ\\SUB,1,s2,\nQ\\SUB,2,s2b,\nQ\\Neu,1,x,\n");
        const QString target = Make(
            "group,index,1031,1033,fr\nG,1,alt,old,vieux\nG,3,nur Ziel,,\nG\\Sub,1,s1,,\nG\\Nur,1,n1,,\n");
        ProjectFile project(target);
        GroupTransfer::Update(project, "g", GroupTransfer::Copy(ProjectFile(source), "Q", withSubgroups),
                              flags);
        QCOMPARE(ProjectFixture::Export(target), "group,index,1031,1033,fr\n" + expected);
    }

    void failuresChangeNothing_data() {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("why");
        // clang-format off
        QTest::newRow("copy of a missing group") << "copy" << "" << "Alarm" << 0 << "index group \"Alarm\" not found in <source>";
        QTest::newRow("paste onto a group without replace") << "paste" << "" << "Meldungen" << 0 << "index group \"meldungen\" already exists in <target>";
        QTest::newRow("paste below a missing parent") << "paste" << "Q" << "Neu" << 0 << "index group \"Q\" not found in <target>";
        QTest::newRow("paste below a missing level") << "paste" << "" << "Q\\Neu" << 0 << "index group \"Q\" not found in <target>";
        QTest::newRow("update of a missing group") << "update" << "" << "Fehlt" << 3 << "index group \"Fehlt\" not found in <target>";
        QTest::newRow("update flag out of range") << "update" << "" << "Erst" << 8 << "update flag 8 is not a combination of 1, 2 and 4";
        QTest::newRow("negative update flag") << "update" << "" << "Erst" << -1 << "update flag -1 is not a combination of 1, 2 and 4";
        // clang-format on
    }
    void failuresChangeNothing() {
        QFETCH(QString, call);
        QFETCH(QString, parent);
        QFETCH(QString, name);
        QFETCH(int, flags);
        QFETCH(QString, why);
        ProjectFile source(Make(Source));
        const QString target = Make(Target);
        const QByteArray before = ProjectFixture::Export(target);
        ProjectFile project(target);
        const std::optional<Failure> failure = TestSupport::FailureOf([&] {
            if (call == "copy")
                GroupTransfer::Copy(source, name, true);
            else if (call == "paste")
                GroupTransfer::Paste(project, GroupTransfer::Copy(source, "Meldungen", true), parent, name,
                                     false, 0, true);
            else
                GroupTransfer::Update(project, name, GroupTransfer::Copy(source, "Meldungen", false), flags);
        });
        QVERIFY(failure);
        QCOMPARE(failure->Description(), why.replace("<target>", target).replace("<source>", source.Path()));
        QCOMPARE(ProjectFixture::Export(target), before);
    }

    // Well-formed bytes with a sound checksum can still describe an impossible tree.
    void copyRefusesForeignOrDamagedBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why");
        const QByteArray good = Sample(Fault::None);
        QByteArray flipped = good;
        flipped[good.size() / 2] = char(flipped[good.size() / 2] ^ 0x20);
        QByteArray newer = good;
        newer[4] = char(2); // the format version follows the tag, little-endian
        const QString damaged = "the copy is damaged (%1)";
        // clang-format off
        QTest::newRow("empty value") << QByteArray() << "the value is not a copy of an index group";
        QTest::newRow("foreign text") << QByteArray("Alarme\\Kessel, not a copy at all") << "the value is not a copy of an index group";
        QTest::newRow("flipped byte in the contents") << flipped << damaged.arg("checksum mismatch");
        QTest::newRow("cut short") << good.left(good.size() - 5) << damaged.arg("checksum mismatch");
        QTest::newRow("newer format") << newer << "the copy was made by a newer version (format 2, this one reads 1)";
        QTest::newRow("text of a language the copy lacks") << Sample(Fault::UnknownLanguage) << damaged.arg("a text of group \"Alarme\" has no language");
        QTest::newRow("two texts for one index and language") << Sample(Fault::TextTwice) << damaged.arg("texts of group \"Alarme\" out of order");
        QTest::newRow("two subgroups of one name") << Sample(Fault::SiblingsOfOneName) << damaged.arg("two subgroups named \"PUMPE\"");
        QTest::newRow("backslash in a group name") << Sample(Fault::BackslashInName) << damaged.arg("invalid group name \"A\\B\"");
        // clang-format on
    }
    void copyRefusesForeignOrDamagedBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        GroupCopy read;
        QString problem;
        QVERIFY(GroupCopy::FromBytes(Sample(Fault::None), &read, &problem));
        QVERIFY(!GroupCopy::FromBytes(bytes, &read, &problem));
        QCOMPARE(problem, why);
        QCOMPARE(read.ToBytes(), Sample(Fault::None)); // the copy given is left as it was
    }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_prefix;
    int m_counter = 0;
};

QTEST_GUILESS_MAIN(tst_GroupTransfer)
#include "tst_GroupTransfer.moc"
