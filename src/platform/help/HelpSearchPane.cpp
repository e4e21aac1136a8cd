#include "platform/help/HelpSearchPane.h"

#include "platform/help/ChmFile.h"
#include "platform/windows/SystemLanguage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int TopicRole = Qt::UserRole;

} // namespace

HelpSearchPane::HelpSearchPane(std::shared_ptr<const ChmFile> file, QWidget* parent)
    : QWidget(parent), m_file(std::move(file)) {
    m_query = new QLineEdit;
    m_query->setObjectName(QStringLiteral("searchQuery"));
    m_query->setPlaceholderText(SystemLanguage::Pick("Words to find", "Gesuchte Wörter"));
    m_query->setClearButtonEnabled(true);
    auto* search = new QPushButton(SystemLanguage::Pick("List &topics", "Themen &auflisten"));
    search->setObjectName(QStringLiteral("searchButton"));
    m_results = new QTreeWidget;
    m_results->setObjectName(QStringLiteral("searchResults"));
    m_results->setRootIsDecorated(false);
    m_results->setColumnCount(2);
    m_results->setHeaderLabels(
        {SystemLanguage::Pick("Title", "Titel"), SystemLanguage::Pick("Hits", "Treffer")});
    m_results->header()->setStretchLastSection(false);
    m_results->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_results->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("searchStatus"));
    m_status->setWordWrap(true);

    auto* row = new QHBoxLayout;
    row->addWidget(m_query, 1);
    row->addWidget(search);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(row);
    layout->addWidget(m_results, 1);
    layout->addWidget(m_status);

    connect(m_query, &QLineEdit::returnPressed, this, &HelpSearchPane::Search);
    connect(search, &QPushButton::clicked, this, &HelpSearchPane::Search);
    connect(m_results, &QTreeWidget::itemActivated, this, &HelpSearchPane::OpenResult);
}

HelpSearchPane::~HelpSearchPane() {
    if (m_builder)
        m_builder->wait();
}

void HelpSearchPane::showEvent(QShowEvent* event) {
    StartBuilding();
    QWidget::showEvent(event);
}

void HelpSearchPane::StartBuilding() {
    if (m_index || m_builder)
        return;
    m_status->setText(SystemLanguage::Pick("Building the search index …", "Der Suchindex wird aufgebaut …"));
    auto built = std::make_shared<HelpSearchIndex>();
    // The file is only read, and the index is handed over when the thread has finished.
    m_builder = QThread::create([file = m_file, built] { *built = HelpSearchIndex::Build(*file); });
    m_builder->setParent(this);
    connect(m_builder, &QThread::finished, this, [this, built] {
        m_builder->deleteLater();
        m_index = std::move(*built);
        m_status->clear();
        if (m_searchPending)
            ShowResults();
        Q_EMIT IndexBuilt();
    });
    m_builder->start();
}

void HelpSearchPane::Search() {
    m_searchPending = true;
    if (m_index)
        ShowResults();
    else
        StartBuilding();
}

void HelpSearchPane::ShowResults() {
    m_searchPending = false;
    m_results->clear();
    const QList<SearchHit> hits = m_index->Search(m_query->text());
    for (const SearchHit& hit : hits) {
        auto* item = new QTreeWidgetItem(m_results, {hit.title, QString::number(hit.hits)});
        item->setData(0, TopicRole, hit.topic);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (HelpSearchIndex::Words(m_query->text()).isEmpty())
        m_status->clear();
    else if (hits.isEmpty())
        m_status->setText(
            SystemLanguage::Pick("No topic holds every word.", "Kein Thema enthält alle Wörter."));
    else if (hits.size() == 1)
        m_status->setText(SystemLanguage::Pick("1 topic found", "1 Thema gefunden"));
    else
        m_status->setText(SystemLanguage::Pick("%1 topics found", "%1 Themen gefunden").arg(hits.size()));
    if (!hits.isEmpty())
        m_results->setCurrentItem(m_results->topLevelItem(0));
}

void HelpSearchPane::OpenResult(QTreeWidgetItem* item) {
    if (item)
        Q_EMIT TopicChosen(item->data(0, TopicRole).toString(), HelpSearchIndex::Words(m_query->text()));
}
