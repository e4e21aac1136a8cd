#include "platform/help/ChmSitemap.h"

#include "platform/help/HtmlText.h"

#include <QHash>
#include <QRegularExpression>

namespace {

QHash<QString, QString> Attributes(const QString& text) {
    static const QRegularExpression attribute(
        QStringLiteral(R"re(([A-Za-z_:-]+)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>"']+)))re"));
    QHash<QString, QString> result;
    auto match = attribute.globalMatch(text);
    while (match.hasNext()) {
        const auto m = match.next();
        QString value = m.captured(2);
        if (m.capturedStart(3) >= 0)
            value = m.captured(3);
        else if (m.capturedStart(4) >= 0)
            value = m.captured(4);
        result.insert(m.captured(1).toLower(), HtmlText::DecodeReferences(value));
    }
    return result;
}

// A merged contents entry repeats Name and Local per file, an index keyword names each of its
// topics: the first name is the entry's, later ones title the locals after them.
void AddParameter(const QHash<QString, QString>& attributes, SitemapEntry& entry, QString& linkTitle) {
    const QString param = attributes.value(QStringLiteral("name")).toLower();
    const QString value = attributes.value(QStringLiteral("value"));
    if (param == QLatin1String("name")) {
        if (entry.name.isEmpty() && entry.links.isEmpty() && linkTitle.isEmpty())
            entry.name = value;
        else
            linkTitle = value;
    } else if (param == QLatin1String("local")) {
        if (entry.local.isEmpty())
            entry.local = value;
        entry.links.append({linkTitle.isEmpty() ? entry.name : linkTitle, value});
    } else if (param == QLatin1String("see also")) {
        entry.seeAlso = value;
    }
}

} // namespace

bool SitemapEntry::operator==(const SitemapEntry& other) const {
    return name == other.name && local == other.local && children == other.children && links == other.links &&
           seeAlso == other.seeAlso;
}

QList<SitemapEntry> ChmSitemap::Parse(const QString& html) {
    static const QRegularExpression tag(QStringLiteral(R"(<!--.*?-->|<\s*(/?)\s*([A-Za-z]+)([^>]*)>)"),
                                        QRegularExpression::DotMatchesEverythingOption);
    QList<SitemapEntry> root;
    // The lists open at this point; a <UL> descends into the children of the entry before it.
    QList<QList<SitemapEntry>*> lists{&root};
    bool inEntry = false;
    SitemapEntry entry;
    QString linkTitle; // the latest name after the entry's own

    auto match = tag.globalMatch(html);
    while (match.hasNext()) {
        const auto m = match.next();
        const QString name = m.captured(2).toLower();
        if (name.isEmpty())
            continue; // a comment
        const bool closing = !m.captured(1).isEmpty();
        if (name == QLatin1String("ul")) {
            if (!closing) {
                // A <UL> before any entry (the outermost one) continues the list it is in. The
                // pointers stay valid: a list grows only while it is the innermost one.
                QList<SitemapEntry>* current = lists.last();
                lists.append(current->isEmpty() ? current : &current->last().children);
            } else if (lists.size() > 1) {
                lists.removeLast();
            }
        } else if (name == QLatin1String("object")) {
            if (!closing) {
                inEntry = Attributes(m.captured(3))
                              .value(QStringLiteral("type"))
                              .compare(QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0;
                entry = SitemapEntry();
                linkTitle.clear();
            } else if (inEntry) {
                inEntry = false;
                lists.last()->append(entry);
            }
        } else if (name == QLatin1String("param") && inEntry) {
            AddParameter(Attributes(m.captured(3)), entry, linkTitle);
        }
    }
    return root;
}
