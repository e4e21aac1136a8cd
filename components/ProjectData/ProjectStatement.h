#pragma once

#include <QByteArray>
#include <QString>

struct sqlite3_stmt;
class ProjectDatabase;

// A prepared statement, finalized with the object. Parameters and columns count from 1 and 0
// as in SQLite. Failures throw Failure naming the database file.
class ProjectStatement {
public:
    ProjectStatement(ProjectDatabase& db, const char* sql);
    ~ProjectStatement();
    ProjectStatement(const ProjectStatement&) = delete;
    ProjectStatement& operator=(const ProjectStatement&) = delete;

    // Ready for a fresh run; the caller binds every parameter again.
    ProjectStatement& Reset();
    ProjectStatement& Bind(int parameter, qint64 value);
    ProjectStatement& Bind(int parameter, const QString& value);
    // Text already in UTF-8.
    ProjectStatement& Bind(int parameter, const QByteArray& utf8);
    // True while it yields a row; false when done.
    bool Step();
    // Steps to the end, for statements without results.
    void Run();
    // The first column of the first row, or fallback without a row. Resets afterwards, so the
    // statement holds no read snapshot once the answer is in.
    qint64 SingleInteger(qint64 fallback);

    qint64 Integer(int column) const;
    QString Text(int column) const;
    // The column's text as SQLite holds it, in UTF-8.
    QByteArray Utf8(int column) const;
    bool IsNull(int column) const;

private:
    ProjectDatabase& m_db;
    sqlite3_stmt* m_statement = nullptr;
    QByteArray m_sql;
};
