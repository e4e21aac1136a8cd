#pragma once

#include "studio/IStudioUtilities.h"

class FoldersService : public IFoldersService {
public:
    void CreateFolder(const QString& path) override;
    bool FolderExists(const QString& path) override;
};
