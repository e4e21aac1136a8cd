#include "platform/help/HelpIndexPane.h"

#include "platform/help/ChmFile.h"
#include "platform/windows/SystemLanguage.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

namespace {

constexpr int EntryRole = Qt::UserRole;

// Asks which of the keyword's topics to show; nullopt when the user cancels.
std::optional<QString> ChooseTopic(QWidget* parent, const IndexEntry& entry) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("topicChooser"));
    dialog.setWindowTitle(SystemLanguage::Pick("Topics found", "Gefundene Themen"));
    auto* label =
        new QLabel(SystemLanguage::Pick("Choose a topic for \"%1\":", "Wählen Sie ein Thema zu „%1“:")
                       .arg(entry.keyword));
    auto* list = new QListWidget;
    list->setObjectName(QStringLiteral("topics"));
    for (const IndexTopic& topic : entry.topics)
        list->addItem(topic.title);
    list->setCurrentRow(0);
    label->setBuddy(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(SystemLanguage::Pick("&Show", "&Anzeigen"));
    buttons->button(QDialogButtonBox::Cancel)->setText(SystemLanguage::Pick("Cancel", "Abbrechen"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(list);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0)
        return std::nullopt;
    return entry.topics.at(list->currentRow()).topic;
}

} // namespace

HelpIndexPane::HelpIndexPane(std::shared_ptr<const ChmFile> file, QWidget* parent)
    : QWidget(parent), m_file(std::move(file)) {
    m_filter = new QLineEdit;
    m_filter->setObjectName(QStringLiteral("indexFilter"));
    m_filter->setPlaceholderText(SystemLanguage::Pick("Keyword to find", "Gesuchtes Stichwort"));
    m_filter->setClearButtonEnabled(true);
    m_filter->installEventFilter(this);
    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("keywords"));
    auto* show = new QPushButton(SystemLanguage::Pick("Sho&w", "&Anzeigen"));
    show->setObjectName(QStringLiteral("showKeyword"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_filter);
    layout->addWidget(m_list, 1);
    layout->addWidget(show, 0, Qt::AlignRight);

    connect(m_filter, &QLineEdit::textChanged, this, &HelpIndexPane::ApplyFilter);
    connect(m_filter, &QLineEdit::returnPressed, this, &HelpIndexPane::OpenSelected);
    connect(m_list, &QListWidget::itemActivated, this, &HelpIndexPane::OpenSelected);
    connect(show, &QPushButton::clicked, this, &HelpIndexPane::OpenSelected);
}

QStringList HelpIndexPane::Listed() {
    Load();
    QStringList keywords;
    for (int row = 0; row < m_list->count(); ++row)
        if (const QVariant entry = m_list->item(row)->data(EntryRole); entry.isValid())
            keywords.append(m_entries.at(entry.toInt()).keyword);
    return keywords;
}

void HelpIndexPane::showEvent(QShowEvent* event) {
    Load();
    QWidget::showEvent(event);
}

bool HelpIndexPane::eventFilter(QObject* watched, QEvent* event) {
    // The arrow keys in the filter field walk the list, as in the index of a desktop help viewer.
    if (watched == m_filter && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            QKeyEvent copy(QEvent::KeyPress, key, static_cast<QKeyEvent*>(event)->modifiers());
            QCoreApplication::sendEvent(m_list, &copy);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void HelpIndexPane::Load() {
    if (m_loaded)
        return;
    m_loaded = true;
    m_entries = ChmIndex::Read(*m_file);
    if (m_entries.isEmpty())
        m_list->addItem(
            SystemLanguage::Pick("This help file has no index.", "Diese Hilfedatei hat keinen Index."));
    else
        ApplyFilter(m_filter->text());
}

void HelpIndexPane::ApplyFilter(const QString& text) {
    if (m_entries.isEmpty())
        return;
    m_list->clear();
    for (int index : ChmIndex::Filter(m_entries, text)) {
        const IndexEntry& entry = m_entries.at(index);
        auto* item = new QListWidgetItem(QString(entry.depth * 4, QLatin1Char(' ')) + entry.keyword, m_list);
        item->setData(EntryRole, index);
    }
    m_list->setCurrentRow(0);
}

void HelpIndexPane::OpenSelected() {
    const QListWidgetItem* item = m_list->currentItem();
    if (!item || !item->data(EntryRole).isValid())
        return;
    const IndexEntry& entry = m_entries.at(item->data(EntryRole).toInt());
    if (entry.topics.isEmpty()) {
        if (!entry.seeAlso.isEmpty())
            m_filter->setText(entry.seeAlso);
        return;
    }
    if (entry.topics.size() == 1) {
        Q_EMIT TopicChosen(entry.topics.first().topic);
        return;
    }
    // Copied: the dialog's event loop may let the list change under it.
    const IndexEntry chosenFrom = entry;
    if (const std::optional<QString> topic = ChooseTopic(this, chosenFrom))
        Q_EMIT TopicChosen(*topic);
}
