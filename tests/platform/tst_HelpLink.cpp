#include "platform/help/HelpLink.h"

#include <QTest>

Q_DECLARE_METATYPE(HelpLink::Kind)

class tst_HelpLink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
};

void tst_HelpLink::parse_data() {
    using Kind = HelpLink::Kind;
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("current");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("topic");

    // clang-format off
    QTest::newRow("relative in the same folder") << "other.htm" << "/sub/topic.htm" << Kind::Topic << "" << "/sub/other.htm";
    QTest::newRow("relative upwards") << "../start.htm" << "/sub/topic.htm" << Kind::Topic << "" << "/sub/../start.htm";
    QTest::newRow("relative with backslash") << "deeper\\page.htm" << "/sub/topic.htm" << Kind::Topic << "" << "/sub/deeper\\page.htm";
    QTest::newRow("absolute in the file") << "/start.htm" << "/sub/topic.htm" << Kind::Topic << "" << "/start.htm";
    QTest::newRow("anchor only") << "#teil2" << "/sub/other.htm#teil1" << Kind::Topic << "" << "/sub/other.htm#teil2";
    QTest::newRow("relative with anchor") << "other.htm#teil2" << "/sub/topic.htm" << Kind::Topic << "" << "/sub/other.htm#teil2";
    QTest::newRow("percent-encoded space") << "mein%20Thema.htm" << "/start.htm" << Kind::Topic << "" << "/mein Thema.htm";
    QTest::newRow("ms-its naming this file") << "ms-its:Fixture.chm::/sub/other.htm" << "/start.htm" << Kind::Topic << "" << "/sub/other.htm";
    QTest::newRow("ms-its naming this file in other case") << "MS-ITS:fixture.CHM::sub/other.htm" << "/start.htm" << Kind::Topic << "" << "/sub/other.htm";
    QTest::newRow("store link with a Windows path to this file") << "mk:@MSITStore:C:\\Hilfe\\Fixture.chm::/start.htm#oben" << "/sub/topic.htm" << Kind::Topic << "" << "/start.htm#oben";
    QTest::newRow("file name and topic without scheme") << "Fixture.chm::/start.htm" << "/sub/topic.htm" << Kind::Topic << "" << "/start.htm";
    QTest::newRow("ms-its to another file") << "ms-its:Studio.chm::/index.htm" << "/start.htm" << Kind::OtherFile << "Studio.chm" << "/index.htm";
    QTest::newRow("store link to another file without topic") << "mk:@MSITStore:C:\\Hilfe\\Studio.chm" << "/start.htm" << Kind::OtherFile << "C:\\Hilfe\\Studio.chm" << "";
    QTest::newRow("internal address") << "chm:/sub/other.htm" << "/start.htm" << Kind::Topic << "" << "/sub/other.htm";
    QTest::newRow("web address") << "https://example.org/hilfe" << "/start.htm" << Kind::External << "" << "";
    QTest::newRow("empty link stays") << "" << "/sub/topic.htm#a" << Kind::Topic << "" << "/sub/topic.htm#a";
    // clang-format on
}

void tst_HelpLink::parse() {
    QFETCH(QString, link);
    QFETCH(QString, current);
    QFETCH(HelpLink::Kind, kind);
    QFETCH(QString, file);
    QFETCH(QString, topic);
    const HelpLink parsed = HelpLink::Parse(link, current, QStringLiteral("Fixture.chm"));
    QCOMPARE(parsed.kind, kind);
    QCOMPARE(parsed.file, file);
    QCOMPARE(parsed.topic, topic);
    QCOMPARE(parsed.address, kind == HelpLink::Kind::External ? link : QString());
}

QTEST_GUILESS_MAIN(tst_HelpLink)
#include "tst_HelpLink.moc"
