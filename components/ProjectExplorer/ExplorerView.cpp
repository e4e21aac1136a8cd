#include "ProjectExplorer/ExplorerView.h"

#include "ProjectData/ProjectFile.h"
#include "ProjectExplorer/ExplorerTexts.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

using ExplorerTexts::Text;

namespace {

constexpr int GroupIdRole = Qt::UserRole;

QLabel* Selectable(const QString& text) {
    auto* label = new QLabel(text);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

} // namespace

ExplorerView::ExplorerView(const ProjectFile& project, bool english, QWidget* parent)
    : QWidget(parent), m_groups(new QTreeWidget(this)) {
    auto* facts = new QFormLayout;
    facts->addRow(ExplorerTexts::Get(Text::Project, english) + QLatin1Char(':'),
                  Selectable(QFileInfo(project.Path()).completeBaseName()));
    facts->addRow(ExplorerTexts::Get(Text::File, english) + QLatin1Char(':'), Selectable(project.Path()));
    facts->addRow(ExplorerTexts::Get(Text::Languages, english) + QLatin1Char(':'),
                  Selectable(project.Languages().join(QStringLiteral(", "))));

    m_groups->setColumnCount(2);
    m_groups->setHeaderLabels(
        {ExplorerTexts::Get(Text::Group, english), ExplorerTexts::Get(Text::Texts, english)});
    m_groups->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_groups->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_groups->header()->setStretchLastSection(false);
    AddGroups(project, ProjectFile::TopLevel, nullptr);
    m_groups->expandAll();
    connect(m_groups, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        Q_EMIT GroupActivated(item->data(0, GroupIdRole).toLongLong());
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(facts);
    layout->addWidget(m_groups, 1);
}

qint64 ExplorerView::SelectedGroup() const {
    const QTreeWidgetItem* item = m_groups->currentItem();
    return item && item->isSelected() ? item->data(0, GroupIdRole).toLongLong() : 0;
}

void ExplorerView::AddGroups(const ProjectFile& project, qint64 parent, QTreeWidgetItem* parentItem) {
    for (const GroupInfo& group : project.Children(parent)) {
        qint64 texts = 0;
        for (qint64 count : project.TextCounts(group.id))
            texts += count;
        auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(m_groups);
        item->setText(0, group.name);
        item->setText(1, QString::number(texts));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, GroupIdRole, group.id);
        AddGroups(project, group.id, item);
    }
}
