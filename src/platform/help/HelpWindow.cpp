#include "platform/help/HelpWindow.h"
#include "platform/windows/PlatformGuiLog.h"

#include "platform/core/ObjectFactory.h"
#include "platform/help/ChmFile.h"
#include "platform/help/ChmSitemap.h"
#include "platform/help/HelpBrowser.h"
#include "platform/help/HelpFindBar.h"
#include "platform/help/HelpIndexPane.h"
#include "platform/help/HelpSearchPane.h"
#include "platform/help/print/HelpPrint.h"
#include "platform/windows/MessageBox.h"
#include "platform/windows/SystemLanguage.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace {

constexpr int TopicRole = Qt::UserRole;
constexpr int SmallestZoom = -6;
constexpr int LargestZoom = 12;

// Zoom steps of the help windows; a window opened later starts with them.
int zoomSteps = 0;

QString MissingTopicText(const QString& topic) {
    return SystemLanguage::Pick("The topic %1 is not in this help file.",
                                "Das Thema %1 ist nicht in dieser Hilfedatei.")
        .arg(topic);
}

QString WithoutAnchor(const QString& topic) { return topic.section(QLatin1Char('#'), 0, 0); }

void AddEntries(const ChmFile& file, const QList<SitemapEntry>& entries, QTreeWidgetItem* parent,
                QTreeWidget* tree) {
    for (const SitemapEntry& entry : entries) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, entry.name);
        if (!entry.local.isEmpty()) {
            const QString topic = file.ResolveTopic(entry.local);
            // An entry whose topic is missing stays visible; choosing it says so.
            item->setData(0, TopicRole, topic.isEmpty() ? entry.local : topic);
        }
        AddEntries(file, entry.children, item, tree);
    }
}

QAction* AddTool(QToolBar* toolBar, const char* name, const QIcon& icon, const QString& text,
                 const QList<QKeySequence>& keys) {
    QAction* action = toolBar->addAction(icon, text);
    action->setObjectName(QLatin1String(name));
    action->setShortcuts(keys);
    if (!keys.isEmpty())
        action->setToolTip(
            QStringLiteral("%1 (%2)").arg(text, keys.first().toString(QKeySequence::NativeText)));
    // Tool buttons take no focus by default; here Tab reaches every control.
    toolBar->widgetForAction(action)->setFocusPolicy(Qt::TabFocus);
    return action;
}

} // namespace

HelpWindow::HelpWindow(std::unique_ptr<ChmFile> file, qint32 id) : m_file(std::move(file)), m_id(id) {
    setAttribute(Qt::WA_DeleteOnClose);
    // Help windows vanish with the process instead of keeping it alive.
    setAttribute(Qt::WA_QuitOnClose, false);
    const QString title = m_file->Title();
    setWindowTitle(title.isEmpty() ? QFileInfo(m_file->LocalPath()).fileName() : title);
    setWindowIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));

    CreatePanes();
    CreateToolBar();
    CreateShortcuts();
    ConnectPanes();
    statusBar();
    FillContents();
    resize(900, 640);
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::CreatePanes() {
    m_contents = new QTreeWidget;
    m_contents->setObjectName(QStringLiteral("contents"));
    m_contents->setHeaderHidden(true);
    m_contents->setColumnCount(1);
    m_index = new HelpIndexPane(m_file);
    m_index->setObjectName(QStringLiteral("index"));
    m_search = new HelpSearchPane(m_file);
    m_search->setObjectName(QStringLiteral("search"));
    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("navigationTabs"));
    m_tabs->addTab(m_contents, SystemLanguage::Pick("&Contents", "&Inhalt"));
    m_tabs->addTab(m_index, SystemLanguage::Pick("I&ndex", "I&ndex"));
    m_tabs->addTab(m_search, SystemLanguage::Pick("&Search", "&Suchen"));

    m_browser = new HelpBrowser(m_file);
    m_browser->setObjectName(QStringLiteral("page"));
    m_browser->zoomIn(zoomSteps);
    m_findBar = new HelpFindBar(m_browser);
    auto* pageSide = new QWidget;
    auto* pageLayout = new QVBoxLayout(pageSide);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    pageLayout->addWidget(m_browser, 1);
    pageLayout->addWidget(m_findBar);

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(m_tabs);
    splitter->addWidget(pageSide);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});
    setCentralWidget(splitter);
}

void HelpWindow::CreateToolBar() {
    QToolBar* toolBar = addToolBar(SystemLanguage::Pick("Navigation", "Navigation"));
    toolBar->setObjectName(QStringLiteral("navigation"));
    toolBar->setMovable(false);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction* back = AddTool(toolBar, "back", style()->standardIcon(QStyle::SP_ArrowBack),
                            SystemLanguage::Pick("Back", "Zurück"), {QKeySequence(Qt::ALT | Qt::Key_Left)});
    QAction* forward =
        AddTool(toolBar, "forward", style()->standardIcon(QStyle::SP_ArrowForward),
                SystemLanguage::Pick("Forward", "Vorwärts"), {QKeySequence(Qt::ALT | Qt::Key_Right)});
    QAction* home = AddTool(toolBar, "home", style()->standardIcon(QStyle::SP_DirHomeIcon),
                            SystemLanguage::Pick("Start", "Startseite"), {});
    toolBar->addSeparator();
    QAction* print = AddTool(toolBar, "print", QIcon::fromTheme(QStringLiteral("document-print")),
                             SystemLanguage::Pick("Print", "Drucken"), {QKeySequence::Print});
    QAction* copy = AddTool(toolBar, "copy", QIcon::fromTheme(QStringLiteral("edit-copy")),
                            SystemLanguage::Pick("Copy", "Kopieren"), {QKeySequence::Copy});
    QAction* find = AddTool(toolBar, "find", QIcon::fromTheme(QStringLiteral("edit-find")),
                            SystemLanguage::Pick("Find in page", "Seite durchsuchen"), {QKeySequence::Find});
    QAction* larger = AddTool(toolBar, "zoomIn", QIcon::fromTheme(QStringLiteral("zoom-in")),
                              SystemLanguage::Pick("Larger", "Größer"),
                              {QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    QAction* smaller = AddTool(toolBar, "zoomOut", QIcon::fromTheme(QStringLiteral("zoom-out")),
                               SystemLanguage::Pick("Smaller", "Kleiner"), {QKeySequence::ZoomOut});
    back->setEnabled(false);
    forward->setEnabled(false);
    copy->setEnabled(false);

    connect(back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(home, &QAction::triggered, this, [this] { ShowTopic({}); });
    connect(print, &QAction::triggered, this, &HelpWindow::Print);
    connect(copy, &QAction::triggered, m_browser, &QTextBrowser::copy);
    connect(find, &QAction::triggered, m_findBar, &HelpFindBar::Open);
    connect(larger, &QAction::triggered, this, [this] { Zoom(1); });
    connect(smaller, &QAction::triggered, this, [this] { Zoom(-1); });
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::copyAvailable, copy, &QAction::setEnabled);
}

void HelpWindow::CreateShortcuts() {
    auto add = [this](const char* name, const QKeySequence& key, auto handler) {
        auto* action = new QAction(this);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, handler);
        addAction(action);
    };
    // F3 with no text to find yet opens the bar, as Ctrl+F does.
    add("findNext", QKeySequence(Qt::Key_F3), [this] {
        if (m_findBar->isHidden() || m_findBar->Field()->text().isEmpty())
            m_findBar->Open();
        else
            m_findBar->FindNext();
    });
    add("findPrevious", QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] {
        if (m_findBar->isHidden() || m_findBar->Field()->text().isEmpty())
            m_findBar->Open();
        else
            m_findBar->FindPrevious();
    });
    add("zoomReset", QKeySequence(Qt::CTRL | Qt::Key_0), [this] { Zoom(-zoomSteps); });
}

void HelpWindow::ConnectPanes() {
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::OnSourceChanged);
    connect(m_browser, &HelpBrowser::TopicMissing, this,
            [this](const QString& topic) { statusBar()->showMessage(MissingTopicText(topic)); });
    connect(m_browser, &HelpBrowser::OtherFileRequested, this, &HelpWindow::OtherFileRequested);
    // The keyboard moves the current entry; Enter and a double click show it again.
    connect(m_contents, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (!m_followingPage)
            OnContentsItemChosen(current);
    });
    connect(m_contents, &QTreeWidget::itemActivated, this, &HelpWindow::OnContentsItemChosen);
    connect(m_index, &HelpIndexPane::TopicChosen, this,
            [this](const QString& topic) { ShowFoundTopic(topic, {}); });
    connect(m_search, &HelpSearchPane::TopicChosen, this, &HelpWindow::ShowFoundTopic);
}

void HelpWindow::FillContents() {
    const QString path = m_file->ContentsFile();
    const std::optional<QByteArray> bytes = path.isEmpty() ? std::nullopt : m_file->Read(path);
    if (!bytes) {
        if (!path.isEmpty())
            qCWarning(lcHelpWindow) << "Cannot read the contents" << path << "of" << m_file->LocalPath();
        m_tabs->setTabVisible(m_tabs->indexOf(m_contents), false);
        return;
    }
    AddEntries(*m_file, ChmSitemap::Parse(m_file->Html(*bytes)), nullptr, m_contents);
    m_contents->expandAll();
}

void HelpWindow::PrintTo(QPagedPaintDevice& device) { m_browser->print(&device); }

void HelpWindow::Print() {
    // Loaded on first use and kept, as Qt keeps every library it has loaded.
    QLibrary module(QDir(ObjectFactory::ComponentDir()).filePath(QLatin1String(HelpPrint::ModuleFile)));
    const auto dialog = reinterpret_cast<HelpPrint::Dialog>(module.resolve(HelpPrint::DialogSymbol));
    if (!dialog) {
        MessageBox::Show(
            SystemLanguage::Pick("Printing is not available: %1", "Drucken ist nicht möglich: %1")
                .arg(module.errorString()),
            windowTitle(), MessageBox::Icon::Exclamation, this);
        return;
    }
    dialog(this, SystemLanguage::Pick("Print topic", "Thema drucken"), m_browser->textCursor().hasSelection(),
           [this](QPagedPaintDevice& device) { PrintTo(device); });
}

void HelpWindow::Zoom(int steps) {
    const int zoomed = qBound(SmallestZoom, zoomSteps + steps, LargestZoom);
    m_browser->zoomIn(zoomed - zoomSteps);
    zoomSteps = zoomed;
}

void HelpWindow::ShowContext(quint32 contextId) {
    const std::optional<QString> written = m_file->ContextTopic(contextId);
    if (!written) {
        ShowDefaultTopic(
            SystemLanguage::Pick(
                "Context number %1 is not in the map of this help file; showing the start topic.",
                "Die Kontextnummer %1 ist dieser Hilfedatei unbekannt; die Startseite wird angezeigt.")
                .arg(qint32(contextId)));
        return;
    }
    const QString topic = m_file->ResolveTopic(*written);
    if (topic.isEmpty()) {
        ShowDefaultTopic(
            SystemLanguage::Pick(
                "The topic %1 of context number %2 is not in this help file; showing the start topic.",
                "Das Thema %1 der Kontextnummer %2 ist nicht in dieser Hilfedatei; die Startseite wird "
                "angezeigt.")
                .arg(*written)
                .arg(qint32(contextId)));
        return;
    }
    statusBar()->clearMessage();
    m_browser->setSource(HelpBrowser::TopicUrl(topic));
}

void HelpWindow::ShowTopic(const QString& topic) {
    if (topic.isEmpty()) {
        ShowDefaultTopic({});
        return;
    }
    const QString resolved = m_file->ResolveTopic(topic);
    if (resolved.isEmpty()) {
        ShowDefaultTopic(SystemLanguage::Pick(
                             "The topic %1 is not in this help file; showing the start topic.",
                             "Das Thema %1 ist nicht in dieser Hilfedatei; die Startseite wird angezeigt.")
                             .arg(topic));
        return;
    }
    statusBar()->clearMessage();
    m_browser->setSource(HelpBrowser::TopicUrl(resolved));
}

void HelpWindow::ShowDefaultTopic(const QString& why) {
    const QString topic = m_file->DefaultTopic();
    if (topic.isEmpty()) {
        statusBar()->showMessage(why.isEmpty()
                                     ? SystemLanguage::Pick("This help file names no start topic.",
                                                            "Diese Hilfedatei nennt keine Startseite.")
                                     : why);
        return;
    }
    statusBar()->clearMessage();
    m_browser->setSource(HelpBrowser::TopicUrl(topic));
    // After the navigation, which clears the status line.
    if (!why.isEmpty())
        statusBar()->showMessage(why);
}

QString HelpWindow::CurrentTopic() const { return m_browser->CurrentTopic(); }

void HelpWindow::OnSourceChanged(const QUrl& source) {
    statusBar()->clearMessage();
    // The browser may not report the new source yet when it signals it.
    const QString page = source.path(QUrl::FullyDecoded);
    const QString anchor = source.fragment(QUrl::FullyDecoded);
    // The entry of this very anchor first, then the page's own entry, then any entry on the page.
    QTreeWidgetItem* best = nullptr;
    int bestRank = 0;
    for (QTreeWidgetItemIterator it(m_contents); *it; ++it) {
        const QString topic = (*it)->data(0, TopicRole).toString();
        if (WithoutAnchor(topic).isEmpty() || WithoutAnchor(topic).compare(page, Qt::CaseInsensitive) != 0)
            continue;
        const QString entryAnchor = topic.section(QLatin1Char('#'), 1);
        const int rank = entryAnchor == anchor ? 3 : entryAnchor.isEmpty() ? 2 : 1;
        if (rank > bestRank) {
            best = *it;
            bestRank = rank;
        }
    }
    const QScopedValueRollback following(m_followingPage, true);
    m_contents->setCurrentItem(best);
    m_browser->HighlightWords({});
}

void HelpWindow::OnContentsItemChosen(QTreeWidgetItem* item) {
    const QString topic = item ? item->data(0, TopicRole).toString() : QString();
    if (!topic.isEmpty()) // a heading without a page of its own shows nothing
        ShowFoundTopic(topic, {});
}

void HelpWindow::ShowFoundTopic(const QString& topic, const QStringList& words) {
    const QString resolved = m_file->ResolveTopic(topic);
    if (resolved.isEmpty()) {
        statusBar()->showMessage(MissingTopicText(topic));
        return;
    }
    m_browser->setSource(HelpBrowser::TopicUrl(resolved));
    m_browser->HighlightWords(words);
}
