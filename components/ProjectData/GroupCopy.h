#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <vector>

class GroupCopy;

// What a walk over a copy meets, in the order of its bytes: a group, its texts (by index, then
// language), its subgroups each from BeginGroup to EndGroup, then its own EndGroup.
class GroupCopyVisitor {
public:
    virtual ~GroupCopyVisitor() = default;
    virtual void BeginGroup(const QString& name) = 0;
    // language is a position in GroupCopy::Languages(); text is UTF-8, valid during the call.
    virtual void Text(qint64 index, int language, QByteArrayView text) = 0;
    virtual void EndGroup() = 0;
};

// The self-contained copy of an index group that "Copy" answers and "Paste"/"Updategroup"
// take: the source project's languages, the group, all its texts and (unless copied without
// them) its subgroups. It travels as bytes with a tag, a format version and a checksum, so a
// foreign or damaged value is refused; once checked it is walked in place, never decoded into a
// second copy of its texts.
class GroupCopy {
public:
    // Checks bytes made by GroupCopyWriter. Returns false with *why saying what is wrong, and
    // *copy untouched, when they are not a copy of ours, are of a newer format, are damaged,
    // or describe an impossible tree.
    static bool FromBytes(const QByteArray& bytes, GroupCopy* copy, QString* why);

    QByteArray ToBytes() const { return m_bytes; }
    const QStringList& Languages() const { return m_languages; }
    bool WithSubgroups() const { return m_withSubgroups; }
    // The name of the copied group.
    const QString& Name() const { return m_name; }
    // Walks the checked bytes; an empty copy meets nothing.
    void Walk(GroupCopyVisitor& visitor) const;

private:
    friend class GroupCopyWriter;

    QByteArray m_bytes;
    QStringList m_languages;
    bool m_withSubgroups = true;
    QString m_name;
    qsizetype m_rootAt = 0; // where the copied group begins in m_bytes
};

// Writes a copy group by group, straight from where the texts lie, so that no record of a large
// group is held beside its bytes. Groups nest: BeginGroup, its texts, its subgroups, EndGroup.
class GroupCopyWriter {
public:
    GroupCopyWriter(const QStringList& languages, bool withSubgroups);

    // Opens a group: the copied one first, then subgroups of the group open last.
    void BeginGroup(const QString& name);
    // A text of the group open last, before its subgroups; texts in index, then language order.
    void Text(qint64 index, int language, QByteArrayView text);
    void EndGroup();
    // The copy, once the copied group is ended.
    GroupCopy Finish();

private:
    struct OpenGroup {
        qsizetype textCountAt;
        qsizetype childCountAt = -1; // not written until the texts end
        quint32 texts = 0;
        quint32 children = 0;
    };
    void EndTexts(OpenGroup* group);

    GroupCopy m_copy;
    std::vector<OpenGroup> m_open;
};
