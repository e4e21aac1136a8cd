#include "ProjectData/ProjectCsv.h"

#include "ProjectData/CsvReader.h"
#include "ProjectData/ProjectDatabase.h"
#include "ProjectData/ProjectFile.h"
#include "ProjectData/ProjectTransaction.h"
#include "studio/Failure.h"

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

qsizetype ImportRecords(ProjectFile& project, CsvReader& reader, qsizetype* line) {
    auto fail = [](const QString& what) { return Failure(Failure::InvalidCall, what); };
    QStringList fields;
    if (!reader.Next(&fields, line))
        throw fail(QStringLiteral("no header (expected group,index,<language>...)"));
    if (fields.size() < 2 || fields.at(0).compare(QLatin1String("group"), Qt::CaseInsensitive) != 0 ||
        fields.at(1).compare(QLatin1String("index"), Qt::CaseInsensitive) != 0)
        throw fail(QStringLiteral("the header must begin with group,index"));
    const QStringList languages = fields.mid(2);
    QSet<QString> seenLanguages;
    for (const QString& language : languages) {
        if (language.trimmed().isEmpty())
            throw fail(QStringLiteral("the header has an empty language"));
        if (seenLanguages.contains(language.toCaseFolded()))
            throw fail(QStringLiteral("language \"%1\" twice in the header").arg(language));
        seenLanguages.insert(language.toCaseFolded());
    }
    QList<qint64> languageIds;
    for (const QString& language : languages) {
        project.AddLanguage(language);
        languageIds << project.LanguageId(language);
    }

    QHash<QString, qint64> groups;
    QSet<std::pair<qint64, qint64>> seen;
    qsizetype rows = 0;
    while (reader.Next(&fields, line)) {
        if (fields.size() != languages.size() + 2)
            throw fail(
                QStringLiteral("expected %1 fields, found %2").arg(languages.size() + 2).arg(fields.size()));
        const QString& path = fields.at(0);
        if (path.isEmpty())
            throw fail(QStringLiteral("no group"));
        auto found = groups.constFind(path);
        if (found == groups.constEnd()) {
            for (const QString& level : path.split(QLatin1Char('\\'))) {
                if (level.isEmpty())
                    throw fail(QStringLiteral("group \"%1\" has an empty level").arg(path));
            }
            found = groups.insert(path, project.EnsureGroup(path));
        }
        const qint64 group = *found;
        ++rows;
        const QString& indexText = fields.at(1);
        if (indexText.isEmpty()) {
            for (qsizetype i = 2; i < fields.size(); ++i) {
                if (!fields.at(i).isEmpty())
                    throw fail(QStringLiteral("texts without an index"));
            }
            continue;
        }
        bool ok = false;
        const qint64 index = indexText.toLongLong(&ok);
        if (!ok)
            throw fail(QStringLiteral("index \"%1\" is not a whole number").arg(indexText));
        if (seen.contains({group, index}))
            throw fail(QStringLiteral("index %1 of group \"%2\" twice").arg(QString::number(index), path));
        seen.insert({group, index});
        for (qsizetype i = 0; i < languageIds.size(); ++i)
            project.SetText(group, index, languageIds.at(i), fields.at(i + 2));
    }
    return rows;
}

} // namespace

qsizetype Import(ProjectFile& project, const QByteArray& csv, const QString& source) {
    CsvReader reader(csv);
    qsizetype line = 1;
    ProjectTransaction transaction(project.Database(), ProjectTransaction::Kind::Write);
    qsizetype rows = 0;
    try {
        rows = ImportRecords(project, reader, &line);
    } catch (const Failure& failure) {
        // The reader names the line itself; everything else fails on the current record.
        QString what = failure.Description();
        if (!what.startsWith(QLatin1String("line ")))
            what = QStringLiteral("line %1: %2").arg(QString::number(line), what);
        throw Failure(failure.Number(), QStringLiteral("%1 %2; nothing imported").arg(source, what));
    }
    transaction.Commit();
    return rows;
}

} // namespace ProjectCsv
