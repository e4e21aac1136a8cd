#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

class SqliteDb;

// A prepared statement owned by its SqliteDb's cache. Reset on destruction so the next user
// finds it fresh; binding indexes start at 1, column indexes at 0.
class SqliteStatement {
public:
    // A null stmt failed to prepare with prepareResult, which Result() then reports.
    SqliteStatement(SqliteDb& db, sqlite3_stmt* stmt, int prepareResult = 1 /* SQLITE_ERROR */);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool IsValid() const { return m_stmt != nullptr; }
    void Bind(int index, qint64 value);
    void Bind(int index, const QString& text);
    void Bind(int index, const QByteArray& blob);
    // Steps once: true when a row is available; false when done or failed (see Result()).
    bool Step();
    // The SQLite result of the last step: SQLITE_ROW, SQLITE_DONE or an error code.
    int Result() const { return m_result; }
    bool Done() const;

    bool IsNull(int column) const;
    qint64 Int(int column) const;
    QString Text(int column) const;
    QByteArray Blob(int column) const;

private:
    SqliteDb& m_db;
    sqlite3_stmt* m_stmt;
    int m_result = 0;
};

// One SQLite connection with a cache of prepared statements; closes in its destructor.
class SqliteDb {
public:
    SqliteDb() = default;
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // Opens (creating when missing) the file read-write with a busy timeout; returns the SQLite code.
    int Open(const QString& file, int busyTimeoutMs);
    bool IsOpen() const { return m_db != nullptr; }
    // Runs one or more statements without results; returns the SQLite code.
    int Exec(const QString& sql);
    // The cached statement for sql (prepared on first use).
    SqliteStatement Prepare(const QString& sql);
    QString LastError() const;
    sqlite3* Handle() const { return m_db; }
    // The database header's file change counter, read without taking a lock; false when the
    // file is too short to have a header yet.
    bool ChangeCounter(quint32* counter) const;

private:
    void Close();

    sqlite3* m_db = nullptr;
    QHash<QString, sqlite3_stmt*> m_statements;
};

// BEGIN IMMEDIATE on construction; rolls back in the destructor unless committed.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteDb& db);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    // The SQLite code of BEGIN; anything but SQLITE_OK means no transaction is open.
    int BeginResult() const { return m_begin; }
    int Commit();

private:
    SqliteDb& m_db;
    int m_begin;
    bool m_open = false;
};
