#include "ProjectData/ProjectStatement.h"

#include "ProjectData/ProjectDatabase.h"

#include <sqlite3.h>

ProjectStatement::ProjectStatement(ProjectDatabase& db, const char* sql)
    : m_db(db), m_statement(db.Connection().Prepare(QString::fromUtf8(sql))) {
    if (m_statement.Result() != SQLITE_OK)
        db.Fail(m_statement.Result(), QStringLiteral("cannot read"));
}

ProjectStatement& ProjectStatement::Reset() {
    m_statement.Reset();
    return *this;
}

ProjectStatement& ProjectStatement::Bind(int parameter, qint64 value) {
    m_statement.Bind(parameter, value);
    return *this;
}

ProjectStatement& ProjectStatement::Bind(int parameter, const QString& value) {
    m_statement.Bind(parameter, value);
    return *this;
}

ProjectStatement& ProjectStatement::BindUtf8(int parameter, const QByteArray& utf8) {
    m_statement.BindUtf8(parameter, utf8);
    return *this;
}

bool ProjectStatement::Step() {
    if (m_statement.Step())
        return true;
    if (m_statement.Done())
        return false;
    const int rc = m_statement.Result();
    // Reset so the statement does not hold a read lock after the failure.
    m_statement.Reset();
    m_db.Fail(rc, m_statement.IsReadOnly() ? QStringLiteral("cannot read") : QStringLiteral("cannot update"));
}

void ProjectStatement::Run() {
    while (Step()) {
    }
}

qint64 ProjectStatement::SingleInteger(qint64 fallback) {
    const qint64 value = Step() ? Integer(0) : fallback;
    m_statement.Reset();
    return value;
}
