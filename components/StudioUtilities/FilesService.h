#pragma once

#include "studio/IStudioUtilities.h"

class FilesService : public IFilesService {
public:
    QString GetProjectPath(const QString& path) override;
    bool FileExists(const QString& path) override;
};

// A studio path (Windows-style or local) as a local path. A rooted path without a drive
// ("\KestrixStudio\Projects") lies on the current drive, which is C:. Windows-style paths
// match existing files and folders without regard to case.
QString StudioLocalPath(const QString& path);
