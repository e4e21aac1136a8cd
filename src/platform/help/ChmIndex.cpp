#include "platform/help/ChmIndex.h"

#include "platform/help/ChmFile.h"
#include "platform/help/ChmSitemap.h"

#include <QSet>
#include <QtEndian>

namespace ChmIndex {

namespace {

constexpr qsizetype TreeHeaderLength = 0x4c;
constexpr qsizetype ListingHeaderLength = 12;
constexpr quint16 TreeSignature = 0x293b;
constexpr quint32 NoString = 0xffffffff;

// Little-endian values from a range of bytes; reading past its end gives zeros and ok false.
class Reader {
public:
    Reader(const QByteArray& data, qsizetype at, qsizetype end)
        : m_data(data), m_at(at), m_end(qMin(end, data.size())) {}
    bool ok() const { return m_ok && m_at <= m_end; }
    qsizetype at() const { return m_at; }

    quint32 U(int bytes) {
        if (!m_ok || m_at < 0 || bytes > m_end - m_at) {
            m_ok = false;
            return 0;
        }
        const quint32 value = bytes == 2 ? qFromLittleEndian<quint16>(m_data.constData() + m_at)
                                         : qFromLittleEndian<quint32>(m_data.constData() + m_at);
        m_at += bytes;
        return value;
    }
    // A zero-terminated UTF-16 text.
    QString Utf16() {
        QString text;
        for (quint32 unit = U(2); m_ok && unit != 0; unit = U(2))
            text += QChar(char16_t(unit));
        return text;
    }

private:
    const QByteArray& m_data;
    qsizetype m_at;
    qsizetype m_end;
    bool m_ok = true;
};

// The zero-terminated bytes at offset; empty when offset lies outside.
QByteArray ZeroTerminated(const QByteArray& data, quint32 offset) {
    if (offset == NoString || qsizetype(offset) >= data.size())
        return {};
    const qsizetype end = data.indexOf('\0', offset);
    return data.mid(offset, (end < 0 ? data.size() : end) - offset);
}

QString Resolved(const ChmFile& file, const QString& local) {
    const QString topic = file.ResolveTopic(local);
    return topic.isEmpty() ? local : topic;
}

void AddSitemapEntries(const ChmFile& file, const QList<SitemapEntry>& entries, int depth,
                       QList<IndexEntry>& index) {
    for (const SitemapEntry& entry : entries) {
        IndexEntry keyword{entry.name, depth, {}, entry.seeAlso};
        for (const SitemapLink& link : entry.links)
            keyword.topics.append({link.title, Resolved(file, link.local)});
        index.append(keyword);
        AddSitemapEntries(file, entry.children, depth + 1, index);
    }
}

// The objects the binary index refers to: a topic's title and path by its number in #TOPICS.
class TopicTable {
public:
    explicit TopicTable(const ChmFile& file)
        : m_file(file), m_topics(Bytes("/#TOPICS")), m_urlTable(Bytes("/#URLTBL")), m_urls(Bytes("/#URLSTR")),
          m_strings(Bytes("/#STRINGS")) {}

    // Empty topic for a number the tables do not lead to a path from.
    IndexTopic Topic(quint32 number) const {
        Reader topic(m_topics, qsizetype(number) * 16, qsizetype(number) * 16 + 16);
        topic.U(4); // its place in the contents
        const quint32 title = topic.U(4);
        const quint32 urlEntry = topic.U(4);
        Reader url(m_urlTable, urlEntry, qsizetype(urlEntry) + 12);
        url.U(4); // a hash of the path
        url.U(4); // the topic's number again
        const quint32 path = url.U(4);
        if (!topic.ok() || !url.ok() || qsizetype(path) > m_urls.size() - 8)
            return {};
        // An address and a frame name come before the path.
        const QString local = m_file.Text(ZeroTerminated(m_urls, path + 8));
        if (local.isEmpty())
            return {};
        return {m_file.Text(ZeroTerminated(m_strings, title)), Resolved(m_file, local)};
    }

private:
    QByteArray Bytes(const char* path) const {
        return m_file.Read(QLatin1String(path)).value_or(QByteArray());
    }

    const ChmFile& m_file;
    QByteArray m_topics;
    QByteArray m_urlTable;
    QByteArray m_urls;
    QByteArray m_strings;
};

// One keyword of a listing block; false when the block ends before it does.
bool ReadKeyword(Reader& block, const TopicTable& topics, QList<IndexEntry>& index) {
    IndexEntry entry;
    entry.keyword = block.Utf16();
    const bool seeAlso = block.U(2) != 0;
    entry.depth = int(block.U(2));
    block.U(4); // where the last part of a nested keyword begins
    block.U(4);
    const quint32 count = block.U(4);
    if (seeAlso) {
        entry.seeAlso = block.Utf16();
    } else {
        QSet<QString> listed;
        for (quint32 i = 0; i < count && block.ok(); ++i) {
            const IndexTopic topic = topics.Topic(block.U(4));
            // Compilers list a topic once per name it was given; the path counts.
            if (!topic.topic.isEmpty() && !listed.contains(topic.topic)) {
                listed.insert(topic.topic);
                entry.topics.append(topic.title.isEmpty() ? IndexTopic{entry.keyword, topic.topic} : topic);
            }
        }
    }
    block.U(4);
    block.U(4); // the keyword's number
    if (!block.ok())
        return false;
    // A nested keyword carries its parents' text before its own.
    if (entry.depth > 0 && entry.keyword.contains(QLatin1String(", ")))
        entry.keyword = entry.keyword.section(QLatin1String(", "), -1);
    index.append(entry);
    return true;
}

} // namespace

QList<IndexEntry> Read(const ChmFile& file) {
    const QString sitemap = file.IndexFile();
    if (const std::optional<QByteArray> bytes = sitemap.isEmpty() ? std::nullopt : file.Read(sitemap)) {
        QList<IndexEntry> index;
        AddSitemapEntries(file, ChmSitemap::Parse(file.Html(*bytes)), 0, index);
        return index;
    }
    return ReadBinary(file);
}

QList<IndexEntry> ReadBinary(const ChmFile& file) {
    const QByteArray tree = file.Read(QStringLiteral("/$WWKeywordLinks/BTree")).value_or(QByteArray());
    Reader header(tree, 0, TreeHeaderLength);
    const quint16 signature = quint16(header.U(2));
    header.U(2);
    const qsizetype blockLength = header.U(2);
    if (!header.ok() || signature != TreeSignature || blockLength <= ListingHeaderLength)
        return {};
    const qsizetype blockCount = (tree.size() - TreeHeaderLength) / blockLength;
    const TopicTable topics(file);
    QList<IndexEntry> index;
    // The listing blocks come first and are chained; index blocks only speed up a look-up.
    QSet<qint32> visited;
    for (qint32 number = 0; number >= 0 && number < blockCount && !visited.contains(number);) {
        visited.insert(number);
        const qsizetype start = TreeHeaderLength + number * blockLength;
        Reader block(tree, start, start + blockLength);
        const qsizetype freeSpace = block.U(2);
        const quint32 entries = block.U(2);
        block.U(4); // the block before
        number = qint32(block.U(4));
        Reader keywords(tree, block.at(), start + blockLength - freeSpace);
        quint32 read = 0;
        while (read < entries && ReadKeyword(keywords, topics, index))
            ++read;
    }
    return index;
}

QList<int> Filter(const QList<IndexEntry>& entries, const QString& text) {
    const QString wanted = text.trimmed();
    QList<int> beginning;
    QList<int> holding;
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i).keyword.startsWith(wanted, Qt::CaseInsensitive))
            beginning.append(i);
        else if (entries.at(i).keyword.contains(wanted, Qt::CaseInsensitive))
            holding.append(i);
    }
    return beginning + holding;
}

} // namespace ChmIndex
