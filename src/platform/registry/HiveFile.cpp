#include "platform/registry/HiveFile.h"
#include "platform/core/PlatformLog.h"

#include "platform/registry/Registry.h"
#include "platform/registry/RegistryHive.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

HiveFile::HiveFile(const QString& path) : m_path(path), m_fileName(QFile::encodeName(path)) {}

bool HiveFile::IsWritablePath(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
        return ::access(dir.constData(), W_OK) == 0 || !QFileInfo::exists(QFileInfo(path).absolutePath());
    }
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    return ::access(name.constData(), W_OK) == 0;
}

long HiveFile::Acquire(bool forWrite, SqliteDb** db) {
    *db = nullptr;
    // A hive removed or replaced (a test resetting its prefix, a setup run) is noticed here.
    struct stat st {};
    const bool exists = ::stat(m_fileName.constData(), &st) == 0;
    if (m_db && (!exists || quint64(st.st_dev) != m_device || quint64(st.st_ino) != m_inode)) {
        m_db.reset();
        m_hasSchema = false;
        m_cache.Clear();
    }
    if (!forWrite && m_db && m_hasSchema) {
        *db = m_db.get();
        return ERROR_SUCCESS;
    }
    if (!exists && !forWrite)
        return ERROR_SUCCESS;
    const bool writable = IsWritablePath(m_path);
    if (forWrite && !writable)
        return ERROR_ACCESS_DENIED;
    if (!m_db) {
        if (!exists && !QDir().mkpath(QFileInfo(m_path).absolutePath())) {
            qCInfo(lcRegistry) << "cannot create the prefix folder for" << m_path;
            return ERROR_ACCESS_DENIED;
        }
        if (const long rc = Open(); rc != ERROR_SUCCESS)
            return rc;
    }
    if (!m_hasSchema)
        if (const long rc = Identify(writable); rc != ERROR_SUCCESS)
            return rc;
    if (m_hasSchema)
        *db = m_db.get();
    return ERROR_SUCCESS;
}

long HiveFile::Identify(bool writable) {
    RegistryHive hive(*m_db, QStringLiteral("main"));
    bool isEmpty = false;
    if (const long rc = hive.Identify(&isEmpty); rc != ERROR_SUCCESS) {
        qCInfo(lcRegistry) << "refusing" << m_path << ":" << m_db->LastError();
        return rc;
    }
    m_hasSchema = !isEmpty;
    if (!isEmpty || !writable)
        return ERROR_SUCCESS;
    SqliteTransaction tx(*m_db);
    int rc = tx.BeginResult();
    if (rc == SQLITE_OK)
        rc = hive.CreateSchema();
    if (rc == SQLITE_OK)
        rc = tx.Commit();
    if (rc != SQLITE_OK) {
        qCInfo(lcRegistry) << "cannot set up the hive" << m_path << ":" << m_db->LastError();
        return RegistryHive::ErrorFromSqlite(rc);
    }
    m_hasSchema = true;
    return ERROR_SUCCESS;
}

long HiveFile::ReadKey(const QString& path, bool viewRoot, const HiveReadCache::Key** out) {
    SqliteDb* db = nullptr;
    if (const long rc = Acquire(false, &db); rc != ERROR_SUCCESS)
        return rc;
    m_emptyKey.exists = path.isEmpty() || viewRoot;
    *out = &m_emptyKey;
    if (!db)
        return ERROR_SUCCESS;
    quint32 before = 0;
    const bool counted = db->ChangeCounter(&before);
    if (counted) {
        m_cache.Validate(before);
        if (const HiveReadCache::Key* key = m_cache.Find(path)) {
            *out = key->exists ? key : &m_emptyKey;
            return ERROR_SUCCESS;
        }
    }
    bool exists = false;
    QList<RegValue> values;
    if (const long rc = RegistryHive(*db, QStringLiteral("main")).LoadKey(path, &exists, &values);
        rc != ERROR_SUCCESS)
        return rc;
    // Kept only when no commit slipped in between: the values then belong to that counter.
    quint32 after = 0;
    if (counted && db->ChangeCounter(&after) && after == before) {
        const HiveReadCache::Key* key = m_cache.Store(path, exists, std::move(values));
        *out = key->exists ? key : &m_emptyKey;
        return ERROR_SUCCESS;
    }
    m_scratch = HiveReadCache::Key{exists || m_emptyKey.exists, std::move(values), {}};
    for (qsizetype i = 0; i < m_scratch.values.size(); ++i)
        m_scratch.index.insert(m_scratch.values.at(i).name.toCaseFolded(), i);
    *out = &m_scratch;
    return ERROR_SUCCESS;
}

long HiveFile::ReadSubkeys(const QString& path, bool viewRoot, QStringList* out) {
    out->clear();
    SqliteDb* db = nullptr;
    if (const long rc = Acquire(false, &db); rc != ERROR_SUCCESS)
        return rc;
    if (!db)
        return path.isEmpty() || viewRoot ? long(ERROR_SUCCESS) : long(ERROR_FILE_NOT_FOUND);
    quint32 before = 0;
    const bool counted = db->ChangeCounter(&before);
    if (counted) {
        m_cache.Validate(before);
        if (const QStringList* cached = m_cache.FindSubkeys(path)) {
            *out = *cached;
            return ERROR_SUCCESS;
        }
    }
    RegistryHive hive(*db, QStringLiteral("main"));
    qint64 id = 0;
    if (const long rc = hive.FindKeyOrView(path, viewRoot, &id); rc != ERROR_SUCCESS)
        return rc;
    // Read ahead within half the cache, so a large enumeration cannot push out everything else.
    const qsizetype budget = qMax<qsizetype>(0, HiveReadCache::MaxValues / 2 - m_cache.ValueCount());
    QList<RegistryHive::Child> children;
    if (const long rc = hive.LoadChildren(id, budget, &children); rc != ERROR_SUCCESS)
        return rc;
    for (const RegistryHive::Child& child : std::as_const(children))
        out->append(child.name);
    quint32 after = 0;
    if (!counted || !db->ChangeCounter(&after) || after != before)
        return ERROR_SUCCESS;
    m_cache.StoreSubkeys(path, *out);
    for (RegistryHive::Child& child : children) {
        if (child.complete && !m_cache.Find(child.foldedPath))
            m_cache.Store(child.foldedPath, true, std::move(child.values));
    }
    return ERROR_SUCCESS;
}

long HiveFile::Open() {
    m_db = std::make_unique<SqliteDb>();
    m_cache.Clear();
    int rc = m_db->Open(m_path, BusyTimeoutMs);
    if (rc == SQLITE_OK) {
        // A rollback journal (not WAL) keeps a read-only file readable without side files, lets
        // an import commit two hive files atomically through a super-journal, and bumps the
        // header's change counter on every commit, which the read cache relies on.
        rc = m_db->Exec(QStringLiteral("PRAGMA synchronous = FULL"));
    }
    if (rc == SQLITE_OK)
        m_db->Exec(QStringLiteral("PRAGMA journal_mode = DELETE")); // undo a WAL switch made by hand
    if (rc != SQLITE_OK) {
        qCInfo(lcRegistry) << "cannot open the hive" << m_path << ":" << m_db->LastError();
        m_db.reset();
        return RegistryHive::ErrorFromSqlite(rc);
    }
    struct stat st {};
    if (::stat(m_fileName.constData(), &st) == 0) {
        m_device = quint64(st.st_dev);
        m_inode = quint64(st.st_ino);
    }
    return ERROR_SUCCESS;
}

long HiveFile::Check(QStringList* findings) {
    findings->clear();
    if (!QFileInfo::exists(m_path))
        return ERROR_SUCCESS;
    // A connection of its own: the cached one may hold a read transaction or refuse the file.
    SqliteDb db;
    if (const int rc = db.Open(m_path, BusyTimeoutMs); rc != SQLITE_OK) {
        findings->append(db.LastError());
        return RegistryHive::ErrorFromSqlite(rc);
    }
    SqliteStatement check = db.Prepare(QStringLiteral("PRAGMA integrity_check"));
    while (check.Step()) {
        const QString line = check.Text(0);
        if (line != u"ok")
            findings->append(line.split(u'\n', Qt::SkipEmptyParts));
    }
    const long rc = check.Done() ? long(ERROR_SUCCESS) : RegistryHive::ErrorFromSqlite(check.Result());
    if (!check.Done())
        findings->append(db.LastError());
    if (rc == ERROR_BADDB)
        return rc;
    if (findings->isEmpty()) {
        bool isEmpty = false;
        const long kind = RegistryHive(db, QStringLiteral("main")).Identify(&isEmpty);
        if (kind == ERROR_BADDB)
            findings->append(QStringLiteral("the database holds other tables than a registry hive's"));
        return kind;
    }
    // Which of the registry's two tables the damage is in, before SQLite's own words.
    QStringList parts;
    for (const auto& [table, what] : {std::pair{"keys", "the key tree (table keys and its indexes)"},
                                      std::pair{"vals", "the values (table vals and its index)"}}) {
        SqliteStatement part = db.Prepare(QStringLiteral("PRAGMA integrity_check(%1)").arg(table));
        const bool sound = part.Step() && part.Text(0) == u"ok";
        parts.append(QStringLiteral("%1: %2").arg(what, sound ? "sound" : "damaged"));
    }
    *findings = parts + *findings;
    return rc == ERROR_SUCCESS ? long(ERROR_REGISTRY_CORRUPT) : rc;
}
