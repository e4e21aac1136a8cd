#pragma once

#include "platform/help/ChmIndex.h"

#include <QWidget>
#include <memory>

class ChmFile;
class QLineEdit;
class QListWidget;

// The index tab of a help window: the file's keywords under a filter field. Typing narrows the
// list (ChmIndex::Filter) and selects the best match; Up and Down in the field move through the
// list. Enter or a double click opens the selected keyword's topic; a keyword with several
// topics asks which one in a dialog (object name "topicChooser"), a "See Also" keyword shows the
// keyword it refers to. The index is read when the pane is first shown.
class HelpIndexPane : public QWidget {
    Q_OBJECT
public:
    explicit HelpIndexPane(std::shared_ptr<const ChmFile> file, QWidget* parent = nullptr);

    QLineEdit* FilterField() const { return m_filter; }
    QListWidget* KeywordList() const { return m_list; }
    // The keywords listed, in order (reads the index if it was not yet read).
    QStringList Listed();
    // Opens the selected keyword as Enter does.
    void OpenSelected();

Q_SIGNALS:
    void TopicChosen(const QString& topic);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Load();
    void ApplyFilter(const QString& text);

    std::shared_ptr<const ChmFile> m_file;
    QList<IndexEntry> m_entries;
    bool m_loaded = false;
    QLineEdit* m_filter = nullptr;
    QListWidget* m_list = nullptr;
};
