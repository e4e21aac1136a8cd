#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

class SqliteDb;

// A prepared statement owned by its SqliteDb's cache. Reset on destruction so the next user
// finds it fresh; binding indexes start at 1, column indexes at 0. Two handles of one SQL text
// share the statement: a handle must not be used while another of the same text is stepping.
class SqliteStatement {
public:
    // A null stmt failed to prepare with prepareResult, which Result() then reports.
    SqliteStatement(SqliteDb& db, sqlite3_stmt* stmt, int prepareResult = 1 /* SQLITE_ERROR */);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Ready to bind and step again; bindings are kept.
    void Reset();
    void Bind(int index, qint64 value);
    void Bind(int index, const QString& text);
    // Binds a blob; an empty one as an empty blob, not NULL.
    void Bind(int index, const QByteArray& blob);
    // Binds text that is UTF-8 already.
    void BindUtf8(int index, const QByteArray& utf8);
    // Steps once: true when a row is available; false when done or failed (see Result()).
    bool Step();
    // The SQLite result of the last step: SQLITE_ROW, SQLITE_DONE or an error code.
    int Result() const { return m_result; }
    bool Done() const;
    // Whether the statement leaves the database as it is (SELECT, BEGIN, COMMIT, most PRAGMAs).
    bool IsReadOnly() const;

    bool IsNull(int column) const;
    qint64 Int(int column) const;
    QString Text(int column) const;
    // The bytes of a blob, or of a text in UTF-8.
    QByteArray Blob(int column) const;

private:
    SqliteDb& m_db;
    sqlite3_stmt* m_stmt;
    int m_result = 0;
};

// One SQLite connection with a cache of prepared statements; closes in its destructor.
class SqliteDb {
public:
    enum class OpenMode {
        ReadWriteCreate, // creates a missing file
        ReadWrite,       // the file must exist; a file SQLite may only read opens read-only (IsReadOnly)
        // Never writes. Where no WAL file exists and nobody may write beside the file (a read-only
        // medium, a folder without write permission), it is read as immutable: a WAL database
        // needs no shared-memory file then.
        ReadOnly,
    };

    SqliteDb() = default;
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // Opens the file with a busy timeout; returns the SQLite code (LastError() says why).
    int Open(const QString& file, int busyTimeoutMs, OpenMode mode = OpenMode::ReadWriteCreate);
    bool IsOpen() const { return m_db != nullptr; }
    // True when the main database cannot be written through this connection.
    bool IsReadOnly() const;
    // Runs one or more statements without results; returns the SQLite code.
    int Exec(const QString& sql);
    // The cached statement for sql (prepared on first use).
    SqliteStatement Prepare(const QString& sql);
    QString LastError() const;
    qint64 LastInsertId() const;
    sqlite3* Handle() const { return m_db; }
    // The database header's file change counter, read without taking a lock; false when the
    // file is too short to have a header yet.
    bool ChangeCounter(quint32* counter) const;

private:
    void Close();

    sqlite3* m_db = nullptr;
    QHash<QString, sqlite3_stmt*> m_statements;
    QString m_openError;
};

// A transaction for the life of the object: rolls back in the destructor unless committed.
class SqliteTransaction {
public:
    // Immediate takes the write lock up front (waiting out the busy timeout) instead of failing
    // half-way; Deferred gives a consistent snapshot for the reads inside it.
    enum class Kind { Immediate, Deferred };

    explicit SqliteTransaction(SqliteDb& db, Kind kind = Kind::Immediate);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    // The SQLite code of BEGIN; anything but SQLITE_OK means no transaction is open.
    int BeginResult() const { return m_begin; }
    // The SQLite code of COMMIT; a failed commit leaves the transaction to the destructor.
    int Commit();

private:
    SqliteDb& m_db;
    int m_begin;
    bool m_open = false;
};
