#include "platform/help/ChmFile.h"
#include "platform/help/ChmIndex.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The fixture's index sitemap (Fixture.hhk) and the binary index the compiler built from it.
class tst_ChmIndex : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void read_data();
    void read();
    void filter_data();
    void filter();

private:
    std::unique_ptr<ChmFile> m_file;
    std::unique_ptr<ChmFile> m_withoutSitemap;
    QTemporaryDir m_dir;
};

void tst_ChmIndex::initTestCase() {
    m_file = ChmFile::Open(QStringLiteral(KX4_HELP_FIXTURE));
    QVERIFY(m_file);
    // The same file whose index sitemap is named differently in its directory, so that the name
    // in its system file leads nowhere: only the binary index is left.
    QFile fixture(QStringLiteral(KX4_HELP_FIXTURE));
    QVERIFY(fixture.open(QIODevice::ReadOnly));
    QByteArray bytes = fixture.readAll();
    const qsizetype name = bytes.indexOf("/Fixture.hhk");
    QVERIFY(name > 0);
    bytes[name + 11] = 'x';
    QFile patched(m_dir.filePath("ohne-hhk.chm"));
    QVERIFY(patched.open(QIODevice::WriteOnly));
    patched.write(bytes);
    patched.close();
    m_withoutSitemap = ChmFile::Open(patched.fileName());
    QVERIFY(m_withoutSitemap);
    QCOMPARE(m_withoutSitemap->IndexFile(), QString());
}

void tst_ChmIndex::read_data() {
    QTest::addColumn<bool>("binary");
    QTest::newRow("index sitemap: several topics, a nested keyword, see also") << false;
    QTest::newRow("binary index where the sitemap is missing") << true;
}

void tst_ChmIndex::read() {
    QFETCH(bool, binary);
    QList<IndexEntry> expected{
        {"Anfang", 0, {{"Anfang", "/start.htm"}}, {}},
        {QString::fromUtf8("Fenstergröße"), 0, {{QString::fromUtf8("Fenstergröße"), "/sub/western.htm"}}, {}},
        {"Kopieren", 0, {{"Gruppen kopieren", "/sub/kopieren.htm"}, {"Thema 1234", "/sub/topic.htm"}}, {}},
        {"Untergruppen", 1, {{"Untergruppen", "/sub/kopieren.htm"}}, {}},
        {"Mathematik", 0, {{"Mathematik", "/sub/other.htm#teil2"}}, {}},
        {"Thema", 0, {{"Thema", "/sub/topic.htm"}}, {}},
        {QString::fromUtf8("Vervielfältigen"), 0, {}, "Kopieren"}};
    QList<IndexEntry> read = ChmIndex::Read(binary ? *m_withoutSitemap : *m_file);
    if (binary) {
        // The binary index titles a topic by the compiler's topic table, not by the sitemap.
        for (QList<IndexEntry>* entries : {&expected, &read})
            for (IndexEntry& entry : *entries)
                for (IndexTopic& topic : entry.topics)
                    topic.title = topic.title.isEmpty() ? QStringLiteral("(none)") : QString();
    }
    QCOMPARE(read, expected);
}

void tst_ChmIndex::filter_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("listed");
    // clang-format off
    QTest::newRow("blank lists all in index order") << "  " << QStringList{ "Anfang", QString::fromUtf8("Fenstergröße"),   "Kopieren", "Untergruppen", "Mathematik", "Thema",  QString::fromUtf8("Vervielfältigen")};
    QTest::newRow("beginning first, then inside") << "the" << QStringList{"Thema", "Mathematik"};
    QTest::newRow("case-free") << "kOP" << QStringList{"Kopieren"};
    QTest::newRow("case-free beyond ASCII") << QString::fromUtf8("FENSTERGRÖ") << QStringList{QString::fromUtf8("Fenstergröße")};
    QTest::newRow("nested keyword on its own") << "gruppen" << QStringList{"Untergruppen"};
    QTest::newRow("nothing matches") << "xyz" << QStringList{};
    // clang-format on
}

void tst_ChmIndex::filter() {
    QFETCH(QString, text);
    QFETCH(QStringList, listed);
    const QList<IndexEntry> entries = ChmIndex::Read(*m_file);
    QStringList keywords;
    for (int index : ChmIndex::Filter(entries, text))
        keywords.append(entries.at(index).keyword);
    QCOMPARE(keywords, listed);
}

QTEST_GUILESS_MAIN(tst_ChmIndex)
#include "tst_ChmIndex.moc"
