#pragma once

#include <QList>
#include <QString>

// One entry of a help file's table of contents: its name, the topic it opens (a path in the
// file as the sitemap writes it, possibly empty for a mere heading) and the entries below it.
struct SitemapEntry {
    QString name;
    QString local;
    QList<SitemapEntry> children;
    // Not defaulted: QList cannot see the comparison of an entry while the entry is incomplete.
    bool operator==(const SitemapEntry& other) const;
};

namespace ChmSitemap {

// The entries of a sitemap (.hhc): every <OBJECT type="text/sitemap"> with its "Name" and
// "Local" parameters, nested by <UL> lists. Tolerant of the loose HTML that help compilers
// accept: unclosed <LI>, any case, quoted or bare attribute values, character references.
QList<SitemapEntry> Parse(const QString& html);

} // namespace ChmSitemap
