#include "platform/help/ChmSitemap.h"

#include <QTest>

namespace {

SitemapEntry Entry(const QString& name, const QString& local, const QList<SitemapEntry>& children = {}) {
    return SitemapEntry{name,
                        local,
                        children,
                        local.isEmpty() ? QList<SitemapLink>{} : QList<SitemapLink>{{name, local}},
                        {}};
}

QString Param(const QString& name, const QString& value) {
    return QStringLiteral("<param name=\"%1\" value=\"%2\">").arg(name, value);
}

QString Item(const QString& name, const QString& local) {
    QString html =
        QStringLiteral("<LI> <OBJECT type=\"text/sitemap\">\n<param name=\"Name\" value=\"%1\">\n").arg(name);
    if (!local.isEmpty())
        html += QStringLiteral("<param name=\"Local\" value=\"%1\">\n").arg(local);
    return html + QStringLiteral("</OBJECT>\n");
}

} // namespace

Q_DECLARE_METATYPE(QList<SitemapEntry>)

class tst_ChmSitemap : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
};

void tst_ChmSitemap::parse_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QList<SitemapEntry>>("entries");

    const QString head = QStringLiteral("<HTML><HEAD></HEAD><BODY>\n<OBJECT type=\"text/site properties\">\n"
                                        "<param name=\"ImageType\" value=\"Folder\"></OBJECT>\n");
    // clang-format off
    QTest::newRow("flat list") << head + "<UL>" + Item("Eins", "eins.htm") + Item("Zwei", "zwei.htm") + "</UL>" << QList<SitemapEntry>{Entry("Eins", "eins.htm"), Entry("Zwei", "zwei.htm")};
    QTest::newRow("nested lists belong to the entry before them") << head + "<UL>" + Item("Buch", "") + "<UL>" + Item("Kapitel", "k.htm") + "<UL>" + Item("Abschnitt", "a.htm") + "</UL></UL>" + Item("Anhang", "anhang.htm") + "</UL>" << QList<SitemapEntry>{Entry("Buch", "", {Entry("Kapitel", "k.htm", {Entry("Abschnitt", "a.htm")})}), Entry("Anhang", "anhang.htm")};
    QTest::newRow("site properties are no entry") << head << QList<SitemapEntry>{};
    QTest::newRow("lower case tags, bare and single-quoted values") << "<ul><li><object type=text/sitemap><param name=name value='Erste Seite'>" "<param name=local value=erste.htm></object></ul>" << QList<SitemapEntry>{Entry("Erste Seite", "erste.htm")};
    QTest::newRow("character references decoded") << "<UL>" + Item("Gr&ouml;&szlig;e &amp; &#220;bersicht &#x2013; &quot;Neu&quot;", "a.htm?x=1&amp;y=2") + "</UL>" << QList<SitemapEntry>{Entry(QString::fromUtf8("Größe & Übersicht – \"Neu\""), "a.htm?x=1&y=2")};
    SitemapEntry merged = Entry("Eins", "eins.htm");
    merged.links.append(SitemapLink{"One", "one.htm"});
    QTest::newRow("merged entry: the first name and local count, every pair is a link") << "<UL><LI><OBJECT type=\"text/sitemap\">" + Param("Name", "Eins") + Param("Local", "eins.htm") + Param("Name", "One") + Param("Local", "one.htm") + "</OBJECT></UL>" << QList<SitemapEntry>{merged};
    SitemapEntry keyword{
        "Kopieren", "a.htm", {}, {{"Gruppen kopieren", "a.htm"}, {"Texte kopieren", "b.htm"}}, {}};
    QTest::newRow("keyword with several topics, each titled by the name before it") << "<UL><LI><OBJECT type=\"text/sitemap\">" + Param("Name", "Kopieren") + Param("Name", "Gruppen kopieren") + Param("Local", "a.htm") + Param("Name", "Texte kopieren") + Param("Local", "b.htm") + "</OBJECT></UL>" << QList<SitemapEntry>{keyword};
    SitemapEntry seeAlso = Entry("Duplizieren", "");
    seeAlso.seeAlso = "Kopieren";
    QTest::newRow("see also") << "<UL><LI><OBJECT type=\"text/sitemap\">" + Param("Name", "Duplizieren") + Param("See Also", "Kopieren") + "</OBJECT></UL>" << QList<SitemapEntry>{seeAlso};
    QTest::newRow("commented entry skipped") << "<UL><!--" + Item("Alt", "alt.htm") + "-->" + Item("Neu", "neu.htm") + "</UL>" << QList<SitemapEntry>{Entry("Neu", "neu.htm")};
    QTest::newRow("list never closed") << "<UL>" + Item("Eins", "eins.htm") + "<UL>" + Item("Unter", "unter.htm") << QList<SitemapEntry>{Entry("Eins", "eins.htm", {Entry("Unter", "unter.htm")})};
    QTest::newRow("values spread over lines") << "<UL><LI><OBJECT\n type=\"text/sitemap\"><param\n name=\"Name\"\n value=\"Zeilen\"></OBJECT></UL>" << QList<SitemapEntry>{Entry("Zeilen", "")};
    // clang-format on
}

void tst_ChmSitemap::parse() {
    QFETCH(QString, html);
    QFETCH(QList<SitemapEntry>, entries);
    QCOMPARE(ChmSitemap::Parse(html), entries);
}

QTEST_GUILESS_MAIN(tst_ChmSitemap)
#include "tst_ChmSitemap.moc"
