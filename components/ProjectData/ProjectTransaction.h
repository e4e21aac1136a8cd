#pragma once

#include "platform/core/SqliteDb.h"

class ProjectDatabase;

// A transaction for the life of the object: rolled back in the destructor unless committed.
// Failures throw Failure naming the file.
class ProjectTransaction {
public:
    enum class Kind { Read, Write };

    // Write begins IMMEDIATE, so a writer waits for the lock up front (busy timeout) instead
    // of failing half-way; Read gives a consistent snapshot for the reads inside it.
    ProjectTransaction(ProjectDatabase& db, Kind kind);
    ProjectTransaction(const ProjectTransaction&) = delete;
    ProjectTransaction& operator=(const ProjectTransaction&) = delete;

    void Commit();

private:
    // BEGIN and COMMIT fail for what the transaction was meant to do, not for what they are.
    [[noreturn]] void Fail(int code) const;

    ProjectDatabase& m_db;
    Kind m_kind;
    SqliteTransaction m_transaction;
};
