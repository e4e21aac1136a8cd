#include "ProjectData/ProjectDatabase.h"

#include "ProjectData/ProjectStatement.h"
#include "studio/Failure.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <unistd.h>

namespace {

// Long enough for another process to finish a large paste or import.
constexpr int BusyTimeoutMs = 10000;

SqliteDb::OpenMode OpenModeOf(ProjectDatabase::Mode mode) {
    switch (mode) {
    case ProjectDatabase::Mode::ReadOnly: return SqliteDb::OpenMode::ReadOnly;
    case ProjectDatabase::Mode::ReadWrite: return SqliteDb::OpenMode::ReadWrite;
    case ProjectDatabase::Mode::Create: return SqliteDb::OpenMode::ReadWriteCreate;
    }
    return SqliteDb::OpenMode::ReadOnly;
}

} // namespace

ProjectDatabase::ProjectDatabase(const QString& path, Mode mode) : m_path(path) {
    // The journal and the WAL file are made beside the project: a folder we cannot write makes
    // every change fail, however writable the file itself is.
    if (mode != Mode::ReadOnly &&
        ::access(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), W_OK) != 0)
        throw Failure(Failure::PathAccessError,
                      QStringLiteral("cannot update %1: its folder is read-only").arg(path));
    if (m_db.Open(path, BusyTimeoutMs, OpenModeOf(mode)) != SQLITE_OK)
        throw Failure(Failure::FileNotFound,
                      QStringLiteral("cannot open %1: %2").arg(path, m_db.LastError()));
    // SQLite falls back to reading a file it may not write; a writer is told now, not half-way.
    if (mode != Mode::ReadOnly && m_db.IsReadOnly())
        throw Failure(Failure::PathAccessError,
                      QStringLiteral("cannot update %1: the file is read-only").arg(path));
}

void ProjectDatabase::Fail(int code, const QString& doing) const {
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw Failure(Failure::InvalidCall,
                      QStringLiteral("%1 %2: the file is locked by another program").arg(doing, m_path));
    case SQLITE_NOTADB:
        throw Failure(Failure::InvalidCall, QStringLiteral("%1 is not a project database").arg(m_path));
    case SQLITE_READONLY:
        throw Failure(Failure::PathAccessError,
                      QStringLiteral("%1 %2: the file is read-only").arg(doing, m_path));
    default:
        throw Failure(Failure::InvalidCall, QStringLiteral("%1 %2: %3").arg(doing, m_path, m_db.LastError()));
    }
}

void ProjectDatabase::Execute(const char* sql) { Cached(sql).Run(); }

qint64 ProjectDatabase::IntegerOf(const char* sql, qint64 fallback) {
    return Cached(sql).SingleInteger(fallback);
}

ProjectStatement ProjectDatabase::Cached(const char* sql) { return ProjectStatement(*this, sql); }
