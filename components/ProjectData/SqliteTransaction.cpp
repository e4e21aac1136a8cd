#include "SqliteTransaction.h"

#include "ProjectLog.h"
#include "SqliteDatabase.h"
#include "studio/Failure.h"

SqliteTransaction::SqliteTransaction(SqliteDatabase& db, Kind kind) : m_db(db) {
    m_db.Execute(kind == Kind::Write ? "BEGIN IMMEDIATE" : "BEGIN DEFERRED");
}

SqliteTransaction::~SqliteTransaction() {
    // SQLite may already have rolled back on its own (e.g. after a full disk).
    if (!m_open || !m_db.InTransaction())
        return;
    try {
        m_db.Execute("ROLLBACK");
    } catch (const Failure& failure) {
        qCWarning(lcProject) << "rollback:" << failure.Description();
    }
}

void SqliteTransaction::Commit() {
    m_db.Execute("COMMIT");
    m_open = false;
}
