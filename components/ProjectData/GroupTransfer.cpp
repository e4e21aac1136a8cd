#include "ProjectData/GroupTransfer.h"

#include "ProjectData/ProjectDatabase.h"
#include "ProjectData/ProjectFile.h"
#include "ProjectData/ProjectStatement.h"
#include "ProjectData/ProjectTransaction.h"
#include "studio/Failure.h"

#include <QHash>
#include <QSet>
#include <QVarLengthArray>

namespace {

// Copy language positions to the project's language ids; 0 where the project lacks one.
QList<qint64> MapLanguages(const ProjectFile& project, const GroupCopy& copy) {
    QList<qint64> ids;
    ids.reserve(copy.languages.size());
    for (const QString& language : copy.languages)
        ids << project.LanguageId(language);
    return ids;
}

void ReadGroup(const ProjectFile& project, qint64 group, const QHash<qint64, int>& languages,
               bool withSubgroups, CopiedGroup* out) {
    // Growing a list of a few hundred thousand texts step by step touches far more memory.
    out->texts.reserve(project.Database()
                           .Cached("SELECT COUNT(*) FROM texts WHERE grp = ?")
                           .Bind(1, group)
                           .SingleInteger(0));
    project.ForEachText(group, [&](qint64 index, qint64 language, const QByteArray& text) {
        out->texts.append({index, languages.value(language), text});
    });
    if (!withSubgroups)
        return;
    for (const GroupInfo& child : project.Children(group)) {
        CopiedGroup copied;
        copied.name = child.name;
        ReadGroup(project, child.id, languages, true, &copied);
        out->children.push_back(std::move(copied));
    }
}

// Rows per INSERT: one statement per row costs more than the B-tree work of a large paste.
constexpr int BatchRows = 64;

const QByteArray& BatchInsert() {
    static const QByteArray sql = [] {
        QByteArray text("INSERT INTO texts(grp, idx, language, text) VALUES(?, ?, ?, ?)");
        for (int i = 1; i < BatchRows; ++i)
            text.append(", (?, ?, ?, ?)");
        return text;
    }();
    return sql;
}

void InsertTexts(ProjectFile& project, qint64 group, const CopiedGroup& source,
                 const QList<qint64>& languages) {
    auto& single =
        project.Database().Cached("INSERT INTO texts(grp, idx, language, text) VALUES(?, ?, ?, ?)");
    auto& batch = project.Database().Cached(BatchInsert().constData());
    QVarLengthArray<const CopiedText*, BatchRows> pending;
    auto flush = [&](bool all) {
        if (pending.size() == BatchRows) {
            batch.Reset();
            for (int i = 0; i < BatchRows; ++i) {
                const CopiedText& text = *pending.at(i);
                batch.Bind(4 * i + 1, group)
                    .Bind(4 * i + 2, text.index)
                    .Bind(4 * i + 3, languages.at(text.language))
                    .Bind(4 * i + 4, text.text);
            }
            batch.Run();
            pending.clear();
        }
        if (!all)
            return;
        for (const CopiedText* text : pending)
            single.Reset()
                .Bind(1, group)
                .Bind(2, text->index)
                .Bind(3, languages.at(text->language))
                .Bind(4, text->text)
                .Run();
        pending.clear();
    };
    for (const CopiedText& text : source.texts) {
        if (languages.at(text.language) == 0 || text.text.isEmpty())
            continue;
        pending.append(&text);
        flush(false);
    }
    flush(true);
}

void InsertTree(ProjectFile& project, qint64 group, const CopiedGroup& source, const QList<qint64>& languages,
                bool withTexts) {
    if (withTexts)
        InsertTexts(project, group, source, languages);
    for (const CopiedGroup& child : source.children)
        InsertTree(project, project.CreateGroup(group, child.name), child, languages, withTexts);
}

void Merge(ProjectFile& project, qint64 group, const CopiedGroup& source, bool withSubgroups,
           const QList<qint64>& languages, int flags) {
    QSet<qint64> targetIndexes;
    auto& indexes = project.Database().Cached("SELECT DISTINCT idx FROM texts WHERE grp = ?");
    indexes.Bind(1, group);
    while (indexes.Step())
        targetIndexes.insert(indexes.Integer(0));

    QSet<qint64> copyIndexes;
    for (const CopiedText& text : source.texts) {
        copyIndexes.insert(text.index);
        const qint64 language = languages.at(text.language);
        if (language == 0)
            continue;
        const bool inTarget = targetIndexes.contains(text.index);
        if ((inTarget && (flags & GroupTransfer::UpdateExisting)) ||
            (!inTarget && (flags & GroupTransfer::AddMissing)))
            project.SetTextUtf8(group, text.index, language, text.text);
    }
    if (flags & GroupTransfer::RemoveExtra) {
        for (qint64 index : std::as_const(targetIndexes)) {
            if (!copyIndexes.contains(index))
                project.RemoveIndex(group, index);
        }
    }
    if (!withSubgroups)
        return;
    QSet<qint64> matched;
    for (const CopiedGroup& child : source.children) {
        const std::optional<qint64> existing = project.ChildNamed(group, child.name);
        if (existing) {
            matched.insert(*existing);
            Merge(project, *existing, child, true, languages, flags);
        } else if (flags & GroupTransfer::AddMissing) {
            const qint64 added = project.CreateGroup(group, child.name);
            matched.insert(added);
            InsertTree(project, added, child, languages, true);
        }
    }
    if (flags & GroupTransfer::RemoveExtra) {
        for (const GroupInfo& child : project.Children(group)) {
            if (!matched.contains(child.id))
                project.DeleteGroup(child.id);
        }
    }
}

} // namespace

namespace GroupTransfer {

GroupCopy Copy(const ProjectFile& project, const QString& path, bool withSubgroups) {
    ProjectTransaction snapshot(project.Database(), ProjectTransaction::Kind::Read);
    const qint64 group = project.RequireGroup(path);
    GroupCopy copy;
    copy.withSubgroups = withSubgroups;
    copy.languages = project.Languages();
    QHash<qint64, int> positions;
    const QList<qint64> ids = project.LanguageIds();
    for (int i = 0; i < ids.size(); ++i)
        positions.insert(ids.at(i), i);
    copy.root.name = project.GroupPath(group).section(QLatin1Char('\\'), -1);
    ReadGroup(project, group, positions, withSubgroups, &copy.root);
    snapshot.Commit();
    return copy;
}

void Paste(ProjectFile& project, const GroupCopy& copy, const QString& parentPath, const QString& target,
           bool replace, int position, bool withTexts) {
    ProjectTransaction transaction(project.Database(), ProjectTransaction::Kind::Write);
    qint64 parent = parentPath.isEmpty() ? ProjectFile::TopLevel : project.RequireGroup(parentPath);
    QString name = copy.root.name;
    if (!target.isEmpty()) {
        // Levels of the target before its last one must exist below the parent.
        QStringList levels = project.SplitPath(target);
        name = levels.takeLast();
        if (!levels.isEmpty()) {
            const QString below = levels.join(QLatin1Char('\\'));
            parent =
                project.RequireGroup(parentPath.isEmpty() ? below : parentPath + QLatin1Char('\\') + below);
        }
    }
    const std::optional<qint64> existing = project.ChildNamed(parent, name);
    std::optional<qint64> group;
    if (existing) {
        if (!replace) {
            throw Failure(Failure::InvalidCall, QStringLiteral("index group \"%1\" already exists in %2")
                                                    .arg(project.GroupPath(*existing), project.Path()));
        }
        if (position <= 0) {
            // Emptied in place, the group keeps its place without moving its siblings.
            project.ClearGroup(*existing);
            project.RenameGroup(*existing, name);
            group = existing;
        } else {
            project.DeleteGroup(*existing);
        }
    }
    if (!group)
        group = project.CreateGroup(parent, name, position);
    InsertTree(project, *group, copy.root, MapLanguages(project, copy), withTexts);
    transaction.Commit();
}

void Update(ProjectFile& project, const QString& target, const GroupCopy& copy, int flags) {
    if (flags < 0 || flags > (UpdateExisting | AddMissing | RemoveExtra))
        throw Failure(Failure::InvalidCall,
                      QStringLiteral("update flag %1 is not a combination of 1, 2 and 4").arg(flags));
    ProjectTransaction transaction(project.Database(), ProjectTransaction::Kind::Write);
    const qint64 group = project.RequireGroup(target);
    Merge(project, group, copy.root, copy.withSubgroups, MapLanguages(project, copy), flags);
    transaction.Commit();
}

} // namespace GroupTransfer
