#include "ProjectFixture.h"

#include "ProjectData/GroupTransfer.h"
#include "common/TestSupport.h"

#include <functional>

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

// A copy of Alarme (texts 1 and 7, subgroups Pumpe and Ventil), or one that breaks a rule of
// the format where fault says: "language", "twice", "siblings", "backslash".
QByteArray Sample(const QString& fault = QString()) {
    GroupCopyWriter writer({"1031", "1033"}, true);
    writer.BeginGroup(fault == "backslash" ? "A\\B" : "Alarme");
    writer.Text(1, 0, "Kessel heiß");
    writer.Text(1, fault == "language" ? 2 : 1, "Boiler hot");
    writer.Text(fault == "twice" ? 1 : 7, 0, "Zeile");
    for (const char* name : {"Pumpe", fault == "siblings" ? "PUMPE" : "Ventil"}) {
        writer.BeginGroup(name);
        writer.EndGroup();
    }
    writer.EndGroup();
    return writer.Finish().ToBytes();
}

} // namespace

class tst_GroupTransfer : public QObject {
    Q_OBJECT

    ProjectFixture::Files m_files;

    // Runs call on target; expected is target's export after it less the header, or "!" and the
    // failure, which names <source> or <target> and leaves the target as it was.
    static void Verify(const QString& source, const QString& target, QByteArray expected,
                       const std::function<void()>& call) {
        const QByteArray before = ProjectFixture::Export(target);
        const std::optional<Failure> failure = TestSupport::FailureOf(call);
        QVERIFY2(failure.has_value() == expected.startsWith('!'), qPrintable(failure ? failure->Text() : ""));
        if (failure) {
            QCOMPARE(
                failure->Description(),
                QString::fromUtf8(expected.mid(1)).replace("<target>", target).replace("<source>", source));
            expected = before.mid(before.indexOf('\n') + 1);
        }
        QCOMPARE(ProjectFixture::Export(target), before.left(before.indexOf('\n') + 1) + expected);
    }

private Q_SLOTS:
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
        QTest::newRow("with subgroups, a position past the end") << "Alarme" << true << "" << "Kopie" << false << 9 << true << QByteArray("Erst,1,e,\nmeldungen,9,alt,vieux\nmeldungen\\Unter,1,u,\nLetzt,1,l,\nKopie,1,Kessel heiß,\nKopie,2,Pumpe aus,\nKopie\\Kessel,1,Druck,\nKopie\\Kessel\\Ventil,5,Ventil zu,\n");
        QTest::newRow("nested address in other case, under its own name") << "alarme\\KESSEL" << true << "" << "" << false << 0 << true << QByteArray("Erst,1,e,\nmeldungen,9,alt,vieux\nmeldungen\\Unter,1,u,\nLetzt,1,l,\nKessel,1,Druck,\nKessel\\Ventil,5,Ventil zu,\n");
        QTest::newRow("replace swaps the group in its place") << "Meldungen" << true << "" << "Meldungen" << true << 0 << true << QByteArray("Erst,1,e,\nMeldungen,1,Start,\nLetzt,1,l,\n");
        QTest::newRow("replace at a position moves the group") << "Meldungen" << true << "" << "MELDUNGEN" << true << 1 << true << QByteArray("MELDUNGEN,1,Start,\nErst,1,e,\nLetzt,1,l,\n");
        QTest::newRow("below a parent at a position") << "Meldungen" << true << "meldungen" << "Neu" << false << 1 << true << QByteArray("Erst,1,e,\nmeldungen,9,alt,vieux\nmeldungen\\Neu,1,Start,\nmeldungen\\Unter,1,u,\nLetzt,1,l,\n");
        QTest::newRow("copy of a missing group") << "Alarm" << true << "" << "Neu" << false << 0 << true << QByteArray("!index group \"Alarm\" not found in <source>");
        QTest::newRow("onto a group without replace") << "Meldungen" << true << "" << "Meldungen" << false << 0 << true << QByteArray("!index group \"meldungen\" already exists in <target>");
        QTest::newRow("below a missing parent") << "Meldungen" << true << "Q" << "Neu" << false << 0 << true << QByteArray("!index group \"Q\" not found in <target>");
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
        const QString source = m_files.Make(Source), target = m_files.Make(Target);
        Verify(source, target, expected, [&] {
            ProjectFile project(target);
            GroupTransfer::Paste(project, GroupTransfer::Copy(ProjectFile(source), group, withSubgroups),
                                 parent, name, replace, position, texts);
        });
    }

    // Target: index 1 on both sides, 3 only in the target, 2 only in the copy, which has no
    // English for index 1 and no French at all; subgroup Sub on both sides, Nur and Neu on one.
    void update_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<bool>("withSubgroups");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QByteArray>("expected");
        // clang-format off
        QTest::newRow("1 updates shared indexes, in matched subgroups too") << "g" << true << 1 << QByteArray("G,1,neu,old,vieux\nG,3,nur Ziel,,\nG\\Sub,1,s2,,\nG\\Nur,1,n1,,\n");
        QTest::newRow("2 adds indexes and subgroups only in the copy") << "g" << true << 2 << QByteArray("G,1,alt,old,vieux\nG,2,zwei,two,\nG,3,nur Ziel,,\nG\\Sub,1,s1,,\nG\\Sub,2,s2b,,\nG\\Nur,1,n1,,\nG\\Neu,1,x,,\n");
        QTest::newRow("4 removes indexes and subgroups only in the target") << "g" << true << 4 << QByteArray("G,1,alt,old,vieux\nG\\Sub,1,s1,,\n");
        QTest::newRow("a copy without subgroups leaves them alone") << "g" << false << 7 << QByteArray("G,1,neu,old,vieux\nG,2,zwei,two,\nG\\Sub,1,s1,,\nG\\Nur,1,n1,,\n");
        QTest::newRow("missing group") << "Fehlt" << true << 3 << QByteArray("!index group \"Fehlt\" not found in <target>");
        QTest::newRow("flag out of range") << "g" << true << 8 << QByteArray("!update flag 8 is not a combination of 1, 2 and 4");
        // clang-format on
    }
    void update() {
        QFETCH(QString, group);
        QFETCH(bool, withSubgroups);
        QFETCH(int, flags);
        QFETCH(QByteArray, expected);
        const QString source = m_files.Make(
            "group,index,1031,1033\nQ,1,neu,\nQ,2,zwei,two\nQ\\SUB,1,s2,\nQ\\SUB,2,s2b,\nQ\\Neu,1,x,\n");
        const QString target = m_files.Make(
            "group,index,1031,1033,fr\nG,1,alt,old,vieux\nG,3,nur Ziel,,\nG\\Sub,1,s1,,\nG\\Nur,1,n1,,\n");
        Verify(source, target, expected, [&] {
            ProjectFile project(target);
            GroupTransfer::Update(project, group,
                                  GroupTransfer::Copy(ProjectFile(source), "Q", withSubgroups), flags);
        });
    }

    // Well-formed bytes with a sound checksum can still describe an impossible tree.
    void copyRefusesForeignOrDamagedBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why");
        const QByteArray good = Sample();
        QByteArray flipped = good;
        flipped[good.size() / 2] = char(flipped[good.size() / 2] ^ 0x20);
        QByteArray newer = good;
        newer[4] = char(2); // the format version follows the tag, little-endian
        const QString damaged = "the copy is damaged (%1)";
        // clang-format off
        QTest::newRow("foreign text") << QByteArray("Alarme\\Kessel, not a copy at all") << "the value is not a copy of an index group";
        QTest::newRow("flipped byte in the contents") << flipped << damaged.arg("checksum mismatch");
        QTest::newRow("newer format") << newer << "the copy was made by a newer version (format 2, this one reads 1)";
        QTest::newRow("text of a language the copy lacks") << Sample("language") << damaged.arg("a text of group \"Alarme\" has no language");
        QTest::newRow("two texts for one index and language") << Sample("twice") << damaged.arg("texts of group \"Alarme\" out of order");
        QTest::newRow("two subgroups of one name") << Sample("siblings") << damaged.arg("two subgroups named \"PUMPE\"");
        QTest::newRow("backslash in a group name") << Sample("backslash") << damaged.arg("invalid group name \"A\\B\"");
        // clang-format on
    }
    void copyRefusesForeignOrDamagedBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        GroupCopy read;
        QString problem;
        QVERIFY(GroupCopy::FromBytes(Sample(), &read, &problem));
        QVERIFY(!GroupCopy::FromBytes(bytes, &read, &problem));
        QCOMPARE(problem, why);
        QCOMPARE(read.ToBytes(), Sample()); // the copy given is left as it was
    }
};

QTEST_GUILESS_MAIN(tst_GroupTransfer)
#include "tst_GroupTransfer.moc"
