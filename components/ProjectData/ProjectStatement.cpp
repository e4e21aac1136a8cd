#include "ProjectData/ProjectStatement.h"

#include "ProjectData/ProjectDatabase.h"

#include <sqlite3.h>

ProjectStatement::ProjectStatement(ProjectDatabase& db, const char* sql) : m_db(db), m_sql(sql) {
    const int rc = sqlite3_prepare_v3(db.Handle(), sql, -1, SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr);
    if (rc != SQLITE_OK)
        db.Fail(rc, QStringLiteral("cannot read"));
}

ProjectStatement::~ProjectStatement() { sqlite3_finalize(m_statement); }

ProjectStatement& ProjectStatement::Reset() {
    // Every use binds all parameters, so old bindings need no clearing.
    sqlite3_reset(m_statement);
    return *this;
}

ProjectStatement& ProjectStatement::Bind(int parameter, qint64 value) {
    sqlite3_bind_int64(m_statement, parameter, value);
    return *this;
}

ProjectStatement& ProjectStatement::Bind(int parameter, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(m_statement, parameter, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

ProjectStatement& ProjectStatement::Bind(int parameter, const QByteArray& utf8) {
    sqlite3_bind_text(m_statement, parameter, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

bool ProjectStatement::Step() {
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // Reset so the statement does not hold a read lock after the failure.
    sqlite3_reset(m_statement);
    const bool writing = !sqlite3_stmt_readonly(m_statement);
    m_db.Fail(rc, writing ? QStringLiteral("cannot update") : QStringLiteral("cannot read"));
}

void ProjectStatement::Run() {
    while (Step()) {
    }
}

qint64 ProjectStatement::SingleInteger(qint64 fallback) {
    const qint64 value = Step() ? Integer(0) : fallback;
    sqlite3_reset(m_statement);
    return value;
}

qint64 ProjectStatement::Integer(int column) const { return sqlite3_column_int64(m_statement, column); }

QString ProjectStatement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(m_statement, column));
}

QByteArray ProjectStatement::Utf8(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return QByteArray(text, sqlite3_column_bytes(m_statement, column));
}

bool ProjectStatement::IsNull(int column) const {
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}
