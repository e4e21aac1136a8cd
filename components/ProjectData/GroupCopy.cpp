#include "ProjectData/GroupCopy.h"

#include <QCryptographicHash>
#include <QSet>
#include <QtEndian>

#include <cstring>

namespace {

constexpr quint32 Magic = 0x4B584743; // "KXGC"
constexpr quint32 FormatVersion = 1;
constexpr auto ChecksumKind = QCryptographicHash::Md5;
constexpr int ChecksumSize = 16;
constexpr int HeaderSize = 8;
// Deeper trees are not made by any project; the bound keeps a forged copy from exhausting the stack.
constexpr int MaxDepth = 256;

// Little-endian fields written straight into the buffer: a copy of a large group holds
// hundreds of thousands of texts, and a general-purpose stream costs more than the database.
class Writer {
public:
    explicit Writer(QByteArray* out) : m_out(out) {}
    template <typename T> void Number(T value) {
        const T little = qToLittleEndian(value);
        m_out->append(reinterpret_cast<const char*>(&little), sizeof little);
    }
    void Bytes(const QByteArray& bytes) {
        Number(quint32(bytes.size()));
        m_out->append(bytes);
    }
    void Text(const QString& text) { Bytes(text.toUtf8()); }

private:
    QByteArray* m_out;
};

class Reader {
public:
    Reader(const char* begin, const char* end) : m_pos(begin), m_end(end) {}
    bool Ok() const { return m_ok; }
    bool AtEnd() const { return m_pos == m_end; }
    template <typename T> T Number() {
        T value{};
        if (!Take(sizeof value))
            return value;
        std::memcpy(&value, m_pos - sizeof value, sizeof value);
        return qFromLittleEndian(value);
    }
    QByteArray Bytes() {
        const quint32 size = Number<quint32>();
        return Take(size) ? QByteArray(m_pos - size, size) : QByteArray();
    }
    QString Text() { return QString::fromUtf8(Bytes()); }

private:
    bool Take(size_t size) {
        if (!m_ok || size_t(m_end - m_pos) < size)
            return m_ok = false;
        m_pos += size;
        return true;
    }

    const char* m_pos;
    const char* m_end;
    bool m_ok = true;
};

qsizetype EstimateSize(const CopiedGroup& group) {
    qsizetype size = 64 + group.name.size() * 3;
    for (const CopiedText& text : group.texts)
        size += 16 + text.text.size();
    for (const CopiedGroup& child : group.children)
        size += EstimateSize(child);
    return size;
}

void WriteGroup(Writer& out, const CopiedGroup& group) {
    out.Text(group.name);
    out.Number(quint32(group.texts.size()));
    for (const CopiedText& text : group.texts) {
        out.Number(qint64(text.index));
        out.Number(qint32(text.language));
        out.Bytes(text.text);
    }
    out.Number(quint32(group.children.size()));
    for (const CopiedGroup& child : group.children)
        WriteGroup(out, child);
}

bool ReadGroup(Reader& in, CopiedGroup* group, int languageCount, int depth, QString* why) {
    if (depth > MaxDepth) {
        *why = QStringLiteral("groups nested too deeply");
        return false;
    }
    group->name = in.Text();
    const quint32 textCount = in.Number<quint32>();
    if (!in.Ok())
        return false;
    if (group->name.isEmpty() || group->name.contains(QLatin1Char('\\'))) {
        *why = QStringLiteral("invalid group name \"%1\"").arg(group->name);
        return false;
    }
    group->texts.reserve(qMin<quint32>(textCount, 1u << 20));
    for (quint32 i = 0; i < textCount; ++i) {
        CopiedText text;
        text.index = in.Number<qint64>();
        text.language = in.Number<qint32>();
        text.text = in.Bytes();
        if (!in.Ok())
            return false;
        if (text.language < 0 || text.language >= languageCount) {
            *why = QStringLiteral("a text of group \"%1\" has no language").arg(group->name);
            return false;
        }
        // Strict order also rules out two texts for one index and language.
        if (!group->texts.isEmpty()) {
            const CopiedText& last = group->texts.constLast();
            if (std::pair(last.index, last.language) >= std::pair(text.index, text.language)) {
                *why = QStringLiteral("texts of group \"%1\" out of order").arg(group->name);
                return false;
            }
        }
        group->texts.append(std::move(text));
    }
    const quint32 childCount = in.Number<quint32>();
    if (!in.Ok())
        return false;
    QSet<QString> names;
    for (quint32 i = 0; i < childCount; ++i) {
        CopiedGroup child;
        if (!ReadGroup(in, &child, languageCount, depth + 1, why))
            return false;
        const QString key = child.name.toCaseFolded();
        if (names.contains(key)) {
            *why = QStringLiteral("two subgroups named \"%1\"").arg(child.name);
            return false;
        }
        names.insert(key);
        group->children.push_back(std::move(child));
    }
    return true;
}

} // namespace

qsizetype CopiedGroup::TextCount() const {
    qsizetype count = texts.size();
    for (const CopiedGroup& child : children)
        count += child.TextCount();
    return count;
}

QByteArray GroupCopy::ToBytes() const {
    QByteArray bytes;
    bytes.reserve(HeaderSize + EstimateSize(root) + 16 * languages.size() + ChecksumSize);
    Writer out(&bytes);
    out.Number(Magic);
    out.Number(FormatVersion);
    out.Number(quint32(languages.size()));
    for (const QString& language : languages)
        out.Text(language);
    out.Number(quint8(withSubgroups ? 1 : 0));
    WriteGroup(out, root);
    const QByteArrayView payload(bytes.constData() + HeaderSize, bytes.size() - HeaderSize);
    bytes.append(QCryptographicHash::hash(payload, ChecksumKind));
    return bytes;
}

bool GroupCopy::FromBytes(const QByteArray& bytes, GroupCopy* copy, QString* why) {
    Reader header(bytes.constData(), bytes.constData() + bytes.size());
    const quint32 magic = header.Number<quint32>();
    const quint32 version = header.Number<quint32>();
    if (bytes.size() < HeaderSize + ChecksumSize || magic != Magic) {
        *why = QStringLiteral("the value is not a copy of an index group");
        return false;
    }
    if (version > FormatVersion) {
        *why = QStringLiteral("the copy was made by a newer version (format %1, this one reads %2)")
                   .arg(version)
                   .arg(FormatVersion);
        return false;
    }
    const QByteArrayView payload(bytes.constData() + HeaderSize, bytes.size() - HeaderSize - ChecksumSize);
    if (QCryptographicHash::hash(payload, ChecksumKind) != bytes.right(ChecksumSize)) {
        *why = QStringLiteral("the copy is damaged (checksum mismatch)");
        return false;
    }
    GroupCopy result;
    Reader in(payload.data(), payload.data() + payload.size());
    const quint32 languageCount = in.Number<quint32>();
    for (quint32 i = 0; i < languageCount && in.Ok(); ++i)
        result.languages << in.Text();
    result.withSubgroups = in.Number<quint8>() != 0;
    QString problem;
    const bool ok = in.Ok() && ReadGroup(in, &result.root, int(result.languages.size()), 0, &problem) &&
                    in.Ok() && in.AtEnd();
    if (!ok) {
        *why = problem.isEmpty() ? QStringLiteral("the copy is damaged (malformed contents)")
                                 : QStringLiteral("the copy is damaged (%1)").arg(problem);
        return false;
    }
    *copy = std::move(result);
    return true;
}
