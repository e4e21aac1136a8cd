#include "platform/help/HelpSearchIndex.h"

#include "platform/help/ChmFile.h"
#include "platform/help/HtmlText.h"

#include <QFileInfo>
#include <QHash>
#include <algorithm>

namespace {

bool IsHtmlTopic(const QString& path) {
    // "/#..." and "/$..." are the compiler's own objects.
    return !path.startsWith(QLatin1String("/#")) && !path.startsWith(QLatin1String("/$")) &&
           (path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) ||
            path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive));
}

// Calls take(word) for each word of text.
template <class Take> void ForEachWord(QStringView text, Take take) {
    qsizetype begin = -1;
    for (qsizetype at = 0; at <= text.size(); ++at) {
        const bool inWord = at < text.size() && text.at(at).isLetterOrNumber();
        if (inWord && begin < 0) {
            begin = at;
        } else if (!inWord && begin >= 0) {
            take(text.mid(begin, at - begin));
            begin = -1;
        }
    }
}

} // namespace

HelpSearchIndex HelpSearchIndex::Build(const ChmFile& file) {
    HelpSearchIndex index;
    // The texts stay while the index is built, so the table of words can point into them.
    QList<QString> texts;
    QHash<QStringView, int> wordNumbers;
    std::vector<Postings> postings;
    for (const QString& path : file.Paths()) {
        const std::optional<QByteArray> bytes = IsHtmlTopic(path) ? file.Read(path) : std::nullopt;
        if (!bytes)
            continue;
        const QString html = file.Html(*bytes);
        const QString title = HtmlText::Title(html);
        const int topic = int(index.m_topics.size());
        index.m_topics.append({path, title.isEmpty() ? QFileInfo(path).fileName() : title});
        texts.append(HtmlText::PlainText(html).toCaseFolded());
        ForEachWord(texts.last(), [&](QStringView word) {
            auto found = wordNumbers.constFind(word);
            if (found == wordNumbers.constEnd()) {
                found = wordNumbers.insert(word, int(postings.size()));
                postings.emplace_back();
            }
            Postings& occurrences = postings[size_t(found.value())];
            if (occurrences.empty() || occurrences.back().first != topic)
                occurrences.emplace_back(topic, 0);
            ++occurrences.back().second;
        });
    }
    index.m_words.reserve(wordNumbers.size());
    for (auto it = wordNumbers.cbegin(); it != wordNumbers.cend(); ++it)
        index.m_words.emplace_back(it.key().toString(), std::move(postings[size_t(it.value())]));
    std::sort(index.m_words.begin(), index.m_words.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return index;
}

QStringList HelpSearchIndex::Words(const QString& text) {
    QStringList words;
    const QString folded = text.toCaseFolded();
    ForEachWord(folded, [&words](QStringView word) {
        if (!words.contains(word))
            words.append(word.toString());
    });
    return words;
}

std::vector<int> HelpSearchIndex::Occurrences(const QString& word) const {
    std::vector<int> counts(m_topics.size(), 0);
    auto it = std::lower_bound(m_words.begin(), m_words.end(), word,
                               [](const auto& entry, const QString& w) { return entry.first < w; });
    const bool prefix = word.size() >= PrefixLength;
    for (; it != m_words.end() && (prefix ? it->first.startsWith(word) : it->first == word); ++it)
        for (const auto& [topic, count] : it->second)
            counts[size_t(topic)] += count;
    return counts;
}

QList<SearchHit> HelpSearchIndex::Search(const QString& query) const {
    const QStringList words = Words(query);
    if (words.isEmpty())
        return {};
    std::vector<int> total(m_topics.size(), 0);
    std::vector<bool> holdsAll(m_topics.size(), true);
    for (const QString& word : words) {
        const std::vector<int> counts = Occurrences(word);
        for (size_t topic = 0; topic < counts.size(); ++topic) {
            holdsAll[topic] = holdsAll[topic] && counts[topic] > 0;
            total[topic] += counts[topic];
        }
    }
    QList<SearchHit> hits;
    for (size_t topic = 0; topic < total.size(); ++topic)
        if (holdsAll[topic])
            hits.append({m_topics.at(topic).path, m_topics.at(topic).title, total[topic]});
    std::sort(hits.begin(), hits.end(), [](const SearchHit& a, const SearchHit& b) {
        if (a.hits != b.hits)
            return a.hits > b.hits;
        return a.title.compare(b.title, Qt::CaseInsensitive) < 0;
    });
    return hits;
}
