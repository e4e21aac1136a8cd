#include "ProjectExplorer/GroupTextsView.h"

#include "ProjectExplorer/ExplorerTexts.h"
#include "ProjectExplorer/GroupTextsModel.h"

#include <QHeaderView>

GroupTextsView::GroupTextsView(const ProjectFile& project, qint64 group, bool english, QWidget* parent)
    : QTableView(parent),
      m_texts(new GroupTextsModel(project, group, ExplorerTexts::Get(ExplorerTexts::Text::Index, english),
                                  this)) {
    setModel(m_texts);
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setWordWrap(false);
    resizeColumnsToContents();
    horizontalHeader()->setStretchLastSection(true);
}
