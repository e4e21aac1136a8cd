#include "StudioUtilities/FilesService.h"

#include "platform/core/Prefix.h"
#include "studio/Failure.h"
#include "studio/Variant.h"

#include <QFileInfo>

QString StudioLocalPath(const QString& path) {
    const bool rootedWithoutDrive =
        path.startsWith(QLatin1Char('\\')) && !path.startsWith(QStringLiteral("\\\\"));
    const QString windowsPath = rootedWithoutDrive ? QStringLiteral("C:") + path : path;
    // Windows paths name files without regard to case; plain local paths keep the disk's rules.
    const bool windowsStyle = windowsPath.contains(QLatin1Char('\\')) ||
                              (windowsPath.size() >= 2 && windowsPath.at(1) == QLatin1Char(':'));
    return windowsStyle ? Prefix::ToLocalPathNoCase(windowsPath) : Prefix::ToLocalPath(windowsPath);
}

QString FilesService::GetProjectPath(const QString& path) {
    if (path.endsWith(QStringLiteral(".kxs"), Qt::CaseInsensitive))
        return QFileInfo(StudioLocalPath(path)).absoluteFilePath();

    const QString key = StudioKeys::Projects + QLatin1Char('\\') + path;
    if (path.isEmpty() || !RegistryStore::KeyExists(HKEY_LOCAL_MACHINE, key))
        throw Failure(Failure::FileNotFound, QStringLiteral("project \"%1\" is not registered").arg(path));
    RegValue folder;
    RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("Path"), &folder);
    const QString file = folder.Text() + QLatin1Char('\\') + path + QStringLiteral(".kxs");
    return QFileInfo(StudioLocalPath(file)).absoluteFilePath();
}

bool FilesService::FileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(StudioLocalPath(path)).isFile();
}
