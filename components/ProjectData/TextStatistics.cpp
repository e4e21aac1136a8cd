#include "ProjectData/TextStatistics.h"

#include "ProjectData/LocaleTags.h"
#include "ProjectData/ProjectFile.h"
#include "ProjectData/ProjectTransaction.h"

#include <QHash>

namespace {

void Count(const ProjectFile& project, qint64 group, const QHash<qint64, qsizetype>& columns,
           TextStatistics* statistics) {
    qint64 current = 0;
    bool any = false;
    project.ForEachText(group, [&](qint64 index, qint64 language, const QByteArray&) {
        if (!any || index != current)
            ++statistics->indexes;
        any = true;
        current = index;
        ++statistics->languages[columns.value(language)].indexes;
    });
    for (const GroupInfo& child : project.Children(group))
        Count(project, child.id, columns, statistics);
}

} // namespace

TextStatistics TextStatistics::Of(const ProjectFile& project, const QString& groupPath) {
    ProjectTransaction snapshot(project.Database(), ProjectTransaction::Kind::Read);
    TextStatistics statistics;
    QHash<qint64, qsizetype> columns;
    const QList<qint64> ids = project.LanguageIds();
    for (const QString& name : project.Languages()) {
        columns.insert(ids.at(statistics.languages.size()), statistics.languages.size());
        statistics.languages.append({name, LocaleTags::TagOf(name)});
    }
    if (groupPath.isEmpty()) {
        for (const GroupInfo& top : project.Children(ProjectFile::TopLevel))
            Count(project, top.id, columns, &statistics);
    } else {
        Count(project, project.RequireGroup(groupPath), columns, &statistics);
    }
    snapshot.Commit();
    return statistics;
}
