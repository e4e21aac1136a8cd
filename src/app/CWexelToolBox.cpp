#include "app/CWexelToolBox.h"

#include "studio/IStudioUtilities.h"
#include "studio/Variant.h"

CWexelToolBox::CWexelToolBox() {
    const std::pair<const char*, qint32*> values[] = {
        {"WexelActivate", &WexelActivate},
        {"WexelIndextextEditorRowHeight", &WexelIndextextEditorRowHeight},
        {"WexelIndextextEditorWindowHeight", &WexelIndextextEditorWindowHeight},
        {"WexelIndextextEditorWindowLeft", &WexelIndextextEditorWindowLeft},
        {"WexelIndextextEditorWindowTop", &WexelIndextextEditorWindowTop},
        {"WexelIndextextEditorWindowWidth", &WexelIndextextEditorWindowWidth},
        {"WexelProjectExplorerWindowHeight", &WexelProjectExplorerWindowHeight},
        {"WexelProjectExplorerWindowLeft", &WexelProjectExplorerWindowLeft},
        {"WexelProjectExplorerWindowTop", &WexelProjectExplorerWindowTop},
        {"WexelProjectExplorerWindowWidth", &WexelProjectExplorerWindowWidth},
        {"WexelToolboxEnableScriptMenu", &WexelToolboxEnableScriptMenu},
    };
    IRegistryService& registry = StudioUtilities().Registry();
    for (const auto& [name, field] : values)
        *field = Variant::ToInt32(registry.GetValue(HKEY_LOCAL_MACHINE, StudioKeys::Toolbox,
                                                    QString::fromLatin1(name), Variant::Int16(0)));
}
