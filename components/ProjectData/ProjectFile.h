#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class ProjectDatabase;

// A group of the tree as its parent lists it.
struct GroupInfo {
    qint64 id = 0;
    QString name;
    bool operator==(const GroupInfo&) const = default;
};

// A project file (<Name>.kxs): an SQLite database of languages, a tree of index groups and
// their index texts per language. The connection stays open for the life of the object.
//
// Group paths name a group from the top level with "\" between levels ("Alarme\Texte");
// names compare without regard to case and keep their case. An empty text is no text.
// The editing members below assume the caller holds a write ProjectTransaction on Database() when
// several of them must succeed or fail together; each is a single statement otherwise.
// Failures throw Failure with a description naming the file and what was wrong.
class ProjectFile {
public:
    static constexpr int SchemaVersion = 1;
    static constexpr qint64 TopLevel = 0;

    // Read opens the file read-only, so a project on a read-only medium can be read; Write
    // refuses such a project up front.
    enum class Access { Read, Write };

    // Opens an existing project. Throws Failure 53 `project "<path>" not found` for a missing
    // file, and a Failure saying so for a file that is no project database or of a newer schema;
    // with Write, Failure 75 `cannot update <path>: ...` when the file or its folder is read-only.
    explicit ProjectFile(const QString& path, Access access = Access::Write);
    ~ProjectFile();
    ProjectFile(const ProjectFile&) = delete;
    ProjectFile& operator=(const ProjectFile&) = delete;

    // Makes a new project file with the given languages; fails when the file exists.
    static std::unique_ptr<ProjectFile> Create(const QString& path, const QStringList& languages);

    const QString& Path() const;
    ProjectDatabase& Database() const;

    // Languages in the order the project got them.
    QStringList Languages() const;
    QList<qint64> LanguageIds() const;
    // The language's id, 0 when the project lacks it.
    qint64 LanguageId(const QString& name) const;
    // Adds the language; false (and no change) when the project has it in any case.
    bool AddLanguage(const QString& name);

    // Group ids are never TopLevel; a look-up that finds nothing answers no id at all, so a
    // missing group cannot pass for the top level.
    // The group at path; none when a level is missing. Throws for a malformed path (an empty level).
    std::optional<qint64> GroupAt(const QString& path) const;
    // As GroupAt; throws `index group "<path>" not found in <file>` naming the path down to the
    // first missing level.
    qint64 RequireGroup(const QString& path) const;
    // The subgroup of parent (TopLevel for the top level) with that name; none when it has none.
    std::optional<qint64> ChildNamed(qint64 parent, const QString& name) const;
    // Direct subgroups in their order.
    QList<GroupInfo> Children(qint64 parent) const;
    // The group's parent, TopLevel for a top-level group. Throws when the group does not exist.
    qint64 ParentOf(qint64 group) const;
    // The path of a group, levels joined by "\"; empty for TopLevel. Throws for a missing group.
    QString GroupPath(qint64 group) const;
    // A new subgroup of parent, the position-th among its siblings (counting from 1); 0 or a
    // position past the end puts it last. Fails when a sibling has the name.
    qint64 CreateGroup(qint64 parent, const QString& name, int position = 0);
    // Creates the missing levels of path; returns the last one's id.
    qint64 EnsureGroup(const QString& path);
    // Removes the group, its subgroups and all their texts.
    void DeleteGroup(qint64 group);
    // Removes the group's texts and subgroups; the group keeps its id, name and place.
    void ClearGroup(qint64 group);
    // Fails when a sibling other than the group itself has the new name.
    void RenameGroup(qint64 group, const QString& name);

    // Sets the text; an empty text removes it.
    void SetText(qint64 group, qint64 index, qint64 language, const QString& text);
    void SetTextUtf8(qint64 group, qint64 index, qint64 language, const QByteArray& text);
    void RemoveText(qint64 group, qint64 index, qint64 language);
    void RemoveIndex(qint64 group, qint64 index);
    // The texts of a group in UTF-8, ordered by index, then by language order. The sink must not
    // call ForEachText itself.
    void
    ForEachText(qint64 group,
                const std::function<void(qint64 index, qint64 language, const QByteArray& text)>& sink) const;
    // At most limit texts of a group, in ForEachText's order, from the first after the text of
    // (afterIndex, afterLanguage); (0, 0) starts at the group's first text. Returns how many it
    // read: fewer than limit means the group's end. For reading a large group a page at a time.
    int ForEachTextAfter(
        qint64 group, qint64 afterIndex, qint64 afterLanguage, int limit,
        const std::function<void(qint64 index, qint64 language, const QByteArray& text)>& sink) const;
    // How many texts the group holds per language id.
    QMap<qint64, qint64> TextCounts(qint64 group) const;
    // One text in UTF-8; empty when there is none.
    QByteArray TextUtf8(qint64 group, qint64 index, qint64 language) const;
    // Whether the index has a text in any language.
    bool HasIndex(qint64 group, qint64 index) const;

    // Splits a group path into names; throws for an empty level.
    QStringList SplitPath(const QString& path) const;
    // Throws when name cannot name a group (empty, or holding "\").
    void CheckGroupName(const QString& name) const;

private:
    ProjectFile(const QString& path, Access access, bool create);
    void CheckSchema();
    [[noreturn]] void ThrowNoSuchGroup(qint64 group) const;
    void CreateSchema(const QStringList& languages);

    std::unique_ptr<ProjectDatabase> m_db;
};
