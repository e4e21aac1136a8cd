#include "ProjectData/ProjectTransaction.h"

#include "ProjectData/ProjectDatabase.h"

#include <sqlite3.h>

ProjectTransaction::ProjectTransaction(ProjectDatabase& db, Kind kind)
    : m_db(db), m_kind(kind),
      m_transaction(db.Connection(), kind == Kind::Write ? SqliteTransaction::Kind::Immediate
                                                         : SqliteTransaction::Kind::Deferred) {
    if (m_transaction.BeginResult() != SQLITE_OK)
        Fail(m_transaction.BeginResult());
}

void ProjectTransaction::Commit() {
    if (const int rc = m_transaction.Commit(); rc != SQLITE_OK)
        Fail(rc);
}

void ProjectTransaction::Fail(int code) const {
    m_db.Fail(code, m_kind == Kind::Write ? QStringLiteral("cannot update") : QStringLiteral("cannot read"));
}
