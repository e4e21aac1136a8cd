#include "ProjectData/ProjectTransaction.h"

#include "ProjectData/ProjectDatabase.h"
#include "ProjectData/ProjectLog.h"

#include <sqlite3.h>

ProjectTransaction::ProjectTransaction(ProjectDatabase& db, Kind kind) : m_db(db), m_kind(kind) {
    Run(kind == Kind::Write ? "BEGIN IMMEDIATE" : "BEGIN DEFERRED");
}

void ProjectTransaction::Run(const char* sql) {
    // BEGIN and COMMIT fail for what the transaction was meant to do, not for what they are.
    const int rc = sqlite3_exec(m_db.Handle(), sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        m_db.Fail(rc,
                  m_kind == Kind::Write ? QStringLiteral("cannot update") : QStringLiteral("cannot read"));
}

ProjectTransaction::~ProjectTransaction() {
    // SQLite may already have rolled back on its own (e.g. after a full disk).
    if (!m_open || !m_db.InTransaction())
        return;
    if (sqlite3_exec(m_db.Handle(), "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK)
        qCWarning(lcProject) << "rollback of" << m_db.Path() << "failed:" << sqlite3_errmsg(m_db.Handle());
}

void ProjectTransaction::Commit() {
    Run("COMMIT");
    m_open = false;
}
