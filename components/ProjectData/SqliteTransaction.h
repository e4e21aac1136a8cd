#pragma once

class SqliteDatabase;

// A transaction for the life of the object: rolled back in the destructor unless committed.
class SqliteTransaction {
public:
    enum class Kind { Read, Write };

    // Write begins IMMEDIATE, so a writer waits for the lock up front (busy timeout) instead
    // of failing half-way; Read gives a consistent snapshot for the reads inside it.
    SqliteTransaction(SqliteDatabase& db, Kind kind);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    void Commit();

private:
    SqliteDatabase& m_db;
    bool m_open = true;
};
