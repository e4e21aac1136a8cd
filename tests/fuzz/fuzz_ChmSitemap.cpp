// Help contents parser on any text: no crash or exhausted stack, an entry per object at most.
#include "platform/help/ChmSitemap.h"

#include "FuzzCheck.h"

namespace {

qsizetype Count(const QList<SitemapEntry>& entries) {
    qsizetype count = entries.size();
    for (const SitemapEntry& entry : entries)
        count += Count(entry.children);
    return count;
}

} // namespace

KX4_FUZZ_TARGET(input) {
    const QString html = QString::fromUtf8(input);
    // "<object" alone takes seven characters.
    Fuzz::Expect(Count(ChmSitemap::Parse(html)) * 7 <= html.size(),
                 "no more entries than objects in the text");
}
