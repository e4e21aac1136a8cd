#include "ProjectData/ProjectLocator.h"

#include "studio/Failure.h"
#include "studio/IStudioUtilities.h"
#include "studio/ProjectTypes.h"

#include <QFileInfo>

namespace ProjectLocator {

QString Resolve(const QString& project) {
    if (project.isEmpty())
        throw Failure(Failure::FileNotFound, QStringLiteral("no project given"));
    // The frame resolves projects the same way, so a script and the frame agree on the file.
    const QString local = StudioUtilities().Files().GetProjectPath(project);
    if (QFileInfo(local).isFile())
        return local;
    if (ProjectTypes::NamesProjectFile(project))
        throw Failure(Failure::FileNotFound, QStringLiteral("project \"%1\" not found").arg(project));
    throw Failure(Failure::FileNotFound,
                  QStringLiteral("project \"%1\" not found: its file %2 does not exist").arg(project, local));
}

} // namespace ProjectLocator
