#include "common/TempPrefix.h"
#include "platform/help/ChmFile.h"
#include "platform/help/ChmIndex.h"
#include "platform/help/ChmSitemap.h"
#include "platform/help/HelpLink.h"
#include "platform/help/HelpSearchIndex.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray Bytes(const char* path) { return TestSupport::ReadFile(QString::fromUtf8(path)); }

// The help file with its system file's length (a compressed number after the name, the section
// and the start) grown past the end of the file.
QByteArray SystemFileLongerThanTheFile() {
    QByteArray bytes = Bytes(KX4_HELP_TOOLBOX);
    qsizetype at = bytes.indexOf("/#SYSTEM") + 8 + 1;
    while (quint8(bytes.at(at)) >= 0x80)
        ++at;
    bytes[at + 1] = char(0xff);
    return bytes;
}

SitemapEntry Entry(const QString& name, const QString& local, const QList<SitemapEntry>& children = {}) {
    QList<SitemapLink> links;
    if (!local.isEmpty())
        links.append({name, local});
    return SitemapEntry{name, local, children, links, {}};
}

QString Param(const QString& name, const QString& value) {
    return QStringLiteral("<param name=\"%1\" value=\"%2\">").arg(name, value);
}

QString Item(const QString& name, const QString& local) {
    return "<LI> <OBJECT type=\"text/sitemap\">\n" + Param("Name", name) + "\n" +
           (local.isEmpty() ? QString() : Param("Local", local) + "\n") + "</OBJECT>\n";
}

} // namespace

Q_DECLARE_METATYPE(QList<SitemapEntry>)
Q_DECLARE_METATYPE(QList<SearchHit>)
Q_DECLARE_METATYPE(HelpLink::Kind)

// Reading a help file and what the viewer makes of it: its records and topics, its contents and
// index sitemaps, the binary index, the full-text search and the links in its pages. The fixture
// maps context 1234 to sub/topic.htm (written by the compiler as its absolute build path) and
// nothing else; its default topic is start.htm.
class tst_ChmFile : public QObject {
    Q_OBJECT
    std::unique_ptr<ChmFile> m_file;
    std::unique_ptr<ChmFile> m_withoutSitemap;
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::English));
        QString why;
        m_file = ChmFile::Open(QStringLiteral(KX4_HELP_FIXTURE), &why);
        QVERIFY2(m_file, qPrintable(why));
        // The same file whose index sitemap is named differently in its directory, so that the name
        // in its system file leads nowhere: only the binary index is left.
        QByteArray bytes = Bytes(KX4_HELP_FIXTURE);
        const qsizetype name = bytes.indexOf("/Fixture.hhk");
        QVERIFY(name > 0);
        bytes[name + 11] = 'x';
        QVERIFY(TestSupport::WriteFile(m_dir.filePath("ohne-hhk.chm"), bytes));
        m_withoutSitemap = ChmFile::Open(m_dir.filePath("ohne-hhk.chm"));
        QVERIFY(m_withoutSitemap);
        QCOMPARE(m_withoutSitemap->IndexFile(), QString());
    }

    // Numbers the context map lacks (1234 and the title, the start topic and pictures:
    // tst_HelpWindow) and reading objects in any spelling.
    void records() {
        for (const quint32 unmapped : {4321u, 0u, 1u /* an offset value, no context number */})
            QVERIFY(!m_file->ContextTopic(unmapped));
        const std::optional<QByteArray> page = m_file->Read(QStringLiteral("SUB\\OTHER.HTM"));
        QVERIFY(page && page->contains("Zweiter Teil mit Umlauten: \xc3\xa4\xc3\xb6\xc3\xbc"));
        QVERIFY(!m_file->Read(QStringLiteral("/sub/missing.htm")));
    }

    void resolveTopic_data() {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("resolved");
        // clang-format off
        QTest::newRow("absolute in the file") << "/sub/topic.htm" << "/sub/topic.htm";
        QTest::newRow("leading backslash") << "\\sub\\topic.htm" << "/sub/topic.htm";
        QTest::newRow("other case") << "SUB/Topic.HTM" << "/sub/topic.htm";
        QTest::newRow("build path before a top-level topic") << "/build/start.htm" << "/start.htm";
        QTest::newRow("store link with anchor") << "mk:@MSITStore:C:\\Hilfe\\Fixture.chm::/sub/other.htm#teil2" << "/sub/other.htm#teil2";
        QTest::newRow("dot levels") << "./sub/../sub/./topic.htm" << "/sub/topic.htm";
        QTest::newRow("missing topic under a build path") << "/work/sub/nothing/topic.htm" << "";
        QTest::newRow("folder only") << "/sub/" << "";
        // clang-format on
    }

    void resolveTopic() {
        QFETCH(QString, written);
        QTEST(m_file->ResolveTopic(written), "resolved");
    }

    // A missing file: tst_HelpMenu, as the box names it. Each corpus file once ended the process
    // that read it; the fuzz replay reads the rest of them.
    void openFailure_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("why");
        const QString damaged = QStringLiteral("the file is damaged");
        QTest::newRow("folder") << "folder.chm" << QByteArray() << "it is not a file";
        QTest::newRow("header only") << "header.chm" << QByteArray("ITSF")
                                     << "it is not a compiled help file";
        QTest::newRow("help file cut short") << "cut.chm" << Bytes(KX4_HELP_TOOLBOX).left(120) << damaged;
        // clang-format off
    QTest::newRow("directory chunk followed by itself") << "c.chm" << Bytes(KX4_CHM_CORPUS "/directory-chunk-followed-by-itself.chm") << damaged + "|the directory chain returns to chunk 0";
    QTest::newRow("object longer than the file") << "e.chm" << SystemFileLongerThanTheFile() << damaged;
        // clang-format on
    }

    void openFailure() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, why);
        const QString path = m_dir.filePath(name);
        QVERIFY(name == "folder.chm" ? QDir().mkpath(path) : TestSupport::WriteFile(path, content));
        // After "|": the reader's own words, which name the damage its checks found (logged as info).
        if (why.contains(u'|')) {
            QLoggingCategory::setFilterRules(QStringLiteral("kx4.help.chm.info=true"));
            QTest::ignoreMessage(QtInfoMsg, QRegularExpression("kx4chmread: " + why.section(u'|', 1) + "$"));
        }
        QString reason;
        const bool opened = bool(ChmFile::Open(path, &reason));
        QLoggingCategory::setFilterRules(QString());
        QVERIFY(!opened);
        QCOMPARE(reason, why.section(u'|', 0, 0));
    }

    void decodeText_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<quint32>("languageId");
        QTest::addColumn<QString>("text");
        // clang-format off
    QTest::newRow("UTF-8 whatever the language") << QByteArray("\xc3\x9c" "bersicht") << 0x0419u << QString::fromUtf8("Übersicht");
    QTest::newRow("German: Western code page") << QByteArray("\xdc" "bersicht \x84Hilfe\x93") << 0x0407u << QString::fromUtf8("Übersicht „Hilfe“");
    QTest::newRow("Russian: Cyrillic code page") << QByteArray("\xd1\xef\xf0\xe0\xe2\xea\xe0") << 0x0419u << QString::fromUtf8("Справка");
    QTest::newRow("Japanese: Shift JIS") << QByteArray("\x83\x77\x83\x8b\x83\x76") << 0x0411u << QString::fromUtf8("ヘルプ");
    QTest::newRow("no language: Western") << QByteArray("gr\xf6\xdf") << 0u << QString::fromUtf8("größ");
        // clang-format on
    }

    void decodeText() {
        QFETCH(QByteArray, bytes);
        QFETCH(quint32, languageId);
        QTEST(ChmFile::DecodeText(bytes, ChmFile::CodePageOf(languageId)), "text");
    }

    // The fixture's index sitemap (Fixture.hhk), then the binary index the compiler built from it, read
    // where the sitemap is missing.
    void index() {
        for (const bool binary : {false, true}) {
            // clang-format off
        QList<IndexEntry> expected{{"Anfang", 0, {{"Anfang", "/start.htm"}}, {}},
            {QString::fromUtf8("Fenstergröße"), 0, {{QString::fromUtf8("Fenstergröße"), "/sub/western.htm"}}, {}},
            {"Kopieren", 0, {{"Gruppen kopieren", "/sub/kopieren.htm"}, {"Thema 1234", "/sub/topic.htm"}}, {}},
            {"Untergruppen", 1, {{"Untergruppen", "/sub/kopieren.htm"}}, {}},
            {"Mathematik", 0, {{"Mathematik", "/sub/other.htm#teil2"}}, {}},
            {"Thema", 0, {{"Thema", "/sub/topic.htm"}}, {}},
            {QString::fromUtf8("Vervielfältigen"), 0, {}, "Kopieren"}};
            // clang-format on
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
    }

    void sitemap_data() {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QList<SitemapEntry>>("entries");

        const QString head =
            QStringLiteral("<HTML><HEAD></HEAD><BODY>\n<OBJECT type=\"text/site properties\">\n"
                           "<param name=\"ImageType\" value=\"Folder\"></OBJECT>\n");
        // clang-format off
    QTest::newRow("nested lists belong to the entry before them") << head + "<UL>" + Item("Buch", "") + "<UL>" + Item("Kapitel", "k.htm") + "<UL>" + Item("Abschnitt", "a.htm") + "</UL></UL>" + Item("Anhang", "anhang.htm") + "</UL>" << QList<SitemapEntry>{Entry("Buch", "", {Entry("Kapitel", "k.htm", {Entry("Abschnitt", "a.htm")})}), Entry("Anhang", "anhang.htm")};
    QTest::newRow("site properties are no entry") << head << QList<SitemapEntry>{};
    QTest::newRow("lower case tags, bare and single-quoted values") << "<ul><li><object type=text/sitemap><param name=name value='Erste Seite'>" "<param name=local value=erste.htm></object></ul>" << QList<SitemapEntry>{Entry("Erste Seite", "erste.htm")};
    QTest::newRow("character references decoded") << "<UL>" + Item("Gr&ouml;&szlig;e &amp; &#220;bersicht &#x2013; &quot;Neu&quot;", "a.htm?x=1&amp;y=2") + "</UL>" << QList<SitemapEntry>{Entry(QString::fromUtf8("Größe & Übersicht – \"Neu\""), "a.htm?x=1&y=2")};
    SitemapEntry merged = Entry("Eins", "eins.htm");
    merged.links.append(SitemapLink{"One", "one.htm"});
    QTest::newRow("merged entry: the first name and local count, every pair is a link") << "<UL><LI><OBJECT type=\"text/sitemap\">" + Param("Name", "Eins") + Param("Local", "eins.htm") + Param("Name", "One") + Param("Local", "one.htm") + "</OBJECT></UL>" << QList<SitemapEntry>{merged};
    QTest::newRow("unknown reference kept") << "<UL>" + Item("A &unbekannt; B", "a.htm") + "</UL>" << QList<SitemapEntry>{Entry("A &unbekannt; B", "a.htm")};
    QTest::newRow("commented entry skipped") << "<UL><!--" + Item("Alt", "alt.htm") + "-->" + Item("Neu", "neu.htm") + "</UL>" << QList<SitemapEntry>{Entry("Neu", "neu.htm")};
    QTest::newRow("list never closed") << "<UL>" + Item("Eins", "eins.htm") + "<UL>" + Item("Unter", "unter.htm") << QList<SitemapEntry>{Entry("Eins", "eins.htm", {Entry("Unter", "unter.htm")})};
    QTest::newRow("values spread over lines") << "<UL><LI><OBJECT\n type=\"text/sitemap\"><param\n name=\"Name\"\n value=\"Zeilen\"></OBJECT></UL>" << QList<SitemapEntry>{Entry("Zeilen", "")};
        // clang-format on
    }

    void sitemap() {
        QFETCH(QString, html);
        QTEST(ChmSitemap::Parse(html), "entries");
    }

    // Searches over the fixture's pages (ranking and every word: tst_HelpWindow): /sub/kopieren.htm
    // (UTF-8) hides words in an attribute, a comment and a script; /sub/western.htm is written in the
    // Western code page without saying so.

    void search_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QList<SearchHit>>("hits");
        const SearchHit copying{"/sub/kopieren.htm", "Gruppen kopieren", 4};
        const SearchHit window{"/sub/western.htm", QString::fromUtf8("Fenstergröße"), 1};
        // clang-format off
    QTest::newRow("umlauts of an undeclared Western page") << QString::fromUtf8("größe") << QList<SearchHit>{window};
    QTest::newRow("inline tags join a word") << "fensterrahmen" << QList<SearchHit>{window};
    QTest::newRow("link target is no text") << "geheimziel" << QList<SearchHit>{};
    QTest::newRow("comment is no text") << "verborgen" << QList<SearchHit>{};
    QTest::newRow("script is no text") << "unsichtbar" << QList<SearchHit>{};
    QTest::newRow("no words") << " ;-) " << QList<SearchHit>{};
        // clang-format on
    }

    void search() {
        QFETCH(QString, query);
        static const HelpSearchIndex index = HelpSearchIndex::Build(*m_file);
        QTEST(index.Search(query), "hits");
    }

    void link_data() {
        using Kind = HelpLink::Kind;
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("current");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("topic");

        // clang-format off
    QTest::newRow("relative in the same folder") << "other.htm" << "/sub/topic.htm" << Kind::Topic << "" << "/sub/other.htm";
    QTest::newRow("absolute in the file") << "/start.htm" << "/sub/topic.htm" << Kind::Topic << "" << "/start.htm";
    QTest::newRow("anchor only") << "#teil2" << "/sub/other.htm#teil1" << Kind::Topic << "" << "/sub/other.htm#teil2";
    QTest::newRow("percent-encoded space") << "mein%20Thema.htm" << "/start.htm" << Kind::Topic << "" << "/mein Thema.htm";
    QTest::newRow("ms-its naming this file in other case") << "MS-ITS:fixture.CHM::sub/other.htm" << "/start.htm" << Kind::Topic << "" << "/sub/other.htm";
    QTest::newRow("file name and topic without scheme") << "Fixture.chm::/start.htm" << "/sub/topic.htm" << Kind::Topic << "" << "/start.htm";
    QTest::newRow("store link to another file without topic") << "mk:@MSITStore:C:\\Hilfe\\Studio.chm" << "/start.htm" << Kind::OtherFile << "C:\\Hilfe\\Studio.chm" << "";
    QTest::newRow("internal address") << "chm:/sub/other.htm" << "/start.htm" << Kind::Topic << "" << "/sub/other.htm";
    QTest::newRow("web address") << "https://example.org/hilfe" << "/start.htm" << Kind::External << "" << "";
    QTest::newRow("empty link stays") << "" << "/sub/topic.htm#a" << Kind::Topic << "" << "/sub/topic.htm#a";
        // clang-format on
    }

    void link() {
        QFETCH(QString, link);
        QFETCH(QString, current);
        const HelpLink parsed = HelpLink::Parse(link, current, QStringLiteral("Fixture.chm"));
        QTEST(parsed.kind, "kind");
        QTEST(parsed.file, "file");
        QTEST(parsed.topic, "topic");
        QCOMPARE(parsed.address, parsed.kind == HelpLink::Kind::External ? link : QString());
    }
};

QTEST_GUILESS_MAIN(tst_ChmFile)
#include "tst_ChmFile.moc"
