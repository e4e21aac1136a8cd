#include "GroupCopy.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QIODevice>
#include <QSet>

namespace {

constexpr quint32 Magic = 0x4B584743; // "KXGC"
constexpr quint32 FormatVersion = 1;
constexpr auto ChecksumKind = QCryptographicHash::Md5;
constexpr int ChecksumSize = 16;
constexpr int HeaderSize = 8;
// Deeper trees are not made by any project; the bound keeps a forged copy from exhausting the stack.
constexpr int MaxDepth = 256;

void WriteGroup(QDataStream& out, const CopiedGroup& group) {
    out << group.name << quint32(group.texts.size());
    for (const CopiedText& text : group.texts)
        out << text.index << qint32(text.language) << text.text;
    out << quint32(group.children.size());
    for (const CopiedGroup& child : group.children)
        WriteGroup(out, child);
}

bool ReadGroup(QDataStream& in, CopiedGroup* group, int languageCount, int depth, QString* why) {
    if (depth > MaxDepth) {
        *why = QStringLiteral("groups nested too deeply");
        return false;
    }
    quint32 textCount = 0;
    in >> group->name >> textCount;
    if (in.status() != QDataStream::Ok)
        return false;
    if (group->name.isEmpty() || group->name.contains(QLatin1Char('\\'))) {
        *why = QStringLiteral("invalid group name \"%1\"").arg(group->name);
        return false;
    }
    group->texts.reserve(qMin<quint32>(textCount, 1u << 20));
    for (quint32 i = 0; i < textCount; ++i) {
        CopiedText text;
        qint32 language = 0;
        in >> text.index >> language >> text.text;
        if (in.status() != QDataStream::Ok)
            return false;
        text.language = language;
        if (language < 0 || language >= languageCount) {
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
    quint32 childCount = 0;
    in >> childCount;
    if (in.status() != QDataStream::Ok)
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
    QByteArray payload;
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_4);
        out << languages << withSubgroups;
        WriteGroup(out, root);
    }
    QByteArray bytes;
    bytes.reserve(HeaderSize + payload.size() + ChecksumSize);
    QDataStream header(&bytes, QIODevice::WriteOnly);
    header << Magic << FormatVersion;
    bytes.append(payload);
    bytes.append(QCryptographicHash::hash(payload, ChecksumKind));
    return bytes;
}

bool GroupCopy::FromBytes(const QByteArray& bytes, GroupCopy* copy, QString* why) {
    quint32 magic = 0, version = 0;
    QDataStream header(bytes);
    header >> magic >> version;
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
    const QByteArray payload = bytes.mid(HeaderSize, bytes.size() - HeaderSize - ChecksumSize);
    if (QCryptographicHash::hash(payload, ChecksumKind) != bytes.right(ChecksumSize)) {
        *why = QStringLiteral("the copy is damaged (checksum mismatch)");
        return false;
    }
    GroupCopy result;
    QDataStream in(payload);
    in.setVersion(QDataStream::Qt_6_4);
    in >> result.languages >> result.withSubgroups;
    QString problem;
    const bool ok = in.status() == QDataStream::Ok &&
                    ReadGroup(in, &result.root, int(result.languages.size()), 0, &problem) && in.atEnd();
    if (!ok) {
        *why = problem.isEmpty() ? QStringLiteral("the copy is damaged (malformed contents)")
                                 : QStringLiteral("the copy is damaged (%1)").arg(problem);
        return false;
    }
    *copy = std::move(result);
    return true;
}
