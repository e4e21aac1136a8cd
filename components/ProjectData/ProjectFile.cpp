#include "ProjectData/ProjectFile.h"

#include "ProjectData/ProjectDatabase.h"
#include "ProjectData/ProjectStatement.h"
#include "ProjectData/ProjectTransaction.h"
#include "studio/Failure.h"

#include <QFileInfo>

namespace {

constexpr qint64 ApplicationId = 0x4B585331; // "KXS1": marks our project databases

// Names are unique without regard to case; the folded form carries the UNIQUE constraint.
QString Folded(const QString& name) { return name.toCaseFolded(); }

const char* const Schema[] = {
    "CREATE TABLE languages("
    "    id INTEGER PRIMARY KEY,"
    "    name TEXT NOT NULL,"
    "    folded TEXT NOT NULL UNIQUE)",
    "CREATE TABLE groups("
    "    id INTEGER PRIMARY KEY,"
    "    parent INTEGER NOT NULL,"
    "    name TEXT NOT NULL,"
    "    folded TEXT NOT NULL,"
    "    position INTEGER NOT NULL,"
    "    UNIQUE(parent, folded))",
    "CREATE INDEX groups_by_position ON groups(parent, position)",
    "CREATE TABLE texts("
    "    grp INTEGER NOT NULL,"
    "    idx INTEGER NOT NULL,"
    "    language INTEGER NOT NULL,"
    "    text TEXT NOT NULL,"
    "    PRIMARY KEY(grp, idx, language)) WITHOUT ROWID",
};

} // namespace

ProjectFile::ProjectFile(const QString& path, Access access) : ProjectFile(path, access, false) {}

ProjectFile::ProjectFile(const QString& path, Access access, bool create) {
    const QFileInfo info(path);
    if (!create && !info.isFile())
        throw Failure(Failure::FileNotFound, QStringLiteral("project \"%1\" not found").arg(path));
    if (create && info.exists())
        throw Failure(Failure::InvalidCall, QStringLiteral("%1 already exists").arg(path));
    using Mode = ProjectDatabase::Mode;
    const Mode mode = create ? Mode::Create : access == Access::Read ? Mode::ReadOnly : Mode::ReadWrite;
    m_db = std::make_unique<ProjectDatabase>(info.absoluteFilePath(), mode);
    m_db->Execute("PRAGMA synchronous = FULL");
    // Enough for the pages a paste or an import keeps coming back to; a bigger cache only holds
    // more of what a large run passes once, and reading through a mapped file would make the
    // whole file resident, so memory would grow with the project.
    m_db->Execute("PRAGMA cache_size = -8192");
    if (!create)
        CheckSchema();
}

ProjectFile::~ProjectFile() = default;

std::unique_ptr<ProjectFile> ProjectFile::Create(const QString& path, const QStringList& languages) {
    std::unique_ptr<ProjectFile> project(new ProjectFile(path, Access::Write, true));
    try {
        project->CreateSchema(languages);
    } catch (...) {
        const QString local = project->Path();
        project.reset();
        QFile::remove(local);
        throw;
    }
    return project;
}

void ProjectFile::CreateSchema(const QStringList& languages) {
    // WAL lets a reader in another process see the last committed state while we write.
    m_db->Execute("PRAGMA journal_mode = WAL");
    ProjectTransaction transaction(*m_db, ProjectTransaction::Kind::Write);
    for (const char* statement : Schema)
        m_db->Execute(statement);
    m_db->Execute(QByteArray("PRAGMA application_id = " + QByteArray::number(ApplicationId)).constData());
    m_db->Execute(QByteArray("PRAGMA user_version = " + QByteArray::number(SchemaVersion)).constData());
    for (const QString& language : languages)
        AddLanguage(language);
    transaction.Commit();
}

void ProjectFile::CheckSchema() {
    const qint64 application = m_db->IntegerOf("PRAGMA application_id");
    const qint64 version = m_db->IntegerOf("PRAGMA user_version");
    if (application != ApplicationId)
        throw Failure(Failure::InvalidCall, QStringLiteral("%1 is not a project database").arg(Path()));
    if (version > SchemaVersion)
        throw Failure(
            Failure::InvalidCall,
            QStringLiteral("%1 was made by a newer version (schema %2; this program reads schema %3)")
                .arg(Path())
                .arg(version)
                .arg(SchemaVersion));
    if (version < 1)
        throw Failure(Failure::InvalidCall, QStringLiteral("%1 is not a project database").arg(Path()));
}

const QString& ProjectFile::Path() const { return m_db->Path(); }

ProjectDatabase& ProjectFile::Database() const { return *m_db; }

QStringList ProjectFile::Languages() const {
    QStringList names;
    auto query = m_db->Cached("SELECT name FROM languages ORDER BY id");
    while (query.Step())
        names << query.Text(0);
    return names;
}

QList<qint64> ProjectFile::LanguageIds() const {
    QList<qint64> ids;
    auto query = m_db->Cached("SELECT id FROM languages ORDER BY id");
    while (query.Step())
        ids << query.Integer(0);
    return ids;
}

qint64 ProjectFile::LanguageId(const QString& name) const {
    auto query = m_db->Cached("SELECT id FROM languages WHERE folded = ?");
    return query.Bind(1, Folded(name)).SingleInteger(0);
}

bool ProjectFile::AddLanguage(const QString& name) {
    if (name.trimmed().isEmpty() || name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')))
        throw Failure(Failure::InvalidCall,
                      QStringLiteral("invalid language name \"%1\" for %2").arg(name, Path()));
    if (LanguageId(name) != 0)
        return false;
    m_db->Cached("INSERT INTO languages(name, folded) VALUES(?, ?)")
        .Bind(1, name)
        .Bind(2, Folded(name))
        .Run();
    return true;
}

void ProjectFile::CheckGroupName(const QString& name) const {
    if (name.isEmpty() || name.contains(QLatin1Char('\\')))
        throw Failure(Failure::InvalidCall,
                      QStringLiteral("invalid index group name \"%1\" for %2").arg(name, Path()));
}

QStringList ProjectFile::SplitPath(const QString& path) const {
    const QStringList names = path.split(QLatin1Char('\\'));
    for (const QString& name : names) {
        if (name.isEmpty())
            throw Failure(Failure::InvalidCall,
                          QStringLiteral("invalid index group path \"%1\" for %2").arg(path, Path()));
    }
    return names;
}

std::optional<qint64> ProjectFile::ChildNamed(qint64 parent, const QString& name) const {
    auto query = m_db->Cached("SELECT id FROM groups WHERE parent = ? AND folded = ?");
    if (query.Bind(1, parent).Bind(2, Folded(name)).Step())
        return query.Integer(0);
    return std::nullopt;
}

std::optional<qint64> ProjectFile::GroupAt(const QString& path) const {
    std::optional<qint64> group = TopLevel;
    for (const QString& name : SplitPath(path)) {
        group = ChildNamed(*group, name);
        if (!group)
            break;
    }
    return group;
}

qint64 ProjectFile::RequireGroup(const QString& path) const {
    qint64 group = TopLevel;
    QStringList walked;
    for (const QString& name : SplitPath(path)) {
        walked << name;
        const std::optional<qint64> child = ChildNamed(group, name);
        if (!child)
            throw Failure(Failure::InvalidCall, QStringLiteral("index group \"%1\" not found in %2")
                                                    .arg(walked.join(QLatin1Char('\\')), Path()));
        group = *child;
    }
    return group;
}

QList<GroupInfo> ProjectFile::Children(qint64 parent) const {
    QList<GroupInfo> children;
    auto query = m_db->Cached("SELECT id, name FROM groups WHERE parent = ? ORDER BY position");
    query.Bind(1, parent);
    while (query.Step())
        children.append({query.Integer(0), query.Text(1)});
    return children;
}

[[noreturn]] void ProjectFile::ThrowNoSuchGroup(qint64 group) const {
    throw Failure(Failure::InvalidCall,
                  QStringLiteral("index group #%1 not found in %2").arg(group).arg(Path()));
}

qint64 ProjectFile::ParentOf(qint64 group) const {
    auto query = m_db->Cached("SELECT parent FROM groups WHERE id = ?");
    if (!query.Bind(1, group).Step())
        ThrowNoSuchGroup(group);
    return query.Integer(0);
}

QString ProjectFile::GroupPath(qint64 group) const {
    QStringList names;
    auto query = m_db->Cached("SELECT parent, name FROM groups WHERE id = ?");
    for (qint64 level = group; level != TopLevel; level = query.Integer(0)) {
        if (!query.Reset().Bind(1, level).Step())
            ThrowNoSuchGroup(level);
        names.prepend(query.Text(1));
    }
    return names.join(QLatin1Char('\\'));
}

qint64 ProjectFile::CreateGroup(qint64 parent, const QString& name, int position) {
    CheckGroupName(name);
    if (ChildNamed(parent, name)) {
        const QString path = parent == TopLevel ? name : GroupPath(parent) + QLatin1Char('\\') + name;
        throw Failure(Failure::InvalidCall,
                      QStringLiteral("index group \"%1\" already exists in %2").arg(path, Path()));
    }
    // Positions may have gaps after deletions; place by rank, shifting the ones behind.
    qint64 value = 0;
    if (position > 0) {
        auto nth =
            m_db->Cached("SELECT position FROM groups WHERE parent = ? ORDER BY position LIMIT 1 OFFSET ?");
        value = nth.Bind(1, parent).Bind(2, qint64(position - 1)).SingleInteger(0);
        if (value != 0) {
            m_db->Cached("UPDATE groups SET position = position + 1 WHERE parent = ? AND position >= ?")
                .Bind(1, parent)
                .Bind(2, value)
                .Run();
        }
    }
    if (value == 0) {
        value = m_db->Cached("SELECT COALESCE(MAX(position), 0) + 1 FROM groups WHERE parent = ?")
                    .Bind(1, parent)
                    .SingleInteger(1);
    }
    m_db->Cached("INSERT INTO groups(parent, name, folded, position) VALUES(?, ?, ?, ?)")
        .Bind(1, parent)
        .Bind(2, name)
        .Bind(3, Folded(name))
        .Bind(4, value)
        .Run();
    return m_db->LastInsertId();
}

qint64 ProjectFile::EnsureGroup(const QString& path) {
    qint64 group = TopLevel;
    for (const QString& name : SplitPath(path)) {
        const std::optional<qint64> child = ChildNamed(group, name);
        group = child ? *child : CreateGroup(group, name);
    }
    return group;
}

void ProjectFile::DeleteGroup(qint64 group) {
    const char* subtree = "WITH RECURSIVE sub(id) AS (SELECT ? UNION ALL "
                          "SELECT g.id FROM groups AS g JOIN sub ON g.parent = sub.id) ";
    m_db->Cached(
            QByteArray(subtree).append("DELETE FROM texts WHERE grp IN (SELECT id FROM sub)").constData())
        .Bind(1, group)
        .Run();
    m_db->Cached(
            QByteArray(subtree).append("DELETE FROM groups WHERE id IN (SELECT id FROM sub)").constData())
        .Bind(1, group)
        .Run();
}

void ProjectFile::ClearGroup(qint64 group) {
    m_db->Cached("DELETE FROM texts WHERE grp = ?").Bind(1, group).Run();
    for (const GroupInfo& child : Children(group))
        DeleteGroup(child.id);
}

void ProjectFile::RenameGroup(qint64 group, const QString& name) {
    CheckGroupName(name);
    const qint64 parent = ParentOf(group);
    const std::optional<qint64> other = ChildNamed(parent, name);
    if (other && *other != group) {
        const QString path = parent == TopLevel ? name : GroupPath(parent) + QLatin1Char('\\') + name;
        throw Failure(Failure::InvalidCall,
                      QStringLiteral("index group \"%1\" already exists in %2").arg(path, Path()));
    }
    m_db->Cached("UPDATE groups SET name = ?, folded = ? WHERE id = ?")
        .Bind(1, name)
        .Bind(2, Folded(name))
        .Bind(3, group)
        .Run();
}

void ProjectFile::SetText(qint64 group, qint64 index, qint64 language, const QString& text) {
    SetTextUtf8(group, index, language, text.toUtf8());
}

void ProjectFile::SetTextUtf8(qint64 group, qint64 index, qint64 language, const QByteArray& text) {
    if (text.isEmpty()) {
        RemoveText(group, index, language);
        return;
    }
    m_db->Cached("INSERT OR REPLACE INTO texts(grp, idx, language, text) VALUES(?, ?, ?, ?)")
        .Bind(1, group)
        .Bind(2, index)
        .Bind(3, language)
        .BindUtf8(4, text)
        .Run();
}

void ProjectFile::RemoveText(qint64 group, qint64 index, qint64 language) {
    m_db->Cached("DELETE FROM texts WHERE grp = ? AND idx = ? AND language = ?")
        .Bind(1, group)
        .Bind(2, index)
        .Bind(3, language)
        .Run();
}

void ProjectFile::RemoveIndex(qint64 group, qint64 index) {
    m_db->Cached("DELETE FROM texts WHERE grp = ? AND idx = ?").Bind(1, group).Bind(2, index).Run();
}

void ProjectFile::ForEachText(
    qint64 group,
    const std::function<void(qint64 index, qint64 language, const QByteArray& text)>& sink) const {
    // Language ids grow in the order the project got them, so ordering by id is language order.
    auto query = m_db->Cached("SELECT idx, language, text FROM texts WHERE grp = ? ORDER BY idx, language");
    query.Bind(1, group);
    while (query.Step())
        sink(query.Integer(0), query.Integer(1), query.Utf8(2));
}

int ProjectFile::ForEachTextAfter(
    qint64 group, qint64 afterIndex, qint64 afterLanguage, int limit,
    const std::function<void(qint64 index, qint64 language, const QByteArray& text)>& sink) const {
    // The key's order is the reading order, so each page starts where the last one ended.
    auto query =
        m_db->Cached("SELECT idx, language, text FROM texts WHERE grp = ? AND (idx, language) > (?, ?) "
                     "ORDER BY idx, language LIMIT ?");
    query.Bind(1, group).Bind(2, afterIndex).Bind(3, afterLanguage).Bind(4, qint64(limit));
    int read = 0;
    while (query.Step()) {
        sink(query.Integer(0), query.Integer(1), query.Utf8(2));
        ++read;
    }
    return read;
}

QMap<qint64, qint64> ProjectFile::TextCounts(qint64 group) const {
    QMap<qint64, qint64> counts;
    auto query = m_db->Cached("SELECT language, COUNT(*) FROM texts WHERE grp = ? GROUP BY language");
    query.Bind(1, group);
    while (query.Step())
        counts.insert(query.Integer(0), query.Integer(1));
    return counts;
}

QByteArray ProjectFile::TextUtf8(qint64 group, qint64 index, qint64 language) const {
    auto query = m_db->Cached("SELECT text FROM texts WHERE grp = ? AND idx = ? AND language = ?");
    query.Bind(1, group).Bind(2, index).Bind(3, language);
    QByteArray text = query.Step() ? query.Utf8(0) : QByteArray();
    query.Reset();
    return text;
}

bool ProjectFile::HasIndex(qint64 group, qint64 index) const {
    auto query = m_db->Cached("SELECT 1 FROM texts WHERE grp = ? AND idx = ? LIMIT 1");
    return query.Bind(1, group).Bind(2, index).SingleInteger(0) != 0;
}
