#include "ProjectData/ProjectCsv.h"

#include "ProjectData/CsvReader.h"
#include "ProjectData/ProjectDatabase.h"
#include "ProjectData/ProjectFile.h"
#include "ProjectData/ProjectStatement.h"
#include "ProjectData/ProjectTransaction.h"
#include "ProjectData/TextBatch.h"
#include "studio/Failure.h"

#include <QBuffer>
#include <QHash>
#include <QIODevice>
#include <QSet>

#include <array>
#include <sqlite3.h>

namespace {

// How often, in texts or rows, a long run tells its progress.
constexpr int ProgressEvery = 4096;
// Output is handed to the device in blocks of about this size.
constexpr qsizetype OutputBlock = 256 * 1024;

void AppendField(QByteArray* line, QByteArrayView utf8) {
    if (utf8.contains(',') || utf8.contains('"') || utf8.contains('\n') || utf8.contains('\r')) {
        line->append('"');
        for (const char c : utf8) {
            if (c == '"')
                line->append('"');
            line->append(c);
        }
        line->append('"');
    } else {
        line->append(utf8.data(), utf8.size());
    }
}

// Writes rows in tree order into blocks, so that neither the project nor the file is ever held
// whole.
class Exporter {
public:
    Exporter(const ProjectFile& project, QIODevice* out, const ProjectCsv::Progress& progress, qint64 total)
        : m_project(project), m_out(out), m_progress(progress), m_total(total) {
        const QList<qint64> ids = project.LanguageIds();
        for (int i = 0; i < ids.size(); ++i)
            m_columns.insert(ids.at(i), i);
        m_cells.resize(ids.size());
        m_block.reserve(OutputBlock + 4096);
        m_block.append("group,index");
        for (const QString& language : project.Languages())
            AppendField(&m_block.append(','), language.toUtf8());
        m_block.append("\r\n");
    }

    void Group(qint64 group, const QString& path) {
        m_path.resize(0);
        AppendField(&m_path, path.toUtf8());
        qint64 current = 0;
        bool any = false;
        m_project.ForEachText(group, [&](qint64 index, qint64 language, const QByteArray& text) {
            if (any && index != current)
                Row(current);
            any = true;
            current = index;
            m_cells[m_columns.value(language)] = text;
            if (++m_done % ProgressEvery == 0 && m_progress)
                m_progress(m_done, m_total);
        });
        if (any)
            Row(current);
        else
            Row(std::nullopt);
        for (const GroupInfo& child : m_project.Children(group))
            Group(child.id, path + QLatin1Char('\\') + child.name);
    }

    void Finish() {
        Write();
        if (m_progress)
            m_progress(m_done, m_total);
    }

private:
    void Row(std::optional<qint64> index) {
        m_block.append(m_path).append(',');
        if (index)
            m_block.append(QByteArray::number(*index));
        for (QByteArray& cell : m_cells) {
            AppendField(&m_block.append(','), cell);
            cell.resize(0);
        }
        m_block.append("\r\n");
        if (m_block.size() >= OutputBlock)
            Write();
    }

    void Write() {
        if (m_out->write(m_block) != m_block.size())
            throw Failure(Failure::DeviceIOError,
                          QStringLiteral("cannot write the export: %1").arg(m_out->errorString()));
        m_block.resize(0);
    }

    const ProjectFile& m_project;
    QIODevice* m_out;
    const ProjectCsv::Progress& m_progress;
    qint64 m_total;
    qint64 m_done = 0;
    QHash<qint64, int> m_columns;
    QList<QByteArray> m_cells;
    QByteArray m_path; // the group's field, quoted as needed
    QByteArray m_block;
};

// How many texts an export of the group (with its subgroups) or of the whole project writes.
qint64 TextsToExport(const ProjectFile& project, std::optional<qint64> group) {
    if (!group)
        return project.Database().IntegerOf("SELECT COUNT(*) FROM texts");
    return project.Database()
        .Cached("WITH RECURSIVE sub(id) AS (SELECT ? UNION ALL "
                "SELECT g.id FROM groups AS g JOIN sub ON g.parent = sub.id) "
                "SELECT COUNT(*) FROM texts WHERE grp IN (SELECT id FROM sub)")
        .Bind(1, *group)
        .SingleInteger(0);
}

CsvError Fault(qsizetype line, const QString& what) { return CsvError{line, what, Failure::InvalidCall}; }

// The header's languages: the fields after group,index, none empty and none twice in any case.
QStringList ReadHeader(CsvReader& reader, CsvRecord* header) {
    if (!reader.Next(header))
        throw Fault(header->line, QStringLiteral("no header (expected group,index,<language>...)"));
    QStringList fields;
    for (const QByteArray& field : std::as_const(header->fields))
        fields << QString::fromUtf8(field);
    if (fields.size() < 2 || fields.at(0).compare(QLatin1String("group"), Qt::CaseInsensitive) != 0 ||
        fields.at(1).compare(QLatin1String("index"), Qt::CaseInsensitive) != 0)
        throw Fault(header->line, QStringLiteral("the header must begin with group,index"));
    const QStringList languages = fields.mid(2);
    QSet<QString> seen;
    for (const QString& language : languages) {
        if (language.trimmed().isEmpty())
            throw Fault(header->line, QStringLiteral("the header has an empty language"));
        if (seen.contains(language.toCaseFolded()))
            throw Fault(header->line, QStringLiteral("language \"%1\" twice in the header").arg(language));
        seen.insert(language.toCaseFolded());
    }
    return languages;
}

// Refuses an index twice in one group of an import. What was seen lies in a temporary table of
// the import's transaction, written in batches, so memory does not grow with the file.
class SeenIndexes {
public:
    explicit SeenIndexes(ProjectDatabase& db) : m_db(db) {
        db.Execute("CREATE TEMP TABLE import_seen(grp INTEGER, idx INTEGER, PRIMARY KEY(grp, idx)) "
                   "WITHOUT ROWID");
    }

    void Add(qint64 group, qint64 index, qsizetype line, const QByteArray& path) {
        Pending& row = m_pending[m_count++];
        row.group = group;
        row.index = index;
        row.line = line;
        // Copied into the row's own buffer: sharing the reader's would make it allocate anew.
        row.path.resize(0);
        row.path.append(path);
        if (m_count == Rows)
            Flush();
    }

    // Throws the fault of the first index seen twice among those added.
    void Flush() {
        const int count = std::exchange(m_count, 0);
        if (count == Rows && Insert(BatchSql(), 0, Rows))
            return;
        // One by one, to find which of them was seen before.
        for (int i = 0; i < count; ++i) {
            if (!Insert("INSERT INTO import_seen(grp, idx) VALUES(?, ?)", i, 1))
                throw Fault(m_pending[i].line, QStringLiteral("index %1 of group \"%2\" twice")
                                                   .arg(m_pending[i].index)
                                                   .arg(QString::fromUtf8(m_pending[i].path)));
        }
    }

    void Finish() {
        Flush();
        m_db.Execute("DROP TABLE import_seen");
    }

private:
    static constexpr int Rows = 64;

    struct Pending {
        qint64 group = 0;
        qint64 index = 0;
        qsizetype line = 0;
        QByteArray path;
    };

    static const QByteArray& BatchSql() {
        static const QByteArray sql = [] {
            QByteArray text("INSERT INTO import_seen(grp, idx) VALUES(?, ?)");
            for (int i = 1; i < Rows; ++i)
                text.append(", (?, ?)");
            return text;
        }();
        return sql;
    }

    // False when an index was there already; nothing of the statement stays then.
    bool Insert(const QByteArray& sql, int first, int count) {
        SqliteStatement insert = m_db.Connection().Prepare(QString::fromUtf8(sql));
        for (int i = 0; i < count; ++i) {
            insert.Bind(2 * i + 1, m_pending[first + i].group);
            insert.Bind(2 * i + 2, m_pending[first + i].index);
        }
        insert.Step();
        if (insert.Done())
            return true;
        if ((insert.Result() & 0xff) != SQLITE_CONSTRAINT)
            m_db.Fail(insert.Result(), QStringLiteral("cannot update"));
        return false;
    }

    ProjectDatabase& m_db;
    std::array<Pending, Rows> m_pending;
    int m_count = 0;
};

// Sets the texts of one row after another, making the groups they name.
class RowImporter {
public:
    RowImporter(ProjectFile& project, const QStringList& languages)
        : m_project(project), m_texts(project), m_seen(project.Database()) {
        for (const QString& language : languages) {
            project.AddLanguage(language);
            m_languages << project.LanguageId(language);
        }
    }

    void Import(const CsvRecord& row) {
        const QList<QByteArray>& fields = row.fields;
        if (fields.size() != m_languages.size() + 2)
            throw Fault(row.line, QStringLiteral("expected %1 fields, found %2")
                                      .arg(m_languages.size() + 2)
                                      .arg(fields.size()));
        const qint64 group = GroupOf(fields.at(0), row.line);
        ++m_rows;
        if (fields.at(1).isEmpty()) {
            for (qsizetype i = 2; i < fields.size(); ++i) {
                if (!fields.at(i).isEmpty())
                    throw Fault(row.line, QStringLiteral("texts without an index"));
            }
            return;
        }
        const qint64 index = IndexOf(row);
        m_seen.Add(group, index, row.line, fields.at(0));
        for (qsizetype i = 0; i < m_languages.size(); ++i) {
            const QByteArray& text = fields.at(i + 2);
            if (text.isEmpty())
                m_project.RemoveText(group, index, m_languages.at(i));
            else
                m_texts.Add(group, index, m_languages.at(i), text);
        }
    }

    // Checks the rows imported so far: the fault of an earlier row goes before a later one's.
    void Settle() { m_seen.Flush(); }

    void Finish() {
        m_seen.Finish();
        m_texts.Flush();
    }

    qsizetype Rows() const { return m_rows; }

private:
    // Rows of a group come together, so the last group answers most rows.
    qint64 GroupOf(const QByteArray& path, qsizetype line) {
        if (path.isEmpty())
            throw Fault(line, QStringLiteral("no group"));
        if (path == m_lastPath)
            return m_lastGroup;
        const QString text = QString::fromUtf8(path);
        for (const QString& level : text.split(QLatin1Char('\\'))) {
            if (level.isEmpty())
                throw Fault(line, QStringLiteral("group \"%1\" has an empty level").arg(text));
        }
        m_lastGroup = m_project.EnsureGroup(text);
        m_lastPath = path;
        return m_lastGroup;
    }

    static qint64 IndexOf(const CsvRecord& row) {
        const QByteArray& text = row.fields.at(1);
        bool ok = false;
        const qint64 index = text.toLongLong(&ok);
        if (!ok)
            throw Fault(row.line,
                        QStringLiteral("index \"%1\" is not a whole number").arg(QString::fromUtf8(text)));
        return index;
    }

    ProjectFile& m_project;
    QList<qint64> m_languages;
    TextBatch m_texts;
    SeenIndexes m_seen;
    QByteArray m_lastPath;
    qint64 m_lastGroup = 0;
    qsizetype m_rows = 0;
};

qsizetype ImportRows(ProjectFile& project, CsvReader& reader, CsvRecord* record,
                     const ProjectCsv::Progress& progress, qint64 total) {
    RowImporter importer(project, ReadHeader(reader, record));
    try {
        while (reader.Next(record)) {
            importer.Import(*record);
            if (progress && importer.Rows() % ProgressEvery == 0)
                progress(reader.Position(), total);
        }
        importer.Finish();
    } catch (...) {
        importer.Settle();
        throw;
    }
    if (progress)
        progress(reader.Position(), total);
    return importer.Rows();
}

} // namespace

namespace ProjectCsv {

void Export(const ProjectFile& project, const QString& groupPath, QIODevice* out, const Progress& progress) {
    ProjectTransaction snapshot(project.Database(), ProjectTransaction::Kind::Read);
    std::optional<qint64> group;
    if (!groupPath.isEmpty())
        group = project.RequireGroup(groupPath);
    Exporter exporter(project, out, progress, progress ? TextsToExport(project, group) : 0);
    if (group) {
        exporter.Group(*group, project.GroupPath(*group));
    } else {
        for (const GroupInfo& top : project.Children(ProjectFile::TopLevel))
            exporter.Group(top.id, top.name);
    }
    exporter.Finish();
    snapshot.Commit();
}

qsizetype Import(ProjectFile& project, QIODevice* csv, const QString& source, const Progress& progress) {
    CsvReader reader(csv);
    CsvRecord record;
    record.line = 1;
    ProjectTransaction transaction(project.Database(), ProjectTransaction::Kind::Write);
    auto nothingImported = [&](int number, qsizetype line, const QString& what) {
        return Failure(number,
                       QStringLiteral("%1 line %2: %3; nothing imported").arg(source).arg(line).arg(what));
    };
    qsizetype rows = 0;
    try {
        rows = ImportRows(project, reader, &record, progress, csv->isSequential() ? 0 : csv->size());
    } catch (const CsvError& error) {
        throw nothingImported(error.number, error.line, error.what);
    } catch (const Failure& failure) {
        // The project refused what the record at hand asked for.
        throw nothingImported(failure.Number(), record.line, failure.Description());
    }
    transaction.Commit();
    return rows;
}

qsizetype Import(ProjectFile& project, const QByteArray& csv, const QString& source) {
    QBuffer buffer;
    buffer.setData(csv);
    buffer.open(QIODevice::ReadOnly);
    return Import(project, &buffer, source);
}

} // namespace ProjectCsv
