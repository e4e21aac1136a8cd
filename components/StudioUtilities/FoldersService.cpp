#include "StudioUtilities/FoldersService.h"

#include "StudioUtilities/FilesService.h"
#include "studio/Failure.h"

#include <QDir>
#include <QFileInfo>

void FoldersService::CreateFolder(const QString& path) {
    const QString local = StudioLocalPath(path);
    if (local.isEmpty())
        throw Failure(Failure::PathAccessError, QStringLiteral("cannot create a folder with an empty path"));
    QDir().mkpath(local);
    if (!QFileInfo(local).isDir())
        throw Failure(Failure::PathAccessError,
                      QStringLiteral("cannot create folder \"%1\" (%2)").arg(path, local));
}

bool FoldersService::FolderExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(StudioLocalPath(path)).isDir();
}
