#pragma once

#include <QTextDocument>
#include <QWidget>

class QLabel;
class QLineEdit;
class QTextEdit;

// Find in page: a bar below a help page with the text to find, "Previous" and "Next". Finding
// selects the next occurrence after the selection, without regard to case, and goes on from the
// other end of the page when it reaches one; the bar says so, or that the text is nowhere on the
// page. Typing finds as it goes; Enter finds the next, Shift+Enter the previous, Escape closes.
class HelpFindBar : public QWidget {
    Q_OBJECT
public:
    explicit HelpFindBar(QTextEdit* page, QWidget* parent = nullptr);

    QLineEdit* Field() const { return m_field; }
    QLabel* Status() const { return m_status; }

    // Shows the bar with its text selected and the focus in it.
    void Open();
    // False when the text is empty or nowhere on the page.
    bool FindNext();
    bool FindPrevious();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Find(QTextDocument::FindFlags flags);
    void Close();

    QTextEdit* m_page;
    QLineEdit* m_field = nullptr;
    QLabel* m_status = nullptr;
};
