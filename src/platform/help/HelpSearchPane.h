#pragma once

#include "platform/help/HelpSearchIndex.h"

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>

class ChmFile;
class QLabel;
class QLineEdit;
class QThread;
class QTreeWidget;
class QTreeWidgetItem;

// The search tab of a help window: words to find, a "Search" button and the topics found, with
// their titles and hits, most hits first (HelpSearchIndex). The index is built on a thread of its
// own when the pane is first shown, so the window answers meanwhile; a search asked for before
// it is ready runs when it is. Enter or a double click on a topic opens it.
class HelpSearchPane : public QWidget {
    Q_OBJECT
public:
    explicit HelpSearchPane(std::shared_ptr<const ChmFile> file, QWidget* parent = nullptr);
    // Waits for a build still running.
    ~HelpSearchPane() override;

    QLineEdit* QueryField() const { return m_query; }
    QTreeWidget* Results() const { return m_results; }
    QLabel* Status() const { return m_status; }
    bool IndexReady() const { return m_index.has_value(); }

    // Searches for the words in the query field, building the index first if need be.
    void Search();

Q_SIGNALS:
    // A found topic was opened; words are the words searched for.
    void TopicChosen(const QString& topic, const QStringList& words);
    // The index is built and a pending search has run.
    void IndexBuilt();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void StartBuilding();
    void ShowResults();
    void OpenResult(QTreeWidgetItem* item);

    std::shared_ptr<const ChmFile> m_file;
    std::optional<HelpSearchIndex> m_index;
    QPointer<QThread> m_builder;
    bool m_searchPending = false;
    QLineEdit* m_query = nullptr;
    QTreeWidget* m_results = nullptr;
    QLabel* m_status = nullptr;
};
