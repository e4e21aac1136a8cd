#pragma once

#include <QtGlobal>

// One customer's tailoring of the frame, read once from the registry when created.
// Only the value 1 counts as on. Creating it throws Failure when a value is no number.
class CWexelToolBox {
public:
    CWexelToolBox();

    qint32 WexelActivate = 0;
    qint32 WexelIndextextEditorRowHeight = 0;
    qint32 WexelIndextextEditorWindowHeight = 0;
    qint32 WexelIndextextEditorWindowLeft = 0;
    qint32 WexelIndextextEditorWindowTop = 0;
    qint32 WexelIndextextEditorWindowWidth = 0;
    qint32 WexelProjectExplorerWindowHeight = 0;
    qint32 WexelProjectExplorerWindowLeft = 0;
    qint32 WexelProjectExplorerWindowTop = 0;
    qint32 WexelProjectExplorerWindowWidth = 0;
    qint32 WexelToolboxEnableScriptMenu = 0;
};
