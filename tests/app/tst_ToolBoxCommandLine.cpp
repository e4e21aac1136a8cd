#include "app/ToolBoxCommandLine.h"

#include <QTest>

class tst_ToolBoxCommandLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reduce_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("silent");
        // clang-format off
        QTest::newRow("nothing")                     << QStringList{}                          << ""          << false;
        QTest::newRow("switch before quoted script") << QStringList{"/s", "\"C:\\S\\run me.txt\""} << "C:\\S\\run me.txt" << true;
        QTest::newRow("switch after quoted script")  << QStringList{"\"C:\\S\\run.txt\"", "/s"}  << "C:\\S\\run.txt" << true;
        QTest::newRow("switch touching the quote")   << QStringList{"/s\"C:\\x.txt\""}         << "C:\\x.txt"   << true;
        QTest::newRow("capital S is no switch")      << QStringList{"/S", "x.txt"}             << "/S x.txt"    << false;
        QTest::newRow("a path keeps its /s")         << QStringList{"D:/scripts/a.txt"}        << "D:/scripts/a.txt" << false;
        QTest::newRow("silent run of a path beginning with /s")
                                                     << QStringList{"/s", "/srv/in/run.txt"}    << "/srv/in/run.txt" << true;
        QTest::newRow("/i ignored anywhere")         << QStringList{"/i", "Demo", "/i"}        << "Demo"        << false;
        QTest::newRow("/i inside a path stays")      << QStringList{"/home/ida/x.kxs"}         << "/home/ida/x.kxs" << false;
        QTest::newRow("single quote becomes empty")  << QStringList{"\""}                      << ""            << false;
        QTest::newRow("only one leading quote dropped") << QStringList{"\"\"Demo\"\""}         << "\"Demo\""    << false;
        QTest::newRow("tabs are not trimmed")        << QStringList{"\tDemo\t"}                << "\tDemo\t"    << false;
        QTest::newRow("blanks trimmed before quotes go") << QStringList{" ", "\"Demo.kxs\"", " "} << "Demo.kxs" << false;
        // clang-format on
    }
    void reduce() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, silent);
        bool isSilent = !silent;
        QTEST(ToolBoxCommandLine::Reduce(ToolBoxCommandLine::Join(arguments), &isSilent), "argument");
        QCOMPARE(isSilent, silent);
    }
};

QTEST_APPLESS_MAIN(tst_ToolBoxCommandLine)
#include "tst_ToolBoxCommandLine.moc"
