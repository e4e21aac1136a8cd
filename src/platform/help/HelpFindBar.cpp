#include "platform/help/HelpFindBar.h"

#include "platform/windows/SystemLanguage.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QToolButton>

HelpFindBar::HelpFindBar(QTextEdit* page, QWidget* parent) : QWidget(parent), m_page(page) {
    setObjectName(QStringLiteral("findBar"));
    auto* label = new QLabel(SystemLanguage::Pick("F&ind:", "&Suchen:"));
    m_field = new QLineEdit;
    m_field->setObjectName(QStringLiteral("findText"));
    m_field->installEventFilter(this);
    label->setBuddy(m_field);
    auto* previous = new QToolButton;
    previous->setText(SystemLanguage::Pick("&Previous", "&Vorheriges"));
    previous->setToolTip(SystemLanguage::Pick("Previous (Shift+F3)", "Vorheriges (Umschalt+F3)"));
    auto* next = new QToolButton;
    next->setText(SystemLanguage::Pick("&Next", "&Nächstes"));
    next->setToolTip(SystemLanguage::Pick("Next (F3)", "Nächstes (F3)"));
    auto* close = new QToolButton;
    close->setText(SystemLanguage::Pick("Close", "Schließen"));
    close->setToolTip(SystemLanguage::Pick("Close the search bar (Esc)", "Suchleiste schließen (Esc)"));
    for (QToolButton* button : {previous, next, close}) {
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::TabFocus);
    }
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("findStatus"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(label);
    layout->addWidget(m_field, 1);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(m_status, 1);
    layout->addWidget(close);

    connect(previous, &QToolButton::clicked, this, &HelpFindBar::FindPrevious);
    connect(next, &QToolButton::clicked, this, &HelpFindBar::FindNext);
    connect(close, &QToolButton::clicked, this, &HelpFindBar::Close);
    connect(m_field, &QLineEdit::textEdited, this, [this] {
        // Find as the user types: again from where the selection begins.
        QTextCursor cursor = m_page->textCursor();
        cursor.setPosition(cursor.selectionStart());
        m_page->setTextCursor(cursor);
        FindNext();
    });
    hide();
}

void HelpFindBar::Open() {
    show();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

bool HelpFindBar::FindNext() { return Find({}); }

bool HelpFindBar::FindPrevious() { return Find(QTextDocument::FindBackward); }

bool HelpFindBar::Find(QTextDocument::FindFlags flags) {
    m_status->clear();
    const QString text = m_field->text();
    if (text.isEmpty())
        return false;
    if (m_page->find(text, flags))
        return true;
    const QTextCursor before = m_page->textCursor();
    QTextCursor end = before;
    end.movePosition(flags & QTextDocument::FindBackward ? QTextCursor::End : QTextCursor::Start);
    m_page->setTextCursor(end);
    if (m_page->find(text, flags)) {
        m_status->setText(flags & QTextDocument::FindBackward
                              ? SystemLanguage::Pick("Continued from the end", "Vom Ende her fortgesetzt")
                              : SystemLanguage::Pick("Continued from the top", "Vom Anfang her fortgesetzt"));
        return true;
    }
    m_page->setTextCursor(before);
    m_status->setText(SystemLanguage::Pick("Not found", "Nicht gefunden"));
    return false;
}

void HelpFindBar::Close() {
    hide();
    m_page->setFocus(Qt::OtherFocusReason);
}

bool HelpFindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ShiftModifier)
                FindPrevious();
            else
                FindNext();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
