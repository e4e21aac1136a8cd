#pragma once

#include "platform/core/SqliteDb.h"

#include <QString>

class ProjectStatement;

// A project's SQLite connection with the project's error policy: every failure throws Failure
// with a description that names the file. Statements are SqliteDb's, cached for the connection.
class ProjectDatabase {
public:
    enum class Mode { ReadOnly, ReadWrite, Create };

    // Opens path; Mode::Create also creates a missing file. Throws Failure when it cannot, and
    // Failure 75 "cannot update <path>: ..." in a writing mode when the file or its folder is
    // read-only. ReadOnly reads a project on a read-only medium too.
    ProjectDatabase(const QString& path, Mode mode);
    ProjectDatabase(const ProjectDatabase&) = delete;
    ProjectDatabase& operator=(const ProjectDatabase&) = delete;

    const QString& Path() const { return m_path; }
    // Runs one statement without results; a failure says "cannot read" or "cannot update" as
    // the statement reads or writes.
    void Execute(const char* sql);
    // A single integer answer, e.g. of a PRAGMA; fallback when the statement yields no row.
    qint64 IntegerOf(const char* sql, qint64 fallback = 0);
    // The statement for sql, prepared once per connection, ready to bind.
    ProjectStatement Cached(const char* sql);
    qint64 LastInsertId() const { return m_db.LastInsertId(); }
    SqliteDb& Connection() { return m_db; }
    // Throws Failure describing the connection's last error, with what we were doing.
    [[noreturn]] void Fail(int code, const QString& doing) const;

private:
    QString m_path;
    SqliteDb m_db;
};
