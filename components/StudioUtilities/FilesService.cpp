#include "StudioUtilities/FilesService.h"

#include "platform/core/Prefix.h"
#include "studio/Failure.h"
#include "studio/ProjectTypes.h"
#include "studio/Variant.h"

#include <QFileInfo>

namespace {

struct StudioPath {
    QString path;      // a rooted path without a drive lies on C:
    bool windowsStyle; // names files without regard to case
};

StudioPath Classify(const QString& path) {
    const bool rootedWithoutDrive =
        path.startsWith(QLatin1Char('\\')) && !path.startsWith(QStringLiteral("\\\\"));
    StudioPath studio{rootedWithoutDrive ? QStringLiteral("C:") + path : path, false};
    studio.windowsStyle = studio.path.contains(QLatin1Char('\\')) ||
                          (studio.path.size() >= 2 && studio.path.at(1) == QLatin1Char(':'));
    return studio;
}

} // namespace

QString StudioLocalPath(const QString& path) {
    const StudioPath studio = Classify(path);
    // Plain local paths keep the disk's rules for case.
    return studio.windowsStyle ? Prefix::ToLocalPathNoCase(studio.path) : Prefix::ToLocalPath(studio.path);
}

QString FilesService::GetProjectPath(const QString& path) {
    if (ProjectTypes::NamesProjectFile(path))
        return QFileInfo(StudioLocalPath(path)).absoluteFilePath();

    const QString key = StudioKeys::Projects + QLatin1Char('\\') + path;
    if (path.isEmpty() || !RegistryStore::KeyExists(HKEY_LOCAL_MACHINE, key))
        throw Failure(Failure::FileNotFound, QStringLiteral("project \"%1\" is not registered").arg(path));
    RegValue folder;
    RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("Path"), &folder);
    const QString file = ProjectTypes::RegisteredFile(folder.Text(), path, ProjectTypes::Single);
    return QFileInfo(StudioLocalPath(file)).absoluteFilePath();
}

bool FilesService::FileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    // Most files are written as they are named: one look at the disk. Only a miss of a Windows
    // path needs the search without regard to case.
    const StudioPath studio = Classify(path);
    if (QFileInfo(Prefix::ToLocalPath(studio.path)).isFile())
        return true;
    return studio.windowsStyle && QFileInfo(Prefix::ToLocalPathNoCase(studio.path)).isFile();
}
