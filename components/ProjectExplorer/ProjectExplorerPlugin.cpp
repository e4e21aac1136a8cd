#include "ProjectExplorer/ProjectExplorerPlugin.h"

#include "ProjectExplorer/ProjectExplorer.h"

#include <memory>

QObject* ProjectExplorerPlugin::CreateInstance(const QString& progId) {
    if (progId.compare(QLatin1String(ProjectExplorerProgId), Qt::CaseInsensitive) == 0)
        return std::make_unique<ProjectExplorer>().release(); // the caller owns it
    return nullptr;
}
