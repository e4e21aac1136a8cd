#pragma once

#include "platform/core/SqliteDb.h"

#include <QByteArray>
#include <QString>

class ProjectDatabase;

// A handle of a statement cached by a ProjectDatabase, with the project's error policy: a failure
// throws Failure naming the file and saying whether it was reading or updating. Parameters and
// columns count from 1 and 0 as in SQLite. Reset when the handle goes.
class ProjectStatement {
public:
    ProjectStatement(ProjectDatabase& db, const char* sql);

    // Ready for a fresh run; the caller binds every parameter again.
    ProjectStatement& Reset();
    ProjectStatement& Bind(int parameter, qint64 value);
    ProjectStatement& Bind(int parameter, const QString& value);
    // Text already in UTF-8.
    ProjectStatement& BindUtf8(int parameter, const QByteArray& utf8);
    // Bytes are bound as UTF-8 text by BindUtf8, never through a conversion to QString.
    ProjectStatement& Bind(int parameter, const QByteArray&) = delete;
    // True while it yields a row; false when done.
    bool Step();
    // Steps to the end, for statements without results.
    void Run();
    // The first column of the first row, or fallback without a row. Resets afterwards, so the
    // statement holds no read snapshot once the answer is in.
    qint64 SingleInteger(qint64 fallback);

    qint64 Integer(int column) const { return m_statement.Int(column); }
    QString Text(int column) const { return m_statement.Text(column); }
    // The column's text as SQLite holds it, in UTF-8.
    QByteArray Utf8(int column) const { return m_statement.Blob(column); }

private:
    ProjectDatabase& m_db;
    SqliteStatement m_statement;
};
