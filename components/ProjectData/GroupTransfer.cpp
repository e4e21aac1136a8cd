#include "ProjectData/GroupTransfer.h"

#include "ProjectData/ProjectDatabase.h"
#include "ProjectData/ProjectFile.h"
#include "ProjectData/ProjectStatement.h"
#include "ProjectData/ProjectTransaction.h"
#include "ProjectData/TextBatch.h"
#include "studio/Failure.h"

#include <QHash>
#include <QSet>

#include <optional>
#include <vector>

namespace {

// Copy language positions to the project's language ids; 0 where the project lacks one.
QList<qint64> MapLanguages(const ProjectFile& project, const GroupCopy& copy) {
    QList<qint64> ids;
    ids.reserve(copy.Languages().size());
    for (const QString& language : copy.Languages())
        ids << project.LanguageId(language);
    return ids;
}

void WriteGroup(const ProjectFile& project, qint64 group, const QString& name,
                const QHash<qint64, int>& positions, bool withSubgroups, GroupCopyWriter* out) {
    out->BeginGroup(name);
    project.ForEachText(group, [&](qint64 index, qint64 language, const QByteArray& text) {
        out->Text(index, positions.value(language), text);
    });
    if (withSubgroups) {
        for (const GroupInfo& child : project.Children(group))
            WriteGroup(project, child.id, child.name, positions, true, out);
    }
    out->EndGroup();
}

// Makes what a walk meets below a group made for it: subgroups as they come, texts in batches.
class Inserter : public GroupCopyVisitor {
public:
    Inserter(ProjectFile& project, qint64 root, const QList<qint64>& languages, bool withTexts)
        : m_project(project), m_root(root), m_languages(languages), m_withTexts(withTexts), m_texts(project) {
    }

    void BeginGroup(const QString& name) override {
        m_groups.push_back(m_groups.empty() ? m_root : m_project.CreateGroup(m_groups.back(), name));
    }
    void Text(qint64 index, int language, QByteArrayView text) override {
        // Texts of languages the project lacks are left out.
        const qint64 id = m_languages.at(language);
        if (m_withTexts && id != 0 && !text.isEmpty())
            m_texts.Add(m_groups.back(), index, id, text);
    }
    void EndGroup() override {
        m_groups.pop_back();
        if (m_groups.empty())
            m_texts.Flush();
    }

private:
    ProjectFile& m_project;
    qint64 m_root;
    const QList<qint64>& m_languages;
    bool m_withTexts;
    TextBatch m_texts;
    std::vector<qint64> m_groups;
};

// Merges what a walk meets into the group it targets, group by group: each copied group into
// the subgroup of its name, made when missing (and AddMissing) with all it holds, or passed over.
class Merger : public GroupCopyVisitor {
public:
    Merger(ProjectFile& project, qint64 target, const GroupCopy& copy, int flags)
        : m_project(project), m_target(target), m_languages(MapLanguages(project, copy)),
          m_withSubgroups(copy.WithSubgroups()), m_flags(flags) {}

    void BeginGroup(const QString& name) override {
        if (m_aside > 0) {
            ++m_aside;
            if (m_inserter)
                m_inserter->BeginGroup(name);
            return;
        }
        if (m_levels.empty())
            return Enter(m_target);
        Level& parent = m_levels.back();
        EndTexts(&parent);
        if (const std::optional<qint64> existing = m_project.ChildNamed(parent.group, name)) {
            parent.matched.insert(*existing);
            return Enter(*existing);
        }
        m_aside = 1;
        if (!(m_flags & GroupTransfer::AddMissing))
            return;
        const qint64 added = m_project.CreateGroup(parent.group, name);
        parent.matched.insert(added);
        m_inserter.emplace(m_project, added, m_languages, true);
        m_inserter->BeginGroup(name);
    }

    void Text(qint64 index, int language, QByteArrayView text) override {
        if (m_aside > 0) {
            if (m_inserter)
                m_inserter->Text(index, language, text);
            return;
        }
        Level& level = m_levels.back();
        level.copyIndexes.insert(index);
        const qint64 id = m_languages.at(language);
        if (id == 0)
            return;
        const bool inTarget = level.targetIndexes.contains(index);
        if ((inTarget && (m_flags & GroupTransfer::UpdateExisting)) ||
            (!inTarget && (m_flags & GroupTransfer::AddMissing)))
            m_project.SetTextUtf8(level.group, index, id, text.toByteArray());
    }

    void EndGroup() override {
        if (m_aside > 0) {
            if (m_inserter)
                m_inserter->EndGroup();
            if (--m_aside == 0)
                m_inserter.reset();
            return;
        }
        Level& level = m_levels.back();
        EndTexts(&level);
        // A copy without subgroups says nothing about the target's.
        const bool subgroupsCopied = m_levels.size() > 1 || m_withSubgroups;
        if ((m_flags & GroupTransfer::RemoveExtra) && subgroupsCopied) {
            for (const GroupInfo& child : m_project.Children(level.group)) {
                if (!level.matched.contains(child.id))
                    m_project.DeleteGroup(child.id);
            }
        }
        m_levels.pop_back();
    }

private:
    struct Level {
        qint64 group;
        QSet<qint64> targetIndexes;
        QSet<qint64> copyIndexes;
        QSet<qint64> matched; // subgroups the copy had
        bool textsDone = false;
    };

    void Enter(qint64 group) {
        Level level{group, {}, {}, {}};
        auto indexes = m_project.Database().Cached("SELECT DISTINCT idx FROM texts WHERE grp = ?");
        indexes.Bind(1, group);
        while (indexes.Step())
            level.targetIndexes.insert(indexes.Integer(0));
        m_levels.push_back(std::move(level));
    }

    // Indexes only in the target go once the copy's texts of the group are through.
    void EndTexts(Level* level) {
        if (level->textsDone)
            return;
        level->textsDone = true;
        if (!(m_flags & GroupTransfer::RemoveExtra))
            return;
        for (qint64 index : std::as_const(level->targetIndexes)) {
            if (!level->copyIndexes.contains(index))
                m_project.RemoveIndex(level->group, index);
        }
    }

    ProjectFile& m_project;
    qint64 m_target;
    QList<qint64> m_languages;
    bool m_withSubgroups;
    int m_flags;
    std::vector<Level> m_levels;
    // Depth inside a subgroup the target lacks: made anew by the inserter, or passed over.
    int m_aside = 0;
    std::optional<Inserter> m_inserter;
};

} // namespace

namespace GroupTransfer {

GroupCopy Copy(const ProjectFile& project, const QString& path, bool withSubgroups) {
    ProjectTransaction snapshot(project.Database(), ProjectTransaction::Kind::Read);
    const qint64 group = project.RequireGroup(path);
    QHash<qint64, int> positions;
    const QList<qint64> ids = project.LanguageIds();
    for (int i = 0; i < ids.size(); ++i)
        positions.insert(ids.at(i), i);
    GroupCopyWriter writer(project.Languages(), withSubgroups);
    WriteGroup(project, group, project.GroupPath(group).section(QLatin1Char('\\'), -1), positions,
               withSubgroups, &writer);
    snapshot.Commit();
    return writer.Finish();
}

void Paste(ProjectFile& project, const GroupCopy& copy, const QString& parentPath, const QString& target,
           bool replace, int position, bool withTexts) {
    ProjectTransaction transaction(project.Database(), ProjectTransaction::Kind::Write);
    qint64 parent = parentPath.isEmpty() ? ProjectFile::TopLevel : project.RequireGroup(parentPath);
    QString name = copy.Name();
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
    const QList<qint64> languages = MapLanguages(project, copy);
    Inserter inserter(project, *group, languages, withTexts);
    copy.Walk(inserter);
    transaction.Commit();
}

void Update(ProjectFile& project, const QString& target, const GroupCopy& copy, int flags) {
    if (flags < 0 || flags > (UpdateExisting | AddMissing | RemoveExtra))
        throw Failure(Failure::InvalidCall,
                      QStringLiteral("update flag %1 is not a combination of 1, 2 and 4").arg(flags));
    ProjectTransaction transaction(project.Database(), ProjectTransaction::Kind::Write);
    Merger merger(project, project.RequireGroup(target), copy, flags);
    copy.Walk(merger);
    transaction.Commit();
}

} // namespace GroupTransfer
