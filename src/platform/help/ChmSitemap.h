#pragma once

#include <QList>
#include <QString>

// A topic an entry leads to: its title as the sitemap names it and its path as written.
struct SitemapLink {
    QString title;
    QString local;
    bool operator==(const SitemapLink&) const = default;
};

// One entry of a help file's table of contents or keyword index: its name (the heading or the
// keyword), the topic it opens (a path in the file as the sitemap writes it, possibly empty for
// a mere heading) and the entries below it. A keyword may lead to several topics: links holds
// every Name/Local pair in order, the first of them being name and local.
struct SitemapEntry {
    QString name;
    QString local;
    QList<SitemapEntry> children;
    QList<SitemapLink> links;
    // A keyword that only refers to another one ("See Also"); empty for others.
    QString seeAlso;
    // Not defaulted: QList cannot see the comparison of an entry while the entry is incomplete.
    bool operator==(const SitemapEntry& other) const;
};

namespace ChmSitemap {

// The entries of a sitemap (.hhc contents, .hhk index): every <OBJECT type="text/sitemap"> with
// its "Name", "Local" and "See Also" parameters, nested by <UL> lists. In an entry with several
// names the first one names the entry and each later one titles the locals after it. Tolerant of
// the loose HTML that help compilers accept: unclosed <LI>, any case, quoted or bare attribute
// values, character references.
QList<SitemapEntry> Parse(const QString& html);

} // namespace ChmSitemap
