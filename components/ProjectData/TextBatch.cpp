#include "ProjectData/TextBatch.h"

#include "ProjectData/ProjectDatabase.h"
#include "ProjectData/ProjectFile.h"
#include "ProjectData/ProjectStatement.h"

namespace {

const char* const SingleInsert = "INSERT OR REPLACE INTO texts(grp, idx, language, text) VALUES(?, ?, ?, ?)";

const QByteArray& BatchInsert() {
    static const QByteArray sql = [] {
        QByteArray text(SingleInsert);
        for (int i = 1; i < TextBatch::Rows; ++i)
            text.append(", (?, ?, ?, ?)");
        return text;
    }();
    return sql;
}

} // namespace

void TextBatch::Add(qint64 group, qint64 index, qint64 language, QByteArrayView text) {
    Row& row = m_rows[m_count++];
    row.group = group;
    row.index = index;
    row.language = language;
    row.text.resize(0);
    row.text.append(text.data(), text.size());
    if (m_count < Rows)
        return;
    ProjectStatement batch = m_project.Database().Cached(BatchInsert().constData());
    for (int i = 0; i < Rows; ++i) {
        const Row& pending = m_rows[i];
        batch.Bind(4 * i + 1, pending.group)
            .Bind(4 * i + 2, pending.index)
            .Bind(4 * i + 3, pending.language)
            .BindUtf8(4 * i + 4, pending.text);
    }
    batch.Run();
    m_count = 0;
}

void TextBatch::Flush() {
    if (m_count == 0)
        return;
    ProjectStatement single = m_project.Database().Cached(SingleInsert);
    for (int i = 0; i < m_count; ++i) {
        const Row& pending = m_rows[i];
        single.Reset()
            .Bind(1, pending.group)
            .Bind(2, pending.index)
            .Bind(3, pending.language)
            .BindUtf8(4, pending.text)
            .Run();
    }
    m_count = 0;
}
