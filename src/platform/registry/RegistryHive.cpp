#include "platform/registry/RegistryHive.h"

#include "platform/core/SqliteDb.h"

#include <sqlite3.h>

#include <algorithm>
#include <numeric>

namespace {

constexpr int MaxKeyNameLength = 255;
constexpr int MaxValueNameLength = 16383;
// The hive's own root is row 1 with the empty path; every other key's path is its folded names
// joined by "\", so a subtree is one range of the unique path index.
constexpr qint64 RootId = 1;
// The user_version of a hive's database; a database with tables but another version is no hive.
constexpr qint64 SchemaVersion = 1;

QString Fold(const QString& name) { return name.toCaseFolded(); }

} // namespace

RegistryHive::RegistryHive(SqliteDb& db, const QString& schema) : m_db(db), m_schema(schema) {}

QString RegistryHive::Sql(const char* text) const { return QString::fromLatin1(text).arg(m_schema); }

int RegistryHive::CreateSchema() {
    return m_db.Exec(Sql("CREATE TABLE IF NOT EXISTS %1.keys(id INTEGER PRIMARY KEY, parent INTEGER NOT NULL,"
                         " name TEXT NOT NULL, path TEXT NOT NULL UNIQUE);"
                         "CREATE INDEX IF NOT EXISTS %1.keys_parent ON keys(parent, path);"
                         "CREATE TABLE IF NOT EXISTS %1.vals(id INTEGER PRIMARY KEY, key INTEGER NOT NULL,"
                         " name TEXT NOT NULL, fold TEXT NOT NULL, type INTEGER NOT NULL,"
                         " data BLOB NOT NULL, UNIQUE(key, fold));"
                         "INSERT OR IGNORE INTO %1.keys(id, parent, name, path) VALUES(1, 0, '', '');") +
                     QStringLiteral("PRAGMA %1.user_version = %2;").arg(m_schema).arg(SchemaVersion));
}

long RegistryHive::Identify(bool* isEmpty) {
    *isEmpty = false;
    QStringList tables;
    {
        SqliteStatement st = m_db.Prepare(Sql("SELECT name FROM %1.sqlite_master WHERE type = 'table'"));
        while (st.Step())
            tables.append(st.Text(0));
        if (!st.Done())
            return ErrorFromSqlite(st.Result());
    }
    if (tables.isEmpty()) {
        *isEmpty = true;
        return ERROR_SUCCESS;
    }
    SqliteStatement version = m_db.Prepare(Sql("PRAGMA %1.user_version"));
    if (!version.Step())
        return ErrorFromSqlite(version.Result());
    // Another program's database must not get the registry's tables added to it.
    const bool hive = tables.contains(QStringLiteral("keys")) && tables.contains(QStringLiteral("vals")) &&
                      version.Int(0) == SchemaVersion;
    return hive ? ERROR_SUCCESS : ERROR_BADDB;
}

namespace {

// Whether every name of a trimmed key path is 1 to 255 characters long.
bool IsValidPath(const QString& path) {
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path.at(i) != u'\\')
            continue;
        if (i == start || i - start > MaxKeyNameLength)
            return false;
        start = i + 1;
    }
    return true;
}

const QString ClassesPath = QStringLiteral("software\\classes"); // HKCR's folded path in HKLM

} // namespace

long RegistryHive::SplitKeyPath(const QString& key, QStringList* names) {
    names->clear();
    const QString path = RegistryStore::TrimKeyPath(key);
    if (path.isEmpty())
        return ERROR_SUCCESS;
    if (!IsValidPath(path))
        return ERROR_INVALID_PARAMETER;
    *names = path.split(u'\\');
    return ERROR_SUCCESS;
}

long RegistryHive::ResolveFolded(HKEY root, const QString& key, HKEY* hiveRoot, QString* foldedPath,
                                 bool* viewRoot) {
    if (!RegistryStore::IsRoot(root))
        return ERROR_INVALID_HANDLE;
    const QString path = RegistryStore::TrimKeyPath(key);
    if (!path.isEmpty() && !IsValidPath(path))
        return ERROR_INVALID_PARAMETER;
    // Folding the whole path folds each name: the separator folds to itself.
    const QString folded = Fold(path);
    *hiveRoot = root == HKEY_CLASSES_ROOT ? HKEY_LOCAL_MACHINE : root;
    *viewRoot = root == HKEY_CLASSES_ROOT && folded.isEmpty();
    if (root != HKEY_CLASSES_ROOT)
        *foldedPath = folded;
    else
        *foldedPath = folded.isEmpty() ? ClassesPath : ClassesPath + u'\\' + folded;
    return ERROR_SUCCESS;
}

bool RegistryHive::IsViewRoot(HKEY root, const QStringList& names) {
    return root == HKEY_CLASSES_ROOT && names.size() == 2;
}

long RegistryHive::Resolve(HKEY root, const QString& key, HKEY* hiveRoot, QStringList* names) {
    if (!RegistryStore::IsRoot(root))
        return ERROR_INVALID_HANDLE;
    if (const long rc = SplitKeyPath(key, names); rc != ERROR_SUCCESS)
        return rc;
    *hiveRoot = root == HKEY_CLASSES_ROOT ? HKEY_LOCAL_MACHINE : root;
    if (root == HKEY_CLASSES_ROOT)
        *names = QStringList{QStringLiteral("Software"), QStringLiteral("Classes")} + *names;
    return ERROR_SUCCESS;
}

bool RegistryHive::IsValidValueName(const QString& name) { return name.size() <= MaxValueNameLength; }

QString RegistryHive::FoldedPath(const QStringList& names, int count) {
    QString path;
    for (int i = 0; i < count; ++i) {
        if (i)
            path += u'\\';
        path += Fold(names.at(i));
    }
    return path;
}

long RegistryHive::ErrorFromSqlite(int rc) {
    switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW: return ERROR_SUCCESS;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_BUSY;
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_CORRUPT: return ERROR_REGISTRY_CORRUPT;
    case SQLITE_NOTADB: return ERROR_BADDB;
    default: return ERROR_REGISTRY_IO_FAILED;
    }
}

long RegistryHive::FindKey(const QString& foldedPath, qint64* id) {
    if (foldedPath.isEmpty()) {
        *id = RootId;
        return ERROR_SUCCESS;
    }
    SqliteStatement st = m_db.Prepare(Sql("SELECT id FROM %1.keys WHERE path = ?"));
    st.Bind(1, foldedPath);
    if (st.Step()) {
        *id = st.Int(0);
        return ERROR_SUCCESS;
    }
    return st.Done() ? ERROR_FILE_NOT_FOUND : ErrorFromSqlite(st.Result());
}

long RegistryHive::FindKeyOrView(const QString& foldedPath, bool isViewRoot, qint64* id) {
    const long rc = FindKey(foldedPath, id);
    if (rc == ERROR_FILE_NOT_FOUND && isViewRoot) {
        *id = -1;
        return ERROR_SUCCESS;
    }
    return rc;
}

long RegistryHive::CreateKey(const QStringList& names, qint64* id) {
    if (FindKey(names, id) == ERROR_SUCCESS)
        return ERROR_SUCCESS;
    qint64 parent = RootId;
    for (int level = 1; level <= names.size(); ++level) {
        const QString path = FoldedPath(names, level);
        {
            SqliteStatement find = m_db.Prepare(Sql("SELECT id FROM %1.keys WHERE path = ?"));
            find.Bind(1, path);
            if (find.Step()) {
                parent = find.Int(0);
                continue;
            }
            if (!find.Done())
                return ErrorFromSqlite(find.Result());
        }
        SqliteStatement insert = m_db.Prepare(Sql("INSERT INTO %1.keys(parent, name, path) VALUES(?, ?, ?)"));
        insert.Bind(1, parent);
        insert.Bind(2, names.at(level - 1));
        insert.Bind(3, path);
        insert.Step();
        if (!insert.Done())
            return ErrorFromSqlite(insert.Result());
        parent = sqlite3_last_insert_rowid(m_db.Handle());
    }
    *id = parent;
    return ERROR_SUCCESS;
}

long RegistryHive::LoadKey(const QString& foldedPath, bool* exists, QList<RegValue>* values) {
    values->clear();
    *exists = false;
    SqliteStatement st =
        m_db.Prepare(Sql("SELECT k.id, v.id, v.name, v.type, v.data FROM %1.keys k"
                         " LEFT JOIN %1.vals v ON v.key = k.id WHERE k.path = ? ORDER BY v.id"));
    st.Bind(1, foldedPath);
    while (st.Step()) {
        *exists = true;
        if (!st.IsNull(1))
            values->append(RegValue{st.Text(2), quint32(st.Int(3)), st.Blob(4)});
    }
    return st.Done() ? ERROR_SUCCESS : ErrorFromSqlite(st.Result());
}

long RegistryHive::LoadChildren(qint64 key, qsizetype valueBudget, QList<Child>* out) {
    out->clear();
    SqliteStatement st = m_db.Prepare(
        Sql("SELECT k.id, k.name, k.path, v.id, v.name, v.type, v.data FROM %1.keys k LEFT JOIN %1.vals v"
            " ON v.key = k.id WHERE k.parent = ? AND k.id <> 1 ORDER BY k.path"));
    st.Bind(1, key);
    QList<qint64> order; // the row ids of the current child's values
    auto finish = [&] {
        if (out->isEmpty())
            return;
        // Values come in their index's order; the store's order is creation order.
        QList<RegValue>& values = out->last().values;
        QList<qsizetype> positions(values.size());
        std::iota(positions.begin(), positions.end(), 0);
        std::sort(positions.begin(), positions.end(),
                  [&](qsizetype a, qsizetype b) { return order.at(a) < order.at(b); });
        QList<RegValue> sorted;
        sorted.reserve(values.size());
        for (const qsizetype i : positions)
            sorted.append(values.at(i));
        values = std::move(sorted);
        order.clear();
    };
    qsizetype loaded = 0;
    qint64 current = 0; // the row id of the last child, whose rows run on
    while (st.Step()) {
        if (out->isEmpty() || st.Int(0) != current) {
            finish();
            current = st.Int(0);
            out->append(Child{st.Text(1), st.Text(2), {}, loaded < valueBudget});
        }
        Child& child = out->last();
        if (st.IsNull(3) || !child.complete)
            continue;
        if (++loaded > valueBudget) {
            child.complete = false;
            child.values.clear();
            order.clear();
            continue;
        }
        order.append(st.Int(3));
        child.values.append(RegValue{st.Text(4), quint32(st.Int(5)), st.Blob(6)});
    }
    finish();
    return st.Done() ? ERROR_SUCCESS : ErrorFromSqlite(st.Result());
}

long RegistryHive::QueryValue(qint64 key, const QString& name, RegValue* out) {
    SqliteStatement st = m_db.Prepare(Sql("SELECT name, type, data FROM %1.vals WHERE key = ? AND fold = ?"));
    st.Bind(1, key);
    st.Bind(2, Fold(name));
    if (!st.Step())
        return st.Done() ? ERROR_FILE_NOT_FOUND : ErrorFromSqlite(st.Result());
    out->name = st.Text(0);
    out->type = quint32(st.Int(1));
    out->data = st.Blob(2);
    return ERROR_SUCCESS;
}

long RegistryHive::SetValue(qint64 key, const RegValue& value) {
    // An update in place keeps the row id, and with it the value's place in the enumeration.
    SqliteStatement st =
        m_db.Prepare(Sql("INSERT INTO %1.vals(key, name, fold, type, data) VALUES(?, ?, ?, ?, ?)"
                         " ON CONFLICT(key, fold) DO UPDATE SET name = excluded.name, type = excluded.type,"
                         " data = excluded.data"));
    st.Bind(1, key);
    st.Bind(2, value.name);
    st.Bind(3, Fold(value.name));
    st.Bind(4, qint64(value.type));
    st.Bind(5, value.data);
    st.Step();
    return st.Done() ? ERROR_SUCCESS : ErrorFromSqlite(st.Result());
}

long RegistryHive::EnumKeys(qint64 key, QStringList* out) {
    out->clear();
    SqliteStatement st =
        m_db.Prepare(Sql("SELECT name FROM %1.keys WHERE parent = ? AND id <> 1 ORDER BY path"));
    st.Bind(1, key);
    while (st.Step())
        out->append(st.Text(0));
    return st.Done() ? ERROR_SUCCESS : ErrorFromSqlite(st.Result());
}

long RegistryHive::EnumValues(qint64 key, QList<RegValue>* out) {
    out->clear();
    SqliteStatement st = m_db.Prepare(Sql("SELECT name, type, data FROM %1.vals WHERE key = ? ORDER BY id"));
    st.Bind(1, key);
    while (st.Step())
        out->append(RegValue{st.Text(0), quint32(st.Int(1)), st.Blob(2)});
    return st.Done() ? ERROR_SUCCESS : ErrorFromSqlite(st.Result());
}

long RegistryHive::DeleteValue(qint64 key, const QString& name) {
    SqliteStatement st = m_db.Prepare(Sql("DELETE FROM %1.vals WHERE key = ? AND fold = ?"));
    st.Bind(1, key);
    st.Bind(2, Fold(name));
    st.Step();
    if (!st.Done())
        return ErrorFromSqlite(st.Result());
    return sqlite3_changes(m_db.Handle()) > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

long RegistryHive::DeleteTree(const QStringList& names, bool keepKey) {
    qint64 id = 0;
    if (const long rc = FindKey(names, &id); rc != ERROR_SUCCESS)
        return rc;
    const QString path = FoldedPath(names, int(names.size()));
    // Below "a\b" lies every path in ["a\b\", "a\b]"): "]" follows "\" in code point order.
    const QString low = path.isEmpty() ? QString() : path + u'\\';
    const QString high = path.isEmpty() ? QStringLiteral("\U0010FFFF") : path + u']';
    {
        SqliteStatement vals = m_db.Prepare(
            Sql("DELETE FROM %1.vals WHERE key IN (SELECT id FROM %1.keys WHERE path > ? AND path < ?)"
                " OR key = ?"));
        vals.Bind(1, low);
        vals.Bind(2, high);
        vals.Bind(3, id);
        vals.Step();
        if (!vals.Done())
            return ErrorFromSqlite(vals.Result());
    }
    {
        SqliteStatement keys = m_db.Prepare(Sql("DELETE FROM %1.keys WHERE path > ? AND path < ?"));
        keys.Bind(1, low);
        keys.Bind(2, high);
        keys.Step();
        if (!keys.Done())
            return ErrorFromSqlite(keys.Result());
    }
    if (keepKey || id == RootId)
        return ERROR_SUCCESS;
    SqliteStatement self = m_db.Prepare(Sql("DELETE FROM %1.keys WHERE id = ?"));
    self.Bind(1, id);
    self.Step();
    return self.Done() ? ERROR_SUCCESS : ErrorFromSqlite(self.Result());
}
