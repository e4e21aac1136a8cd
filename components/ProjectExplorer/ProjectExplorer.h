#pragma once

#include "studio/IProjectExplorer.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <memory>

class ExplorerView;
class ProjectFile;
class QMdiArea;
class QMdiSubWindow;

// The project explorer: shows an opened project in a window of its own among the frame's
// windows (in the frame's MDI area when it has one), titled in the studio's language, and
// opens an index group's texts as a window in the frame's MDI area. Owns the project file and
// every window it opened until UnloadProject or its end.
class ProjectExplorer : public QObject, public IProjectExplorer {
    Q_OBJECT
    Q_INTERFACES(IProjectExplorer)
public:
    ProjectExplorer();
    ~ProjectExplorer() override;

    // Fails, describing it with the file named, when the project cannot be read (or the
    // studio's language, StudioLcid); a project loaded before is unloaded first. The window is
    // titled in the studio's language as the program's string 300.
    bool LoadProject(QWidget* frame, const QString& projectPath) override;
    bool UnloadProject() override;
    // Opens the selected group's texts; fails when no project is loaded or nothing is selected.
    bool ToolButtonClick() override;
    QString LastError() const override;

private:
    bool Fail(const QString& description);
    void ShowWindow();
    bool OpenGroup(qint64 group);
    QMdiArea* FrameArea() const;

    std::unique_ptr<ProjectFile> m_project;
    bool m_english = false;
    QPointer<QWidget> m_frame;
    QPointer<QMdiSubWindow> m_window;
    QPointer<ExplorerView> m_view;
    QList<QPointer<QMdiSubWindow>> m_groupWindows;
    QString m_lastError;
};
