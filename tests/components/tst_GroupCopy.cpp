#include "ProjectData/GroupCopy.h"

#include <QDataStream>
#include <QTest>

class tst_GroupCopy : public QObject {
    Q_OBJECT

    static GroupCopy Sample() {
        GroupCopy copy;
        copy.languages = {"1031", "1033"};
        copy.root.name = "Alarme";
        copy.root.texts = {{1, 0, "Kessel heiß"}, {1, 1, "Boiler hot"}, {7, 0, "Zeile\r\nzwei, \"drei\""}};
        CopiedGroup child;
        child.name = "Pumpe";
        child.texts = {{-3, 1, "😀"}};
        copy.root.children.push_back(child);
        return copy;
    }

private Q_SLOTS:
    void roundTrip_data() {
        QTest::addColumn<bool>("withSubgroups");
        QTest::newRow("with subgroups") << true;
        QTest::newRow("without subgroups") << false;
    }
    void roundTrip() {
        QFETCH(bool, withSubgroups);
        GroupCopy copy = Sample();
        copy.withSubgroups = withSubgroups;
        GroupCopy read;
        QString why;
        QVERIFY2(GroupCopy::FromBytes(copy.ToBytes(), &read, &why), qPrintable(why));
        QCOMPARE(read, copy);
        QCOMPARE(read.root.TextCount(), 4);
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
        const GroupCopy untouched = read;
        QString problem;
        QVERIFY(!GroupCopy::FromBytes(bytes, &read, &problem));
        QCOMPARE(problem, why);
        QCOMPARE(read, untouched);
    }

    // Well-formed bytes with a sound checksum can still describe an impossible tree.
    void refusesImpossibleTrees_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("why");
        QTest::newRow("text of a language the copy lacks")
            << 0 << "the copy is damaged (a text of group \"Alarme\" has no language)";
        QTest::newRow("two texts for one index and language")
            << 1 << "the copy is damaged (texts of group \"Alarme\" out of order)";
        QTest::newRow("two subgroups of one name")
            << 2 << "the copy is damaged (two subgroups named \"PUMPE\")";
        QTest::newRow("backslash in a group name")
            << 3 << "the copy is damaged (invalid group name \"A\\B\")";
    }
    void refusesImpossibleTrees() {
        QFETCH(int, fault);
        QFETCH(QString, why);
        GroupCopy copy = Sample();
        if (fault == 0)
            copy.root.texts[0].language = 2;
        if (fault == 1)
            copy.root.texts.append(copy.root.texts.last());
        if (fault == 2) {
            copy.root.children.push_back(copy.root.children.front());
            copy.root.children.back().name = "PUMPE";
        }
        if (fault == 3)
            copy.root.name = "A\\B";
        GroupCopy read;
        QString problem;
        QVERIFY(!GroupCopy::FromBytes(copy.ToBytes(), &read, &problem));
        QCOMPARE(problem, why);
    }
};

QTEST_GUILESS_MAIN(tst_GroupCopy)
#include "tst_GroupCopy.moc"
