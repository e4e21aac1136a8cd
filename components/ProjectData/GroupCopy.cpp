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
template <typename T> void Append(QByteArray* out, T value) {
    const T little = qToLittleEndian(value);
    out->append(reinterpret_cast<const char*>(&little), sizeof little);
}

void AppendBytes(QByteArray* out, QByteArrayView bytes) {
    Append(out, quint32(bytes.size()));
    out->append(bytes.data(), bytes.size());
}

void Patch(QByteArray* out, qsizetype at, quint32 value) {
    const quint32 little = qToLittleEndian(value);
    std::memcpy(out->data() + at, &little, sizeof little);
}

class Reader {
public:
    Reader(const char* begin, const char* end) : m_pos(begin), m_end(end) {}
    bool Ok() const { return m_ok; }
    bool AtEnd() const { return m_pos == m_end; }
    const char* Position() const { return m_pos; }
    template <typename T> T Number() {
        T value{};
        if (!Take(sizeof value))
            return value;
        std::memcpy(&value, m_pos - sizeof value, sizeof value);
        return qFromLittleEndian(value);
    }
    QByteArrayView Bytes() {
        const quint32 size = Number<quint32>();
        return Take(size) ? QByteArrayView(m_pos - size, size) : QByteArrayView();
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

// Reads one group with its texts and subgroups, checking each against the rules of a copy, and
// tells the visitor, if any, what it meets. False with *why (or without, for bytes that end
// too soon) when the bytes break a rule.
class GroupWalk {
public:
    GroupWalk(Reader& in, int languageCount, GroupCopyVisitor* visitor)
        : m_in(in), m_languageCount(languageCount), m_visitor(visitor) {}

    bool Group(QString* name, int depth, QString* why) {
        if (depth > MaxDepth) {
            *why = QStringLiteral("groups nested too deeply");
            return false;
        }
        *name = m_in.Text();
        const quint32 textCount = m_in.Number<quint32>();
        if (!m_in.Ok())
            return false;
        if (name->isEmpty() || name->contains(QLatin1Char('\\'))) {
            *why = QStringLiteral("invalid group name \"%1\"").arg(*name);
            return false;
        }
        if (m_visitor)
            m_visitor->BeginGroup(*name);
        if (!Texts(*name, textCount, why) || !Children(depth, why))
            return false;
        if (m_visitor)
            m_visitor->EndGroup();
        return true;
    }

private:
    bool Texts(const QString& group, quint32 count, QString* why) {
        std::pair<qint64, qint32> last;
        for (quint32 i = 0; i < count; ++i) {
            const qint64 index = m_in.Number<qint64>();
            const qint32 language = m_in.Number<qint32>();
            const QByteArrayView text = m_in.Bytes();
            if (!m_in.Ok())
                return false;
            if (language < 0 || language >= m_languageCount) {
                *why = QStringLiteral("a text of group \"%1\" has no language").arg(group);
                return false;
            }
            // Strict order also rules out two texts for one index and language.
            if (i > 0 && last >= std::pair(index, language)) {
                *why = QStringLiteral("texts of group \"%1\" out of order").arg(group);
                return false;
            }
            last = {index, language};
            if (m_visitor)
                m_visitor->Text(index, language, text);
        }
        return true;
    }

    bool Children(int depth, QString* why) {
        const quint32 count = m_in.Number<quint32>();
        if (!m_in.Ok())
            return false;
        QSet<QString> names;
        for (quint32 i = 0; i < count; ++i) {
            QString name;
            if (!Group(&name, depth + 1, why))
                return false;
            const QString key = name.toCaseFolded();
            if (names.contains(key)) {
                *why = QStringLiteral("two subgroups named \"%1\"").arg(name);
                return false;
            }
            names.insert(key);
        }
        return true;
    }

    Reader& m_in;
    int m_languageCount;
    GroupCopyVisitor* m_visitor;
};

} // namespace

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
        result.m_languages << in.Text();
    result.m_withSubgroups = in.Number<quint8>() != 0;
    result.m_rootAt = in.Position() - bytes.constData();
    QString problem;
    GroupWalk walk(in, int(result.m_languages.size()), nullptr);
    if (!in.Ok() || !walk.Group(&result.m_name, 0, &problem) || !in.Ok() || !in.AtEnd()) {
        *why = problem.isEmpty() ? QStringLiteral("the copy is damaged (malformed contents)")
                                 : QStringLiteral("the copy is damaged (%1)").arg(problem);
        return false;
    }
    result.m_bytes = bytes;
    *copy = std::move(result);
    return true;
}

void GroupCopy::Walk(GroupCopyVisitor& visitor) const {
    if (m_bytes.isEmpty())
        return;
    Reader in(m_bytes.constData() + m_rootAt, m_bytes.constData() + m_bytes.size() - ChecksumSize);
    GroupWalk walk(in, int(m_languages.size()), &visitor);
    QString name;
    QString why;
    walk.Group(&name, 0, &why); // checked when the copy was made
}

GroupCopyWriter::GroupCopyWriter(const QStringList& languages, bool withSubgroups) {
    QByteArray& out = m_copy.m_bytes;
    Append(&out, Magic);
    Append(&out, FormatVersion);
    Append(&out, quint32(languages.size()));
    for (const QString& language : languages)
        AppendBytes(&out, language.toUtf8());
    Append(&out, quint8(withSubgroups ? 1 : 0));
    m_copy.m_languages = languages;
    m_copy.m_withSubgroups = withSubgroups;
    m_copy.m_rootAt = out.size();
}

void GroupCopyWriter::EndTexts(OpenGroup* group) {
    Patch(&m_copy.m_bytes, group->textCountAt, group->texts);
    group->childCountAt = m_copy.m_bytes.size();
    Append(&m_copy.m_bytes, quint32(0));
}

void GroupCopyWriter::BeginGroup(const QString& name) {
    if (m_open.empty()) {
        m_copy.m_name = name;
    } else {
        OpenGroup& parent = m_open.back();
        if (parent.childCountAt < 0)
            EndTexts(&parent);
        ++parent.children;
    }
    AppendBytes(&m_copy.m_bytes, name.toUtf8());
    m_open.push_back({m_copy.m_bytes.size()});
    Append(&m_copy.m_bytes, quint32(0));
}

void GroupCopyWriter::Text(qint64 index, int language, QByteArrayView text) {
    ++m_open.back().texts;
    QByteArray& out = m_copy.m_bytes;
    Append(&out, index);
    Append(&out, qint32(language));
    AppendBytes(&out, text);
}

void GroupCopyWriter::EndGroup() {
    OpenGroup& group = m_open.back();
    if (group.childCountAt < 0)
        EndTexts(&group);
    Patch(&m_copy.m_bytes, group.childCountAt, group.children);
    m_open.pop_back();
}

GroupCopy GroupCopyWriter::Finish() {
    QByteArray& out = m_copy.m_bytes;
    const QByteArrayView payload(out.constData() + HeaderSize, out.size() - HeaderSize);
    out.append(QCryptographicHash::hash(payload, ChecksumKind));
    return std::move(m_copy);
}
