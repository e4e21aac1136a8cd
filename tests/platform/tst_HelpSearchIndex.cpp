#include "platform/help/ChmFile.h"
#include "platform/help/HelpSearchIndex.h"

#include <QTest>

Q_DECLARE_METATYPE(QList<SearchHit>)

// Searches over the fixture's pages: /sub/kopieren.htm (UTF-8) names "kopieren" four times and
// hides words in an attribute, a comment and a script; /sub/topic.htm names it once;
// /sub/western.htm is written in the Western code page without saying so.
class tst_HelpSearchIndex : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void search_data();
    void search();
};

void tst_HelpSearchIndex::search_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QList<SearchHit>>("hits");
    const SearchHit copying{"/sub/kopieren.htm", "Gruppen kopieren", 4};
    const SearchHit window{"/sub/western.htm", QString::fromUtf8("Fenstergröße"), 1};
    // clang-format off
    QTest::newRow("ranked by hits") << "kopieren" << QList<SearchHit>{copying, {"/sub/topic.htm", "Thema", 1}};
    QTest::newRow("every word must occur") << "Kopieren GRUPPE" << QList<SearchHit>{{"/sub/kopieren.htm", "Gruppen kopieren", 7}};
    QTest::newRow("a word nowhere leaves nothing") << "kopieren fenster" << QList<SearchHit>{};
    QTest::newRow("umlauts of an undeclared Western page") << QString::fromUtf8("größe") << QList<SearchHit>{window};
    QTest::newRow("character reference decoded") << QString::fromUtf8("Übersicht") << QList<SearchHit>{window};
    QTest::newRow("inline tags join a word") << "fensterrahmen" << QList<SearchHit>{window};
    QTest::newRow("a word begins longer ones") << "unterg" << QList<SearchHit>{{"/sub/kopieren.htm", "Gruppen kopieren", 1}};
    QTest::newRow("link target is no text") << "geheimziel" << QList<SearchHit>{};
    QTest::newRow("comment is no text") << "verborgen" << QList<SearchHit>{};
    QTest::newRow("script is no text") << "unsichtbar" << QList<SearchHit>{};
    // clang-format on
}

void tst_HelpSearchIndex::search() {
    QFETCH(QString, query);
    QFETCH(QList<SearchHit>, hits);
    static const std::unique_ptr<ChmFile> file = ChmFile::Open(QStringLiteral(KX4_HELP_FIXTURE));
    QVERIFY(file);
    static const HelpSearchIndex index = HelpSearchIndex::Build(*file);
    QCOMPARE(index.Search(query), hits);
}

QTEST_GUILESS_MAIN(tst_HelpSearchIndex)
#include "tst_HelpSearchIndex.moc"
