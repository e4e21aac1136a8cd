#include "ProjectExplorer/GroupTextsView.h"

#include "ProjectData/ProjectFile.h"
#include "ProjectExplorer/ExplorerTexts.h"

#include <QHash>
#include <QHeaderView>

GroupTextsView::GroupTextsView(const ProjectFile& project, qint64 group, bool english, QWidget* parent)
    : QTableWidget(parent) {
    const QList<qint64> languages = project.LanguageIds();
    QHash<qint64, int> columnOf;
    for (int i = 0; i < languages.size(); ++i)
        columnOf.insert(languages.at(i), i + 1);

    setColumnCount(int(languages.size()) + 1);
    setHorizontalHeaderLabels(QStringList{ExplorerTexts::Get(ExplorerTexts::Text::Index, english)} +
                              project.Languages());
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);

    // Texts come ordered by index, so a new index is always a new last row.
    qint64 lastIndex = 0;
    bool any = false;
    project.ForEachText(group, [&](qint64 index, qint64 language, const QString& text) {
        if (!any || index != lastIndex) {
            const int row = rowCount();
            insertRow(row);
            auto* indexItem = new QTableWidgetItem(QString::number(index));
            indexItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            setItem(row, 0, indexItem);
            lastIndex = index;
            any = true;
        }
        if (const int column = columnOf.value(language, 0); column > 0)
            setItem(rowCount() - 1, column, new QTableWidgetItem(text));
    });
    resizeColumnsToContents();
    horizontalHeader()->setStretchLastSection(true);
}
