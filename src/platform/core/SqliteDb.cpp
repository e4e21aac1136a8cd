#include "platform/core/SqliteDb.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace {

// True when no WAL file lies beside the file and nobody may make one: a read-only medium, or a
// folder without any write permission. Then nothing can change the file while it is read.
bool NoWriterCanExist(const QString& file) {
    if (QFileInfo::exists(file + QStringLiteral("-wal")))
        return false;
    const QByteArray folder = QFile::encodeName(QFileInfo(file).absolutePath());
    struct statvfs medium {};
    if (::statvfs(folder.constData(), &medium) == 0 && (medium.f_flag & ST_RDONLY))
        return true;
    struct stat info {};
    return ::stat(folder.constData(), &info) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// The name to open file by: as a URI with immutable=1 where a read-only connection may take it
// so; a WAL database otherwise wants a shared-memory file beside it, which such a folder cannot hold.
QByteArray NameToOpen(const QString& file, SqliteDb::OpenMode mode) {
    if (mode != SqliteDb::OpenMode::ReadOnly || !NoWriterCanExist(file))
        return file.toUtf8();
    return "file:" + QUrl::toPercentEncoding(QFileInfo(file).absoluteFilePath(), "/") + "?immutable=1";
}

int OpenFlags(SqliteDb::OpenMode mode) {
    const int flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI;
    switch (mode) {
    case SqliteDb::OpenMode::ReadWriteCreate: return flags | SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    case SqliteDb::OpenMode::ReadWrite: return flags | SQLITE_OPEN_READWRITE;
    case SqliteDb::OpenMode::ReadOnly: return flags | SQLITE_OPEN_READONLY;
    }
    return flags;
}

} // namespace

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

void SqliteStatement::Reset() {
    if (m_stmt)
        sqlite3_reset(m_stmt);
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

void SqliteStatement::BindUtf8(int index, const QByteArray& utf8) {
    if (m_stmt)
        sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

bool SqliteStatement::Step() {
    if (!m_stmt)
        return false;
    m_result = sqlite3_step(m_stmt);
    return m_result == SQLITE_ROW;
}

bool SqliteStatement::Done() const { return m_result == SQLITE_DONE; }

bool SqliteStatement::IsReadOnly() const { return !m_stmt || sqlite3_stmt_readonly(m_stmt) != 0; }

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

int SqliteDb::Open(const QString& file, int busyTimeoutMs, OpenMode mode) {
    Close();
    m_openError.clear();
    const int rc = sqlite3_open_v2(NameToOpen(file, mode).constData(), &m_db, OpenFlags(mode), nullptr);
    if (rc != SQLITE_OK) {
        m_openError = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
        Close();
        return rc;
    }
    sqlite3_extended_result_codes(m_db, 0);
    sqlite3_busy_timeout(m_db, busyTimeoutMs);
    return SQLITE_OK;
}

bool SqliteDb::IsReadOnly() const { return !m_db || sqlite3_db_readonly(m_db, "main") == 1; }

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
    if (m_db)
        return QString::fromUtf8(sqlite3_errmsg(m_db));
    return m_openError.isEmpty() ? QStringLiteral("database not open") : m_openError;
}

qint64 SqliteDb::LastInsertId() const { return m_db ? sqlite3_last_insert_rowid(m_db) : 0; }

SqliteTransaction::SqliteTransaction(SqliteDb& db, Kind kind) : m_db(db) {
    m_begin = m_db.Exec(kind == Kind::Immediate ? QStringLiteral("BEGIN IMMEDIATE")
                                                : QStringLiteral("BEGIN DEFERRED"));
    m_open = m_begin == SQLITE_OK;
}

SqliteTransaction::~SqliteTransaction() {
    // SQLite may have rolled back on its own already (a full disk, an interrupt).
    if (m_open && m_db.Handle() && sqlite3_get_autocommit(m_db.Handle()) == 0)
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
