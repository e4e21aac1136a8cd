#pragma once

#include <QString>
#include <QtPlugin>

class QWidget;

// The studio's project explorer. Created by programmatic identifier "KXProjectExplorer.Explorer".
// Every operation returns a status; LastError() describes the last failure.
class IProjectExplorer {
public:
    virtual ~IProjectExplorer() = default;

    // Before it returns, the explorer has made its window among the frame's descendants,
    // titled with string 300 in the studio's language ("LCID").
    virtual bool LoadProject(QWidget* frame, const QString& projectPath) = 0;
    // Lets go of the project and closes every window the explorer opened.
    virtual bool UnloadProject() = 0;
    virtual bool ToolButtonClick() = 0;
    virtual QString LastError() const = 0;
};
#define IProjectExplorer_iid "kx4.ProjectExplorer/1"
Q_DECLARE_INTERFACE(IProjectExplorer, IProjectExplorer_iid)

inline constexpr const char* ProjectExplorerProgId = "KXProjectExplorer.Explorer";
