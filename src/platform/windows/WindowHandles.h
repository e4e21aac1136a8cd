#pragma once

#include <QtGlobal>

class QWidget;

// The user32 window functions that embedding uses, over Qt widgets. A handle is a 32-bit
// number handed out to a widget on first use and never reused; 0 means no window. A handle
// whose widget is gone (stale) or 0 makes every call fail quietly (its failure result).
// UI thread only.
//
// Enumeration order: pre-order (a widget before its descendants), siblings in the order they
// became children of their parent (by construction or re-parenting). raise(), lower() and
// activation do not change it. Windows parented to a widget (Qt::Window with a parent) count
// as its children.
//
// Captioned child windows are QMdiSubWindows: they keep their title bar wherever they live.
namespace WindowHandles {

struct RECT {
    qint32 left = 0;
    qint32 top = 0;
    qint32 right = 0;
    qint32 bottom = 0;
};

inline constexpr int GWL_STYLE = -16;

inline constexpr quint32 WS_MAXIMIZEBOX = 0x00010000;
inline constexpr quint32 WS_MINIMIZEBOX = 0x00020000;
inline constexpr quint32 WS_THICKFRAME = 0x00040000;
inline constexpr quint32 WS_SYSMENU = 0x00080000;
inline constexpr quint32 WS_CAPTION = 0x00C00000;
inline constexpr quint32 WS_MAXIMIZE = 0x01000000;
inline constexpr quint32 WS_DISABLED = 0x08000000;
inline constexpr quint32 WS_VISIBLE = 0x10000000;
inline constexpr quint32 WS_MINIMIZE = 0x20000000;
inline constexpr quint32 WS_CHILD = 0x40000000;

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_MAXIMIZE = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;

inline constexpr qint32 HWND_TOP = 0;
inline constexpr qint32 HWND_BOTTOM = 1;

inline constexpr unsigned SWP_NOSIZE = 0x0001;
inline constexpr unsigned SWP_NOMOVE = 0x0002;
inline constexpr unsigned SWP_NOZORDER = 0x0004;
inline constexpr unsigned SWP_NOACTIVATE = 0x0010;
inline constexpr unsigned SWP_SHOWWINDOW = 0x0040;
inline constexpr unsigned SWP_HIDEWINDOW = 0x0080;

// The parent that SetParent reports for a window without one; as a new parent it makes the
// widget a top-level window, as 0 does.
inline constexpr qint32 DesktopWindow = 0x00010010;

// The widget's handle, handed out on first use; 0 for nullptr.
qint32 HandleOf(QWidget* widget);
// The widget of a handle; nullptr for 0, a stale or an unknown handle.
QWidget* WidgetOf(qint32 hwnd);

// Calls callback for every descendant of hWndParent in the order above, until it returns 0.
// The descendants are taken before the first call; one destroyed meanwhile is skipped.
// Returns 0 (without calling) for 0 or a stale parent, else 1.
using WNDENUMPROC = int (*)(qint32 hwnd, qintptr lParam);
int EnumChildWindows(qint32 hWndParent, WNDENUMPROC callback, qintptr lParam);

// The title (windowTitle()) in the ANSI code page (UTF-8), cut to maxCount - 1 bytes at a
// character boundary and zero-terminated. Returns the bytes copied without the zero; 0 for
// an empty title, a failing handle, no buffer or maxCount < 1.
int GetWindowTextA(qint32 hwnd, char* buffer, int maxCount);
// The length of the whole title in the ANSI code page, in bytes; 0 for a failing handle.
int GetWindowTextLengthA(qint32 hwnd);

// Makes child a child of newParent (0 or DesktopWindow: a top-level window), keeping its
// visibility, caption and geometry. Returns the previous parent's handle (DesktopWindow for a
// top-level window); 0 on failure: a failing child, a stale new parent, or a new parent that
// is the child itself or one of its descendants.
qint32 SetParent(qint32 child, qint32 newParent);

// GWL_STYLE only (other indexes give 0). Read: WS_CHILD, WS_VISIBLE, WS_DISABLED, WS_CAPTION,
// WS_SYSMENU, WS_THICKFRAME, WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_MINIMIZE, WS_MAXIMIZE.
// Written: WS_SYSMENU (the system-menu hint; cleared, the window shows no system menu),
// WS_THICKFRAME (cleared, the border no longer resizes the window; SetWindowPos still does)
// and WS_DISABLED; other bits are taken from the widget and a change to them is ignored.
// SetWindowLongA returns the previous style; both return 0 on failure.
qint32 GetWindowLongA(qint32 hwnd, int index);
qint32 SetWindowLongA(qint32 hwnd, int index, qint32 newLong);

// The outer rectangle in screen pixels; right and bottom lie just outside. Returns 0 on failure.
int GetWindowRect(qint32 hwnd, RECT* rect);

// Returns 1 when the window was visible before, else 0. SW_MAXIMIZE maximises a window or a
// window of an MDI area; any other child fills its parent's client area (and keeps its
// title bar).
int ShowWindow(qint32 hwnd, int cmd);

// Moves (x, y in the parent's client coordinates; screen for a window) and sizes (outer size,
// negatives as 0) the window, and places it after `after` in the z-order (HWND_TOP raises,
// HWND_BOTTOM lowers, a sibling's handle stacks it under that sibling). Returns 0 on failure.
int SetWindowPos(qint32 hwnd, qint32 after, int x, int y, int cx, int cy, unsigned flags);

} // namespace WindowHandles
