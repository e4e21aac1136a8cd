#pragma once

#include <QList>
#include <QString>

// Takes a window that someone else made into one of ours: found by its title among the
// descendants of a window, re-parented, stripped of system menu and sizing border, and
// stretched over its new parent. Works on window handles only (platform/WindowHandles.h);
// a handle of 0 or of a window that is gone makes every call do nothing.
namespace MWindowControl {

// The first descendant of ParentHwnd (in enumeration order) whose whole title equals Caption
// exactly and that SetParent could move under NewParentHwnd; 0 when there is none. A title
// longer than the 254 characters the title buffer holds never matches.
qint32 ReparentWindowByCaption(const qint32& ParentHwnd, const qint32& NewParentHwnd, const QString& Caption);

// Clears WS_SYSMENU and WS_THICKFRAME; every other style bit stays.
void RemoveWindowFrame(const qint32& Hwnd);

// Maximises Hwnd and sizes it, at (0, 0) of its parent, to the outer size of ContainerHwnd.
// Nothing happens when the container's rectangle cannot be read.
void FitWindowToContainer(const qint32& Hwnd, const qint32& ContainerHwnd);

// The enumeration callback: appends Hwnd to ChildWindows and goes on (returns 1).
int EnumChildProc(qint32 Hwnd, qintptr LParam);

// The handles of the last search, in enumeration order.
const QList<qint32>& ChildWindows();

} // namespace MWindowControl
