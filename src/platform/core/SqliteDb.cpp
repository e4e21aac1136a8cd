#include "platform/core/SqliteDb.h"

#include <sqlite3.h>

SqliteStatement::SqliteStatement(SqliteDb& db, sqlite3_stmt* stmt, int prepareResult)
    : m_db(db), m_stmt(stmt) {
    // A damaged or foreign file fails already here; its code must not turn into a plain error.
    m_result = stmt ? SQLITE_OK : (prepareResult != SQLITE_OK ? prepareResult : SQLITE_ERROR);
}

SqliteStatement::~SqliteStatement() {
    if (m_stmt) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
}

void SqliteStatement::Bind(int index, qint64 value) {
    if (m_stmt)
        sqlite3_bind_int64(m_stmt, index, value);
}

void SqliteStatement::Bind(int index, const QString& text) {
    if (!m_stmt)
        return;
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void SqliteStatement::Bind(int index, const QByteArray& blob) {
    if (!m_stmt)
        return;
    // A null blob would bind NULL; the store wants an empty blob for empty data.
    sqlite3_bind_blob(m_stmt, index, blob.isEmpty() ? "" : blob.constData(), int(blob.size()),
                      SQLITE_TRANSIENT);
}

bool SqliteStatement::Step() {
    if (!m_stmt)
        return false;
    m_result = sqlite3_step(m_stmt);
    return m_result == SQLITE_ROW;
}

bool SqliteStatement::Done() const { return m_result == SQLITE_DONE; }

bool SqliteStatement::IsNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }

qint64 SqliteStatement::Int(int column) const { return sqlite3_column_int64(m_stmt, column); }

QString SqliteStatement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column));
}

QByteArray SqliteStatement::Blob(int column) const {
    const void* data = sqlite3_column_blob(m_stmt, column);
    return QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(m_stmt, column));
}

SqliteDb::~SqliteDb() { Close(); }

void SqliteDb::Close() {
    for (sqlite3_stmt* stmt : std::as_const(m_statements))
        sqlite3_finalize(stmt);
    m_statements.clear();
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

int SqliteDb::Open(const QString& file, int busyTimeoutMs) {
    Close();
    const QByteArray name = file.toUtf8();
    const int rc = sqlite3_open_v2(
        name.constData(), &m_db,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK) {
        Close();
        return rc;
    }
    sqlite3_extended_result_codes(m_db, 0);
    sqlite3_busy_timeout(m_db, busyTimeoutMs);
    return SQLITE_OK;
}

int SqliteDb::Exec(const QString& sql) {
    if (!m_db)
        return SQLITE_MISUSE;
    return sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
}

SqliteStatement SqliteDb::Prepare(const QString& sql) {
    sqlite3_stmt* stmt = m_statements.value(sql);
    int rc = SQLITE_OK;
    if (!stmt && m_db) {
        const QByteArray utf8 = sql.toUtf8();
        rc = sqlite3_prepare_v3(m_db, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &stmt,
                                nullptr);
        if (rc == SQLITE_OK && stmt)
            m_statements.insert(sql, stmt);
        else
            stmt = nullptr;
    }
    return SqliteStatement(*this, stmt, rc);
}

bool SqliteDb::ChangeCounter(quint32* counter) const {
    sqlite3_file* file = nullptr;
    if (!m_db || sqlite3_file_control(m_db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods)
        return false;
    // Through SQLite's own descriptor: a second descriptor of ours, once closed, would drop the
    // process's POSIX locks on the file.
    unsigned char bytes[4] = {};
    if (file->pMethods->xRead(file, bytes, 4, 24) != SQLITE_OK)
        return false;
    *counter = quint32(bytes[0]) << 24 | quint32(bytes[1]) << 16 | quint32(bytes[2]) << 8 | bytes[3];
    return true;
}

QString SqliteDb::LastError() const {
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("database not open");
}

SqliteTransaction::SqliteTransaction(SqliteDb& db) : m_db(db) {
    m_begin = m_db.Exec(QStringLiteral("BEGIN IMMEDIATE"));
    m_open = m_begin == SQLITE_OK;
}

SqliteTransaction::~SqliteTransaction() {
    if (m_open)
        m_db.Exec(QStringLiteral("ROLLBACK"));
}

int SqliteTransaction::Commit() {
    if (!m_open)
        return m_begin == SQLITE_OK ? SQLITE_MISUSE : m_begin;
    const int rc = m_db.Exec(QStringLiteral("COMMIT"));
    // A failed COMMIT (busy) leaves the transaction open; the destructor rolls it back.
    if (rc == SQLITE_OK)
        m_open = false;
    return rc;
}
