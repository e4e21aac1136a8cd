#include "platform/help/ChmSitemap.h"

#include <QHash>
#include <QRegularExpression>

namespace {

QString DecodeReferences(const QString& text) {
    static const QHash<QString, QChar> named = {
        {QStringLiteral("amp"), QLatin1Char('&')},   {QStringLiteral("lt"), QLatin1Char('<')},
        {QStringLiteral("gt"), QLatin1Char('>')},    {QStringLiteral("quot"), QLatin1Char('"')},
        {QStringLiteral("apos"), QLatin1Char('\'')}, {QStringLiteral("nbsp"), QChar(0xA0)},
        {QStringLiteral("auml"), QChar(0xE4)},       {QStringLiteral("ouml"), QChar(0xF6)},
        {QStringLiteral("uuml"), QChar(0xFC)},       {QStringLiteral("Auml"), QChar(0xC4)},
        {QStringLiteral("Ouml"), QChar(0xD6)},       {QStringLiteral("Uuml"), QChar(0xDC)},
        {QStringLiteral("szlig"), QChar(0xDF)},
    };
    static const QRegularExpression reference(QStringLiteral("&(#[0-9]+|#[xX][0-9a-fA-F]+|[A-Za-z]+);"));
    QString result;
    qsizetype copied = 0;
    auto match = reference.globalMatch(text);
    while (match.hasNext()) {
        const auto m = match.next();
        const QString name = m.captured(1);
        QString replacement;
        if (name.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const uint code = name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive)
                                  ? name.mid(2).toUInt(&ok, 16)
                                  : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF)
                replacement = QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        } else if (named.contains(name)) {
            replacement = named.value(name);
        }
        if (replacement.isEmpty())
            continue; // an unknown reference stays as written
        result += text.mid(copied, m.capturedStart() - copied) + replacement;
        copied = m.capturedEnd();
    }
    return result + text.mid(copied);
}

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
        result.insert(m.captured(1).toLower(), DecodeReferences(value));
    }
    return result;
}

} // namespace

bool SitemapEntry::operator==(const SitemapEntry& other) const {
    return name == other.name && local == other.local && children == other.children;
}

QList<SitemapEntry> ChmSitemap::Parse(const QString& html) {
    static const QRegularExpression tag(QStringLiteral(R"(<!--.*?-->|<\s*(/?)\s*([A-Za-z]+)([^>]*)>)"),
                                        QRegularExpression::DotMatchesEverythingOption);
    QList<SitemapEntry> root;
    // The lists open at this point; a <UL> descends into the children of the entry before it.
    QList<QList<SitemapEntry>*> lists{&root};
    bool inEntry = false;
    SitemapEntry entry;

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
            } else if (inEntry) {
                inEntry = false;
                lists.last()->append(entry);
            }
        } else if (name == QLatin1String("param") && inEntry) {
            const QHash<QString, QString> attributes = Attributes(m.captured(3));
            const QString param = attributes.value(QStringLiteral("name")).toLower();
            const QString value = attributes.value(QStringLiteral("value"));
            // An entry may list several Name/Local pairs (one per merged file); the first counts.
            if (param == QLatin1String("name") && entry.name.isEmpty())
                entry.name = value;
            else if (param == QLatin1String("local") && entry.local.isEmpty())
                entry.local = value;
        }
    }
    return root;
}
