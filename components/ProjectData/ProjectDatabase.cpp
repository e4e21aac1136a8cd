#include "ProjectData/ProjectDatabase.h"

#include "ProjectData/ProjectLog.h"
#include "ProjectData/ProjectStatement.h"
#include "studio/Failure.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcProject, "kx4.project", QtWarningMsg)

namespace {
// Long enough for another process to finish a large paste or import.
constexpr int BusyTimeoutMs = 10000;

QByteArray Folder(const QString& path) { return QFile::encodeName(QFileInfo(path).absolutePath()); }

// True when nobody can write beside the file: a read-only medium, or a folder without any write
// permission. Then no writer can start while we read, and no WAL file can appear.
bool NoWriterCanExist(const QString& path) {
    if (QFileInfo::exists(path + QStringLiteral("-wal")))
        return false;
    struct statvfs medium {};
    if (::statvfs(Folder(path).constData(), &medium) == 0 && (medium.f_flag & ST_RDONLY))
        return true;
    struct stat folder {};
    return ::stat(Folder(path).constData(), &folder) == 0 &&
           (folder.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// A WAL project is read through a shared-memory file beside it, which a read-only medium cannot
// hold; read as immutable there, SQLite needs none.
QByteArray ReadOnlyName(const QString& path) {
    if (!NoWriterCanExist(path))
        return QFile::encodeName(path);
    return "file:" + QUrl::toPercentEncoding(path, "/") + "?immutable=1";
}

} // namespace

ProjectDatabase::ProjectDatabase(const QString& path, Mode mode) : m_path(path) {
    // The journal and the WAL file are made beside the project: a folder we cannot write makes
    // every change fail, however writable the file itself is.
    if (mode != Mode::ReadOnly && ::access(Folder(path).constData(), W_OK) != 0)
        throw Failure(Failure::PathAccessError,
                      QStringLiteral("cannot update %1: its folder is read-only").arg(path));
    int flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI;
    flags |= mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (mode == Mode::Create)
        flags |= SQLITE_OPEN_CREATE;
    const QByteArray name = mode == Mode::ReadOnly ? ReadOnlyName(path) : QFile::encodeName(path);
    const int rc = sqlite3_open_v2(name.constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString why = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw Failure(Failure::FileNotFound, QStringLiteral("cannot open %1: %2").arg(path, why));
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, BusyTimeoutMs);
    // SQLite falls back to reading a file it may not write; a writer is told now, not half-way.
    if (mode != Mode::ReadOnly && sqlite3_db_readonly(m_db, "main") == 1) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw Failure(Failure::PathAccessError,
                      QStringLiteral("cannot update %1: the file is read-only").arg(path));
    }
}

ProjectDatabase::~ProjectDatabase() {
    m_cache.clear();
    if (m_db && sqlite3_close_v2(m_db) != SQLITE_OK)
        qCWarning(lcProject) << "closing" << m_path << "failed:" << sqlite3_errmsg(m_db);
}

void ProjectDatabase::Fail(int code, const QString& doing) const {
    QString why = QString::fromUtf8(sqlite3_errmsg(m_db));
    const int primary = code & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        why = QStringLiteral("the file is locked by another program");
    else if (primary == SQLITE_NOTADB)
        throw Failure(Failure::InvalidCall, QStringLiteral("%1 is not a project database").arg(m_path));
    else if (primary == SQLITE_READONLY)
        throw Failure(Failure::PathAccessError,
                      QStringLiteral("%1 %2: the file is read-only").arg(doing, m_path));
    throw Failure(Failure::InvalidCall, QStringLiteral("%1 %2: %3").arg(doing, m_path, why));
}

void ProjectDatabase::Execute(const char* sql) {
    // Prepared, so that a failure says whether the statement was reading or updating.
    ProjectStatement(*this, sql).Run();
}

qint64 ProjectDatabase::IntegerOf(const char* sql, qint64 fallback) {
    ProjectStatement statement(*this, sql);
    return statement.Step() ? statement.Integer(0) : fallback;
}

ProjectStatement& ProjectDatabase::Cached(const char* sql) {
    auto& slot = m_cache[sql];
    if (!slot)
        slot = std::make_unique<ProjectStatement>(*this, sql);
    return slot->Reset();
}

qint64 ProjectDatabase::LastInsertId() const { return sqlite3_last_insert_rowid(m_db); }

int ProjectDatabase::Changes() const { return sqlite3_changes(m_db); }

bool ProjectDatabase::InTransaction() const { return sqlite3_get_autocommit(m_db) == 0; }
