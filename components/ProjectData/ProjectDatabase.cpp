#include "ProjectData/ProjectDatabase.h"

#include "ProjectData/ProjectLog.h"
#include "ProjectData/ProjectStatement.h"
#include "studio/Failure.h"

#include <QFile>
#include <sqlite3.h>

Q_LOGGING_CATEGORY(lcProject, "kx4.project", QtWarningMsg)

namespace {
// Long enough for another process to finish a large paste or import.
constexpr int BusyTimeoutMs = 10000;
} // namespace

ProjectDatabase::ProjectDatabase(const QString& path, Mode mode) : m_path(path) {
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (mode == Mode::Create)
        flags |= SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString why = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw Failure(Failure::FileNotFound, QStringLiteral("cannot open %1: %2").arg(path, why));
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, BusyTimeoutMs);
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
        why = QStringLiteral("the file is read-only");
    // The failure says what and where; only SQLite's own code is left for a diagnosis.
    qCDebug(lcProject) << doing << m_path << "failed with SQLite code" << code;
    throw Failure(Failure::InvalidCall, QStringLiteral("%1 %2: %3").arg(doing, m_path, why));
}

void ProjectDatabase::Execute(const char* sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK)
        Fail(rc, QStringLiteral("cannot update"));
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
