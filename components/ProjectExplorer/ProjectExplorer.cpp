#include "ProjectExplorer/ProjectExplorer.h"

#include "ProjectData/ProjectFile.h"
#include "ProjectExplorer/ExplorerTexts.h"
#include "ProjectExplorer/ExplorerView.h"
#include "ProjectExplorer/GroupTextsView.h"
#include "platform/core/Prefix.h"
#include "studio/Failure.h"

#include <QLoggingCategory>
#include <QMdiArea>
#include <QMdiSubWindow>

Q_LOGGING_CATEGORY(lcExplorer, "kx4.explorer", QtWarningMsg)

namespace {

// At once, not later: the frame looks for the next explorer's window by the same title.
void CloseNow(QMdiSubWindow* window) { delete window; }

} // namespace

ProjectExplorer::ProjectExplorer() = default;

ProjectExplorer::~ProjectExplorer() { UnloadProject(); }

bool ProjectExplorer::Fail(const QString& description) {
    m_lastError = description;
    qCWarning(lcExplorer).noquote() << description;
    return false;
}

QMdiArea* ProjectExplorer::FrameArea() const { return m_frame ? m_frame->findChild<QMdiArea*>() : nullptr; }

bool ProjectExplorer::LoadProject(QWidget* frame, const QString& projectPath) {
    UnloadProject();
    m_lastError.clear();
    if (!frame)
        return Fail(QStringLiteral("no frame window to show project \"%1\" in").arg(projectPath));
    const QString file = Prefix::ToLocalPathNoCase(projectPath);
    try {
        m_project = std::make_unique<ProjectFile>(file, ProjectFile::Access::Read);
    } catch (const Failure& failure) {
        const QString& why = failure.Description();
        return Fail(why.contains(file) || why.contains(projectPath)
                        ? why
                        : QStringLiteral("cannot read project \"%1\": %2").arg(projectPath, why));
    } catch (const std::exception& e) {
        return Fail(QStringLiteral("cannot read project \"%1\": %2")
                        .arg(projectPath, QString::fromLocal8Bit(e.what())));
    }

    m_frame = frame;
    m_english = ExplorerTexts::IsEnglish();
    try {
        auto view = std::make_unique<ExplorerView>(*m_project, m_english);
        m_view = view.get();
        connect(m_view, &ExplorerView::GroupActivated, this, [this](qint64 group) { OpenGroup(group); });
        // Meant to live in the frame's pane: no buttons that would maximise it out of there.
        auto window =
            std::make_unique<QMdiSubWindow>(nullptr, Qt::SubWindow | Qt::CustomizeWindowHint |
                                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
        window->setWidget(view.release());
        window->setWindowTitle(ExplorerTexts::Get(ExplorerTexts::Text::WindowTitle, m_english));
        window->resize(320, 480);
        m_window = window.get();
        if (QMdiArea* area = FrameArea())
            area->addSubWindow(window.release());
        else
            window.release()->setParent(frame, m_window->windowFlags());
        m_window->show();
    } catch (const Failure& failure) {
        const QString why = failure.Description();
        UnloadProject();
        return Fail(QStringLiteral("cannot show project \"%1\": %2").arg(projectPath, why));
    }
    return true;
}

bool ProjectExplorer::UnloadProject() {
    for (const QPointer<QMdiSubWindow>& window : std::as_const(m_groupWindows))
        CloseNow(window);
    m_groupWindows.clear();
    CloseNow(m_window);
    m_project.reset();
    m_frame = nullptr;
    return true;
}

bool ProjectExplorer::ToolButtonClick() {
    if (!m_project || !m_view)
        return Fail(QStringLiteral("no project is loaded"));
    const qint64 group = m_view->SelectedGroup();
    if (group == 0)
        return Fail(ExplorerTexts::Get(ExplorerTexts::Text::NoGroupSelected, m_english));
    return OpenGroup(group);
}

QString ProjectExplorer::LastError() const { return m_lastError; }

QMdiSubWindow* ProjectExplorer::Window() const { return m_window; }

ExplorerView* ProjectExplorer::View() const { return m_view; }

QList<QMdiSubWindow*> ProjectExplorer::GroupWindows() const {
    QList<QMdiSubWindow*> open;
    for (const QPointer<QMdiSubWindow>& window : m_groupWindows)
        if (window)
            open.append(window);
    return open;
}

bool ProjectExplorer::OpenGroup(qint64 group) {
    QMdiArea* area = FrameArea();
    if (!area)
        return Fail(QStringLiteral("the frame has no window area to show an index group in"));
    QString path;
    try {
        path = m_project->GroupPath(group);
        // A group already open comes to the front instead of opening twice.
        for (const QPointer<QMdiSubWindow>& window : std::as_const(m_groupWindows)) {
            if (window && window->property("kx4.group").toLongLong() == group) {
                area->setActiveSubWindow(window);
                return true;
            }
        }
        auto view = std::make_unique<GroupTextsView>(*m_project, group, m_english);
        QMdiSubWindow* window = area->addSubWindow(view.release());
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(path);
        window->setProperty("kx4.group", group);
        window->resize(qMax(400, area->width() * 2 / 3), qMax(300, area->height() * 2 / 3));
        window->show();
        m_groupWindows.append(window);
    } catch (const Failure& failure) {
        return Fail(QStringLiteral("cannot open index group \"%1\" of \"%2\": %3")
                        .arg(path.isEmpty() ? QString::number(group) : path, m_project->Path(),
                             failure.Description()));
    }
    return true;
}
