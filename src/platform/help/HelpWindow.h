#pragma once

#include <QMainWindow>
#include <memory>

class ChmFile;
class HelpBrowser;
class HelpFindBar;
class HelpIndexPane;
class HelpSearchPane;
class QPagedPaintDevice;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

// A help window: one help file with the tabs Contents, Index and Search beside the page, a find
// bar below it, a toolbar (back, forward, start, print, copy, find, zoom) and a status line. A
// top-level window of its own; it deletes itself when closed and does not keep the process
// running. Keys: Alt+Left/Alt+Right back and forward, Ctrl+F find, F3/Shift+F3 find the next or
// previous occurrence, Ctrl++/Ctrl+-/Ctrl+0 zoom (kept for the windows opened later while the
// process runs), Ctrl+P print, Ctrl+C copy. Moving through the contents with the keyboard shows
// each topic; every control is reached with Tab. Texts follow the system's language.
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
    // Prints the topic shown on device (a printer or a PDF writer), as Ctrl+P does after its
    // dialog; only the selection when the device is set to print the selection.
    void PrintTo(QPagedPaintDevice& device);

    QTabWidget* Tabs() const { return m_tabs; }
    QTreeWidget* ContentsTree() const { return m_contents; }
    HelpIndexPane* IndexPane() const { return m_index; }
    HelpSearchPane* SearchPane() const { return m_search; }
    HelpBrowser* Browser() const { return m_browser; }
    HelpFindBar* FindBar() const { return m_findBar; }

Q_SIGNALS:
    // A link named another help file; the help system opens it.
    void OtherFileRequested(const QString& file, const QString& topic);

private:
    void CreatePanes();
    void CreateToolBar();
    void CreateShortcuts();
    void ConnectPanes();
    void FillContents();
    void ShowDefaultTopic(const QString& why);
    void ShowFoundTopic(const QString& topic, const QStringList& words);
    void Print();
    void Zoom(int steps);
    void OnSourceChanged(const QUrl& source);
    void OnContentsItemChosen(QTreeWidgetItem* item);

    std::shared_ptr<const ChmFile> m_file; // shared with the panes, which outlive this object's members
    qint32 m_id;
    QTabWidget* m_tabs = nullptr;
    QTreeWidget* m_contents = nullptr;
    HelpIndexPane* m_index = nullptr;
    HelpSearchPane* m_search = nullptr;
    HelpBrowser* m_browser = nullptr;
    HelpFindBar* m_findBar = nullptr;
    // While the tree follows the page, its new current item must not show a topic again.
    bool m_followingPage = false;
};
