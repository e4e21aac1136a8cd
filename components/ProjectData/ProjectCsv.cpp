#include "ProjectData/ProjectCsv.h"

#include "ProjectData/CsvReader.h"
#include "ProjectData/ProjectDatabase.h"
#include "ProjectData/ProjectFile.h"
#include "ProjectData/ProjectTransaction.h"
#include "studio/Failure.h"

#include <QBuffer>
#include <QHash>
#include <QIODevice>
#include <QSet>

namespace {

void AppendField(QByteArray* line, const QByteArray& utf8) {
    if (utf8.contains(',') || utf8.contains('"') || utf8.contains('\n') || utf8.contains('\r')) {
        QByteArray quoted = utf8;
        quoted.replace("\"", "\"\"");
        line->append('"').append(quoted).append('"');
    } else {
        line->append(utf8);
    }
}

class Exporter {
public:
    Exporter(const ProjectFile& project, QIODevice* out) : m_project(project), m_out(out) {
        const QList<qint64> ids = project.LanguageIds();
        for (int i = 0; i < ids.size(); ++i)
            m_columns.insert(ids.at(i), i);
        QByteArray header("group,index");
        for (const QString& language : project.Languages())
            AppendField(&header.append(','), language.toUtf8());
        Write(header);
    }

    void Group(qint64 group, const QString& path) {
        QList<QByteArray> cells(m_columns.size());
        qint64 current = 0;
        bool any = false;
        m_project.ForEachText(group, [&](qint64 index, qint64 language, const QByteArray& text) {
            if (any && index != current) {
                Row(path, QString::number(current), cells);
                cells.fill(QByteArray());
            }
            any = true;
            current = index;
            cells[m_columns.value(language)] = text;
        });
        if (any)
            Row(path, QString::number(current), cells);
        else
            Row(path, QString(), cells);
        for (const GroupInfo& child : m_project.Children(group))
            Group(child.id, path + QLatin1Char('\\') + child.name);
    }

private:
    void Row(const QString& path, const QString& index, const QList<QByteArray>& cells) {
        QByteArray line;
        AppendField(&line, path.toUtf8());
        line.append(',').append(index.toLatin1());
        for (const QByteArray& cell : cells)
            AppendField(&line.append(','), cell);
        Write(line);
    }

    void Write(QByteArray& line) {
        line.append("\r\n");
        if (m_out->write(line) != line.size())
            throw Failure(Failure::InvalidCall,
                          QStringLiteral("cannot write the export: %1").arg(m_out->errorString()));
    }

    const ProjectFile& m_project;
    QIODevice* m_out;
    QHash<qint64, int> m_columns;
};

} // namespace

namespace ProjectCsv {

void Export(const ProjectFile& project, const QString& groupPath, QIODevice* out) {
    ProjectTransaction snapshot(project.Database(), ProjectTransaction::Kind::Read);
    Exporter exporter(project, out);
    if (!groupPath.isEmpty()) {
        const qint64 group = project.RequireGroup(groupPath);
        exporter.Group(group, project.GroupPath(group));
    } else {
        for (const GroupInfo& top : project.Children(ProjectFile::TopLevel))
            exporter.Group(top.id, top.name);
    }
    snapshot.Commit();
}

namespace {

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

// Sets the texts of one row after another, making the groups they name.
class RowImporter {
public:
    RowImporter(ProjectFile& project, const QStringList& languages) : m_project(project) {
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
        const qint64 index = IndexOf(row, group);
        for (qsizetype i = 0; i < m_languages.size(); ++i)
            m_project.SetTextUtf8(group, index, m_languages.at(i), fields.at(i + 2));
    }

    qsizetype Rows() const { return m_rows; }

private:
    qint64 GroupOf(const QByteArray& path, qsizetype line) {
        if (path.isEmpty())
            throw Fault(line, QStringLiteral("no group"));
        auto found = m_groups.constFind(path);
        if (found != m_groups.constEnd())
            return *found;
        const QString text = QString::fromUtf8(path);
        for (const QString& level : text.split(QLatin1Char('\\'))) {
            if (level.isEmpty())
                throw Fault(line, QStringLiteral("group \"%1\" has an empty level").arg(text));
        }
        return *m_groups.insert(path, m_project.EnsureGroup(text));
    }

    qint64 IndexOf(const CsvRecord& row, qint64 group) {
        const QByteArray& text = row.fields.at(1);
        bool ok = false;
        const qint64 index = text.toLongLong(&ok);
        if (!ok)
            throw Fault(row.line,
                        QStringLiteral("index \"%1\" is not a whole number").arg(QString::fromUtf8(text)));
        if (m_seen.contains({group, index}))
            throw Fault(row.line, QStringLiteral("index %1 of group \"%2\" twice")
                                      .arg(QString::number(index), QString::fromUtf8(row.fields.at(0))));
        m_seen.insert({group, index});
        return index;
    }

    ProjectFile& m_project;
    QList<qint64> m_languages;
    QHash<QByteArray, qint64> m_groups;
    QSet<std::pair<qint64, qint64>> m_seen;
    qsizetype m_rows = 0;
};

} // namespace

qsizetype Import(ProjectFile& project, QIODevice* csv, const QString& source) {
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
        RowImporter importer(project, ReadHeader(reader, &record));
        while (reader.Next(&record))
            importer.Import(record);
        rows = importer.Rows();
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
