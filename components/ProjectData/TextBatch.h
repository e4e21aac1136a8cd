#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <array>

class ProjectFile;

// Sets texts many to a statement: one statement per text costs more than the B-tree work of a
// large paste or import. Each Add replaces the text of that group, index and language, as
// ProjectFile::SetTextUtf8 does for a text that is not empty. The batch holds at most a
// statement's worth of texts; Flush writes them, and must run before the transaction commits.
class TextBatch {
public:
    static constexpr int Rows = 64;

    explicit TextBatch(ProjectFile& project) : m_project(project) {}

    void Add(qint64 group, qint64 index, qint64 language, QByteArrayView text);
    void Flush();

private:
    struct Row {
        qint64 group = 0;
        qint64 index = 0;
        qint64 language = 0;
        QByteArray text; // reused, so a long run allocates nothing per text
    };

    ProjectFile& m_project;
    std::array<Row, Rows> m_rows;
    int m_count = 0;
};
