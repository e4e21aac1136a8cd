#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

// One text of an index in one language; language is a position in GroupCopy::languages.
// The text stays in UTF-8, as the project stores it, so a copy converts nothing on its way.
struct CopiedText {
    qint64 index = 0;
    int language = 0;
    QByteArray text;
    bool operator==(const CopiedText&) const = default;
};

// An index group as copied: its name, its texts and (unless copied without them) its subgroups.
struct CopiedGroup {
    QString name;
    QList<CopiedText> texts; // ordered by index, then language
    std::vector<CopiedGroup> children;
    bool operator==(const CopiedGroup&) const = default;

    // Texts of this group and every subgroup.
    qsizetype TextCount() const;
};

// The self-contained copy of an index group that "Copy" answers and "Paste"/"Updategroup"
// take: the source project's languages, the group and all its texts. It travels as bytes
// with a tag, a format version and a checksum, so a foreign or damaged value is refused.
struct GroupCopy {
    QStringList languages;
    bool withSubgroups = true;
    CopiedGroup root;
    bool operator==(const GroupCopy&) const = default;

    QByteArray ToBytes() const;
    // Reads bytes made by ToBytes. Returns false with *why saying what is wrong when they are
    // not a copy of ours, are of a newer format, are damaged, or describe an impossible tree.
    static bool FromBytes(const QByteArray& bytes, GroupCopy* copy, QString* why);
};
