#include "ProjectExplorer/ProjectExplorer.h"

#include "ProjectData/ProjectFile.h"
#include "ProjectExplorer/ExplorerTexts.h"
#include "ProjectExplorer/ExplorerView.h"
#include "ProjectExplorer/GroupTextsView.h"
#include "platform/core/Prefix.h"
#include "studio/Failure.h"
#include "studio/IStudioUtilities.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

// At once, not later: the frame looks for the next explorer's window by the same title.
void CloseNow(QMdiSubWindow* window) { delete window; }

} // namespace

ProjectExplorer::ProjectExplorer() = default;

ProjectExplorer::~ProjectExplorer() { UnloadProject(); }

// The caller reports the description through LastError; logging it too would say it twice.
bool ProjectExplorer::Fail(const QString& description) {
    m_lastError = description;
    return false;
}

QMdiArea* ProjectExplorer::FrameArea() const { return m_frame ? m_frame->findChild<QMdiArea*>() : nullptr; }

bool ProjectExplorer::LoadProject(QWidget* frame, const QString& projectPath) {
    UnloadProject();
    m_lastError.clear();
    if (!frame)
        return Fail(QStringLiteral("no frame window to show project \"%1\" in").arg(projectPath));
    try {
        m_english = StudioLcid() == EnglishLcid;
        // The project file's failures name the file already.
        m_project =
            std::make_unique<ProjectFile>(Prefix::ToLocalPathNoCase(projectPath), ProjectFile::Access::Read);
    } catch (const Failure& failure) {
        return Fail(failure.Description());
    } catch (const std::exception& e) {
        return Fail(QStringLiteral("cannot read project \"%1\": %2")
                        .arg(projectPath, QString::fromLocal8Bit(e.what())));
    }
    m_frame = frame;
    try {
        ShowWindow();
    } catch (const Failure& failure) {
        UnloadProject();
        // The description names the file; what was being done is all there is to add.
        return Fail(QStringLiteral("cannot show the project: %1").arg(failure.Description()));
    }
    return true;
}

void ProjectExplorer::ShowWindow() {
    auto view = std::make_unique<ExplorerView>(*m_project, m_english);
    m_view = view.get();
    connect(m_view, &ExplorerView::GroupActivated, this, [this](qint64 group) { OpenGroup(group); });
    // Meant to live in the frame's pane: no buttons that would maximise it out of there.
    auto window = std::make_unique<QMdiSubWindow>(
        nullptr, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
    window->setWidget(view.release());
    window->resize(320, 480);
    m_window = window.get();
    if (QMdiArea* area = FrameArea())
        area->addSubWindow(window.release());
    else
        window.release()->setParent(m_frame, m_window->windowFlags());
    // Titled once placed: while it is being placed a subwindow lays its title out anew at every
    // step, and nothing looks for it by its title before it is shown.
    m_window->setWindowTitle(ExplorerTexts::Get(ExplorerTexts::Text::WindowTitle, m_english));
    m_window->show();
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
        return Fail(QStringLiteral("cannot open index group \"%1\": %2")
                        .arg(path.isEmpty() ? QString::number(group) : path, failure.Description()));
    }
    return true;
}
