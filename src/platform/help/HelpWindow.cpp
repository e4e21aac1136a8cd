#include "platform/help/HelpWindow.h"
#include "platform/windows/PlatformGuiLog.h"

#include "platform/help/ChmFile.h"
#include "platform/help/ChmSitemap.h"
#include "platform/help/HelpBrowser.h"
#include "platform/windows/SystemLanguage.h"

#include <QAction>
#include <QFileInfo>
#include <QHeaderView>
#include <QLoggingCategory>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

constexpr int TopicRole = Qt::UserRole;

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

} // namespace

HelpWindow::HelpWindow(std::unique_ptr<ChmFile> file, qint32 id) : m_file(std::move(file)), m_id(id) {
    setAttribute(Qt::WA_DeleteOnClose);
    // Help windows vanish with the process instead of keeping it alive.
    setAttribute(Qt::WA_QuitOnClose, false);
    const QString title = m_file->Title();
    setWindowTitle(title.isEmpty() ? QFileInfo(m_file->LocalPath()).fileName() : title);
    setWindowIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));

    m_contents = new QTreeWidget;
    m_contents->setObjectName(QStringLiteral("contents"));
    m_contents->setHeaderHidden(true);
    m_contents->setColumnCount(1);
    m_browser = new HelpBrowser(m_file);
    m_browser->setObjectName(QStringLiteral("page"));

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(m_contents);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 660});
    setCentralWidget(splitter);

    QToolBar* toolBar = addToolBar(SystemLanguage::Pick("Navigation", "Navigation"));
    toolBar->setObjectName(QStringLiteral("navigation"));
    toolBar->setMovable(false);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction* back = toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowBack),
                                       SystemLanguage::Pick("Back", "Zurück"));
    back->setObjectName(QStringLiteral("back"));
    back->setEnabled(false);
    QAction* forward = toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowForward),
                                          SystemLanguage::Pick("Forward", "Vorwärts"));
    forward->setObjectName(QStringLiteral("forward"));
    forward->setEnabled(false);
    QAction* home = toolBar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon),
                                       SystemLanguage::Pick("Start", "Startseite"));
    home->setObjectName(QStringLiteral("home"));

    connect(back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(home, &QAction::triggered, this, [this] { ShowTopic({}); });
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::OnSourceChanged);
    connect(m_browser, &HelpBrowser::TopicMissing, this, [this](const QString& topic) {
        statusBar()->showMessage(SystemLanguage::Pick("The topic %1 is not in this help file.",
                                                      "Das Thema %1 ist nicht in dieser Hilfedatei.")
                                     .arg(topic));
    });
    connect(m_browser, &HelpBrowser::OtherFileRequested, this, &HelpWindow::OtherFileRequested);
    connect(m_contents, &QTreeWidget::itemClicked, this, &HelpWindow::OnContentsItemChosen);
    connect(m_contents, &QTreeWidget::itemActivated, this, &HelpWindow::OnContentsItemChosen);

    statusBar();
    FillContents();
    resize(900, 640);
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::FillContents() {
    const QString path = m_file->ContentsFile();
    if (path.isEmpty()) {
        m_contents->hide();
        return;
    }
    const std::optional<QByteArray> bytes = m_file->Read(path);
    if (!bytes) {
        qCWarning(lcHelpWindow) << "Cannot read the contents" << path << "of" << m_file->LocalPath();
        m_contents->hide();
        return;
    }
    AddEntries(*m_file, ChmSitemap::Parse(m_file->Html(*bytes)), nullptr, m_contents);
    m_contents->expandAll();
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
    if (best)
        m_contents->setCurrentItem(best);
    else
        m_contents->setCurrentItem(nullptr);
}

void HelpWindow::OnContentsItemChosen(QTreeWidgetItem* item) {
    const QString topic = item ? item->data(0, TopicRole).toString() : QString();
    if (topic.isEmpty())
        return; // a heading without a page of its own
    const QString resolved = m_file->ResolveTopic(topic);
    if (resolved.isEmpty()) {
        statusBar()->showMessage(SystemLanguage::Pick("The topic %1 is not in this help file.",
                                                      "Das Thema %1 ist nicht in dieser Hilfedatei.")
                                     .arg(topic));
        return;
    }
    m_browser->setSource(HelpBrowser::TopicUrl(resolved));
}
