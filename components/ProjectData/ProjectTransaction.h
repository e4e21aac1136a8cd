#pragma once

class ProjectDatabase;

// A transaction for the life of the object: rolled back in the destructor unless committed.
class ProjectTransaction {
public:
    enum class Kind { Read, Write };

    // Write begins IMMEDIATE, so a writer waits for the lock up front (busy timeout) instead
    // of failing half-way; Read gives a consistent snapshot for the reads inside it.
    ProjectTransaction(ProjectDatabase& db, Kind kind);
    ~ProjectTransaction();
    ProjectTransaction(const ProjectTransaction&) = delete;
    ProjectTransaction& operator=(const ProjectTransaction&) = delete;

    void Commit();

private:
    void Run(const char* sql);

    ProjectDatabase& m_db;
    Kind m_kind;
    bool m_open = true;
};
