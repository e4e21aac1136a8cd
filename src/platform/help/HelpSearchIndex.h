#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

class ChmFile;

// A topic found by a search: its path in the file, its title and how often the words occur.
struct SearchHit {
    QString topic;
    QString title;
    int hits = 0;
    bool operator==(const SearchHit&) const = default;
};

// The full-text index of a help file: every word of every HTML topic (.htm, .html), read as a
// reader sees it (tags removed, references decoded, in the charset the page declares, else UTF-8
// or the file's code page). Words are runs of letters and digits, compared without regard to case.
// Building reads the whole file; a built index does not refer to the file and may be moved to
// another thread.
class HelpSearchIndex {
public:
    // A query word this long or longer also finds the words it begins.
    static constexpr qsizetype PrefixLength = 3;

    HelpSearchIndex() = default;
    static HelpSearchIndex Build(const ChmFile& file);

    // The topics that hold every word of query, most hits first, then by title. A word of
    // PrefixLength or more letters also finds the words it begins ("Befehl": "Befehle",
    // "Befehlszeile"); a shorter one only itself. Empty for a query without words.
    QList<SearchHit> Search(const QString& query) const;
    // The words of a query as Search() takes them, case-folded.
    static QStringList Words(const QString& text);

    int TopicCount() const { return int(m_topics.size()); }

private:
    struct Topic {
        QString path;
        QString title;
    };
    // A word's occurrences: (topic, count) pairs.
    using Postings = std::vector<std::pair<int, int>>;

    // The occurrences of a query word per topic, summed over the index words it finds.
    std::vector<int> Occurrences(const QString& word) const;

    QList<Topic> m_topics;
    // Sorted by word, for the look-up of a word's beginning.
    std::vector<std::pair<QString, Postings>> m_words;
};
