#pragma once

#include <QList>
#include <QString>

class ChmFile;

// A topic a keyword leads to: its title and its path in the file ("/sub/page.htm#part"; as
// written when the file does not hold it, so that choosing it says so).
struct IndexTopic {
    QString title;
    QString topic;
    bool operator==(const IndexTopic&) const = default;
};

// One keyword of a help file's index. depth is 0 for a keyword, 1 for one below it, ...
struct IndexEntry {
    QString keyword;
    int depth = 0;
    QList<IndexTopic> topics;
    // The keyword this one only refers to ("See Also"); empty for others.
    QString seeAlso;
    bool operator==(const IndexEntry&) const = default;
};

// A help file's keyword index.
namespace ChmIndex {

// The keywords in the file's order: from the index sitemap that the system file names, else
// from the binary index ($WWKeywordLinks with #TOPICS, #URLTBL, #URLSTR and #STRINGS); empty
// when the file has neither. A damaged index gives what could be read of it.
QList<IndexEntry> Read(const ChmFile& file);
// The keywords of the binary index alone.
QList<IndexEntry> ReadBinary(const ChmFile& file);

// The positions in entries of the keywords that hold text, without regard to case: those that
// begin with it first, then the others, each in index order. Every position for a blank text.
QList<int> Filter(const QList<IndexEntry>& entries, const QString& text);

} // namespace ChmIndex
