#include "ProjectFixture.h"

#include "ProjectData/GroupCopy.h"

#include <QTest>

namespace {

// Ways to write a copy that breaks a rule of the format.
enum class Fault { None, UnknownLanguage, TextTwice, SiblingsOfOneName, BackslashInName };

GroupCopy Sample(bool withSubgroups = true, Fault fault = Fault::None) {
    GroupCopyWriter writer({"1031", "1033"}, withSubgroups);
    writer.BeginGroup(fault == Fault::BackslashInName ? "A\\B" : "Alarme");
    writer.Text(1, 0, "Kessel heiß");
    writer.Text(1, fault == Fault::UnknownLanguage ? 2 : 1, "Boiler hot");
    writer.Text(7, 0, "Zeile\r\nzwei, \"drei\"");
    if (fault == Fault::TextTwice)
        writer.Text(7, 0, "noch einmal");
    writer.BeginGroup("Pumpe");
    writer.Text(-3, 1, "😀");
    writer.EndGroup();
    if (fault == Fault::SiblingsOfOneName) {
        writer.BeginGroup("PUMPE");
        writer.EndGroup();
    }
    writer.EndGroup();
    return writer.Finish();
}

} // namespace

class tst_GroupCopy : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data() {
        QTest::addColumn<bool>("withSubgroups");
        QTest::newRow("with subgroups") << true;
        QTest::newRow("without subgroups") << false;
    }
    void roundTrip() {
        QFETCH(bool, withSubgroups);
        GroupCopy read;
        QString why;
        QVERIFY2(GroupCopy::FromBytes(Sample(withSubgroups).ToBytes(), &read, &why), qPrintable(why));
        QCOMPARE(read.Languages(), QStringList({"1031", "1033"}));
        QCOMPARE(read.WithSubgroups(), withSubgroups);
        QCOMPARE(read.Name(), "Alarme");
        QCOMPARE(ProjectFixture::Dump(read),
                 QStringList({"[Alarme", "1/0 Kessel heiß", "1/1 Boiler hot", "7/0 Zeile\r\nzwei, \"drei\"",
                              "[Pumpe", "-3/1 😀", "]", "]"}));
    }

    void refusesForeignOrDamaged_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why");
        const QByteArray good = Sample().ToBytes();
        QByteArray flipped = good;
        flipped[good.size() / 2] = char(flipped[good.size() / 2] ^ 0x20);
        QByteArray newer = good;
        newer[4] = char(2); // the format version follows the tag, little-endian
        QTest::newRow("empty value") << QByteArray() << "the value is not a copy of an index group";
        QTest::newRow("foreign text")
            << QByteArray("Alarme\\Kessel, not a copy at all") << "the value is not a copy of an index group";
        QTest::newRow("flipped byte in the contents") << flipped << "the copy is damaged (checksum mismatch)";
        QTest::newRow("cut short") << good.left(good.size() - 5) << "the copy is damaged (checksum mismatch)";
        QTest::newRow("newer format")
            << newer << "the copy was made by a newer version (format 2, this one reads 1)";
    }
    void refusesForeignOrDamaged() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        GroupCopy read = Sample();
        const QByteArray untouched = read.ToBytes();
        QString problem;
        QVERIFY(!GroupCopy::FromBytes(bytes, &read, &problem));
        QCOMPARE(problem, why);
        QCOMPARE(read.ToBytes(), untouched);
    }

    // Well-formed bytes with a sound checksum can still describe an impossible tree.
    void refusesImpossibleTrees_data() {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("why");
        QTest::newRow("text of a language the copy lacks")
            << Fault::UnknownLanguage << "the copy is damaged (a text of group \"Alarme\" has no language)";
        QTest::newRow("two texts for one index and language")
            << Fault::TextTwice << "the copy is damaged (texts of group \"Alarme\" out of order)";
        QTest::newRow("two subgroups of one name")
            << Fault::SiblingsOfOneName << "the copy is damaged (two subgroups named \"PUMPE\")";
        QTest::newRow("backslash in a group name")
            << Fault::BackslashInName << "the copy is damaged (invalid group name \"A\\B\")";
    }
    void refusesImpossibleTrees() {
        QFETCH(Fault, fault);
        QFETCH(QString, why);
        GroupCopy read;
        QString problem;
        QVERIFY(!GroupCopy::FromBytes(Sample(true, fault).ToBytes(), &read, &problem));
        QCOMPARE(problem, why);
    }
};

QTEST_GUILESS_MAIN(tst_GroupCopy)
#include "tst_GroupCopy.moc"
