#include "ProjectExplorer/ExplorerView.h"

#include "ProjectData/ProjectFile.h"
#include "ProjectExplorer/ExplorerTexts.h"
#include "studio/Failure.h"

#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

using ExplorerTexts::Text;

namespace {

constexpr int GroupIdRole = Qt::UserRole;

// Plain labels: a selectable one lays its text out as a document, which costs a visible part
// of the start-up.
QLabel* Fact(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

} // namespace

ExplorerView::ExplorerView(const ProjectFile& project, bool english, QWidget* parent)
    : QWidget(parent), m_project(project), m_groups(new QTreeWidget(this)), m_counting(new QTimer(this)) {
    auto* facts = new QFormLayout;
    facts->addRow(ExplorerTexts::Get(Text::Project, english) + QLatin1Char(':'),
                  Fact(QFileInfo(project.Path()).completeBaseName()));
    facts->addRow(ExplorerTexts::Get(Text::File, english) + QLatin1Char(':'), Fact(project.Path()));
    facts->addRow(ExplorerTexts::Get(Text::Languages, english) + QLatin1Char(':'),
                  Fact(project.Languages().join(QStringLiteral(", "))));

    m_groups->setColumnCount(2);
    m_groups->setHeaderLabels(
        {ExplorerTexts::Get(Text::Group, english), ExplorerTexts::Get(Text::Texts, english)});
    m_groups->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_groups->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_groups->header()->setStretchLastSection(false);
    AddGroups(ProjectFile::TopLevel, nullptr);
    m_groups->expandAll();
    connect(m_groups, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        Q_EMIT GroupActivated(item->data(0, GroupIdRole).toLongLong());
    });

    // A group per turn of the event loop: the window stays responsive while a large project counts.
    m_counting->setInterval(0);
    connect(m_counting, &QTimer::timeout, this, &ExplorerView::CountNext);
    m_groups->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(facts);
    layout->addWidget(m_groups, 1);
}

qint64 ExplorerView::SelectedGroup() const {
    const QTreeWidgetItem* item = m_groups->currentItem();
    return item && item->isSelected() ? item->data(0, GroupIdRole).toLongLong() : 0;
}

bool ExplorerView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_groups->viewport() && event->type() == QEvent::Paint) {
        // After this first paint, not before it.
        m_groups->viewport()->removeEventFilter(this);
        if (!m_uncounted.isEmpty())
            m_counting->start();
    }
    return QWidget::eventFilter(watched, event);
}

void ExplorerView::AddGroups(qint64 parent, QTreeWidgetItem* parentItem) {
    for (const GroupInfo& group : m_project.Children(parent)) {
        auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(m_groups);
        item->setText(0, group.name);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, GroupIdRole, group.id);
        m_uncounted.append(item);
        AddGroups(group.id, item);
    }
}

void ExplorerView::CountNext() {
    if (m_uncounted.isEmpty()) {
        m_counting->stop();
        return;
    }
    QTreeWidgetItem* item = m_uncounted.takeFirst();
    try {
        qint64 texts = 0;
        for (qint64 count : m_project.TextCounts(item->data(0, GroupIdRole).toLongLong()))
            texts += count;
        item->setText(1, QString::number(texts));
    } catch (const Failure&) {
        // A number that cannot be counted now stays blank; the group still opens and says why.
    }
    if (m_uncounted.isEmpty())
        m_counting->stop();
}
