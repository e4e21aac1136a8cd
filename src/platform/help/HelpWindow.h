#pragma once

#include <QMainWindow>
#include <memory>

class ChmFile;
class HelpBrowser;
class QTreeWidget;
class QTreeWidgetItem;

// A help window: one help file with its table of contents beside the page, back and forward
// buttons and a status line. A top-level window of its own; it deletes itself when closed and
// does not keep the process running.
class HelpWindow : public QMainWindow {
    Q_OBJECT
public:
    HelpWindow(std::unique_ptr<ChmFile> file, qint32 id);
    ~HelpWindow() override;

    // The number under which the help system knows this window (nonzero).
    qint32 Id() const { return m_id; }
    const ChmFile& File() const { return *m_file; }

    // Shows the topic that the file's map gives for contextId. A number the map lacks, or a
    // mapped topic the file does not hold, shows the default topic and says so in the status line.
    void ShowContext(quint32 contextId);
    // Shows a topic as written ("sub/page.htm#part"), the default topic for an empty text; a
    // topic the file lacks shows the default topic and says so.
    void ShowTopic(const QString& topic);
    // The topic shown, "/sub/page.htm#part".
    QString CurrentTopic() const;

    QTreeWidget* ContentsTree() const { return m_contents; }
    HelpBrowser* Browser() const { return m_browser; }

Q_SIGNALS:
    // A link named another help file; the help system opens it.
    void OtherFileRequested(const QString& file, const QString& topic);

private:
    void FillContents();
    void ShowDefaultTopic(const QString& why);
    void OnSourceChanged(const QUrl& source);
    void OnContentsItemChosen(QTreeWidgetItem* item);

    std::shared_ptr<const ChmFile> m_file; // shared with the browser, which outlives this object's members
    qint32 m_id;
    QTreeWidget* m_contents = nullptr;
    HelpBrowser* m_browser = nullptr;
};
