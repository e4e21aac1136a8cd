#include "StudioUtilities/FilesService.h"
#include "StudioUtilities/FoldersService.h"
#include "StudioUtilities/RegistryService.h"
#include "studio/Variant.h"

namespace {

class Utilities : public IStudioUtilities {
public:
    IFoldersService& Folders() override { return m_folders; }
    IFilesService& Files() override { return m_files; }
    IRegistryService& Registry() override { return m_registry; }

private:
    FoldersService m_folders;
    FilesService m_files;
    RegistryService m_registry;
};

} // namespace

IStudioUtilities& StudioUtilities() {
    static Utilities utilities;
    return utilities;
}

qint32 StudioLcid() {
    return Variant::ToInt32(StudioUtilities().Registry().GetValue(
        HKEY_LOCAL_MACHINE, StudioKeys::Studio, QStringLiteral("LCID"), Variant::Int16(GermanLcid)));
}
