#include "ProjectData/ProjectTransaction.h"

#include "ProjectData/ProjectDatabase.h"
#include "ProjectData/ProjectLog.h"
#include "studio/Failure.h"

ProjectTransaction::ProjectTransaction(ProjectDatabase& db, Kind kind) : m_db(db) {
    m_db.Execute(kind == Kind::Write ? "BEGIN IMMEDIATE" : "BEGIN DEFERRED");
}

ProjectTransaction::~ProjectTransaction() {
    // SQLite may already have rolled back on its own (e.g. after a full disk).
    if (!m_open || !m_db.InTransaction())
        return;
    try {
        m_db.Execute("ROLLBACK");
    } catch (const Failure& failure) {
        qCWarning(lcProject) << "rollback:" << failure.Description();
    }
}

void ProjectTransaction::Commit() {
    m_db.Execute("COMMIT");
    m_open = false;
}
