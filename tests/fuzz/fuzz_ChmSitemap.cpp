// The help contents parser on any text: the loose HTML of a sitemap file, however damaged or
// deeply nested, gives entries and never crashes or exhausts the stack; every entry stands for
// an object of the text.
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString html = QString::fromUtf8(Fuzz::Bytes(data, size));
    const QList<SitemapEntry> entries = ChmSitemap::Parse(html);
    // "<object" alone takes seven characters.
    Fuzz::Expect(Count(entries) * 7 <= html.size(), "no more entries than objects in the text");
    return 0;
}
