#include "platform/windows/WindowHandles.h"
#include "platform/windows/PlatformGuiLog.h"

#include "platform/core/Ansi.h"
#include "platform/windows/WidgetBirthOrder.h"
#include "platform/windows/WindowFrameGuard.h"

#include <QHash>
#include <QLoggingCategory>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <cstring>
#include <limits>

namespace WindowHandles {

namespace {

constexpr char HandleProperty[] = "_kx4_hwnd";
// Where a child window was before it was maximised over its parent.
constexpr char RestoreProperty[] = "_kx4_restore";
constexpr qint32 FirstHandle = 0x00010020;
constexpr qint32 HandleStep = 4;

QHash<qint32, QPointer<QWidget>> widgets;
qint32 nextHandle = FirstHandle;

bool InMdiArea(const QWidget* widget) {
    auto* sub = qobject_cast<const QMdiSubWindow*>(widget);
    return sub && sub->mdiArea();
}

bool HasCaption(const QWidget* widget) {
    if (widget->windowFlags() & Qt::FramelessWindowHint)
        return false;
    const Qt::WindowType type = widget->windowType();
    if (type == Qt::SubWindow)
        return true;
    return widget->isWindow() && type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen &&
           type != Qt::Desktop;
}

// The hints in effect: a window without customised hints gets the platform's full set.
Qt::WindowFlags EffectiveFlags(const QWidget* widget) {
    Qt::WindowFlags flags = widget->windowFlags();
    if (!(flags & Qt::CustomizeWindowHint) && widget->windowType() != Qt::SubWindow)
        flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint;
    return flags;
}

bool IsShown(const QWidget* widget) {
    return widget->isWindow() ? widget->isVisible() : widget->isVisibleTo(widget->parentWidget());
}

// QMdiSubWindow hides its own setWindowFlags behind QWidget's, and either hides the window.
void ApplyFlags(QWidget* widget, Qt::WindowFlags flags) {
    const bool shown = !widget->isHidden();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(widget))
        sub->setWindowFlags(flags);
    else
        widget->setWindowFlags(flags);
    if (shown)
        widget->show();
}

bool IsSelfOrAncestor(const QWidget* candidate, const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (w == candidate)
            return true;
    return false;
}

void CollectDescendants(const QWidget* parent, QList<QPointer<QWidget>>& out) {
    for (QWidget* child : WidgetBirthOrder::ChildrenOf(parent)) {
        out.append(child);
        CollectDescendants(child, out);
    }
}

quint32 StyleOf(const QWidget* widget) {
    quint32 style = 0;
    if (!widget->isWindow())
        style |= WS_CHILD;
    if (IsShown(widget))
        style |= WS_VISIBLE;
    if (widget->testAttribute(Qt::WA_ForceDisabled))
        style |= WS_DISABLED;
    if (widget->isMinimized())
        style |= WS_MINIMIZE;
    if (widget->isMaximized() || widget->property(RestoreProperty).isValid())
        style |= WS_MAXIMIZE;
    if (HasCaption(widget)) {
        const Qt::WindowFlags flags = EffectiveFlags(widget);
        if (flags & Qt::WindowTitleHint)
            style |= WS_CAPTION;
        if (flags & Qt::WindowSystemMenuHint)
            style |= WS_SYSMENU;
        if (flags & Qt::WindowMinimizeButtonHint)
            style |= WS_MINIMIZEBOX;
        if (flags & Qt::WindowMaximizeButtonHint)
            style |= WS_MAXIMIZEBOX;
        if (WindowFrameGuard::HasSizingBorder(widget))
            style |= WS_THICKFRAME;
    }
    return style;
}

void MaximizeChild(QWidget* widget) {
    if (!widget->property(RestoreProperty).isValid())
        widget->setProperty(RestoreProperty, widget->geometry());
    if (QWidget* parent = widget->parentWidget())
        widget->setGeometry(parent->contentsRect());
    widget->show();
}

void RestoreChild(QWidget* widget) {
    const QVariant restore = widget->property(RestoreProperty);
    if (restore.isValid()) {
        widget->setGeometry(restore.toRect());
        widget->setProperty(RestoreProperty, QVariant());
    }
    widget->show();
}

} // namespace

qint32 HandleOf(QWidget* widget) {
    if (!widget)
        return 0;
    const QVariant known = widget->property(HandleProperty);
    if (known.isValid())
        return known.toInt();
    if (nextHandle > std::numeric_limits<qint32>::max() - HandleStep) {
        qCWarning(lcWindows) << "no window handles left for" << widget;
        return 0;
    }
    const qint32 handle = nextHandle;
    nextHandle += HandleStep;
    widget->setProperty(HandleProperty, handle);
    widgets.insert(handle, widget);
    QObject::connect(widget, &QObject::destroyed, [handle] { widgets.remove(handle); });
    return handle;
}

QWidget* WidgetOf(qint32 hwnd) {
    if (hwnd == 0)
        return nullptr;
    return widgets.value(hwnd).data();
}

int EnumChildWindows(qint32 hWndParent, WNDENUMPROC callback, qintptr lParam) {
    QWidget* parent = WidgetOf(hWndParent);
    if (!parent || !callback)
        return 0;
    QList<QPointer<QWidget>> descendants;
    CollectDescendants(parent, descendants);
    for (const QPointer<QWidget>& child : descendants) {
        if (child && callback(HandleOf(child), lParam) == 0)
            break;
    }
    return 1;
}

int GetWindowTextA(qint32 hwnd, char* buffer, int maxCount) {
    if (!buffer || maxCount < 1)
        return 0;
    buffer[0] = '\0';
    QWidget* widget = WidgetOf(hwnd);
    if (!widget)
        return 0;
    const QByteArray title = ToAnsi(widget->windowTitle());
    qsizetype length = qMin<qsizetype>(title.size(), maxCount - 1);
    // Never end on half a character.
    while (length > 0 && length < title.size() && (static_cast<uchar>(title.at(length)) & 0xC0) == 0x80)
        --length;
    std::memcpy(buffer, title.constData(), static_cast<size_t>(length));
    buffer[length] = '\0';
    return static_cast<int>(length);
}

int GetWindowTextLengthA(qint32 hwnd) {
    QWidget* widget = WidgetOf(hwnd);
    return widget ? static_cast<int>(ToAnsi(widget->windowTitle()).size()) : 0;
}

qint32 SetParent(qint32 child, qint32 newParent) {
    QWidget* widget = WidgetOf(child);
    if (!widget)
        return 0;
    QWidget* parent = nullptr;
    if (newParent != 0 && newParent != DesktopWindow) {
        parent = WidgetOf(newParent);
        if (!parent || IsSelfOrAncestor(widget, parent)) {
            qCDebug(lcWindows) << "SetParent refused:" << child << "under" << newParent;
            return 0;
        }
    }
    const qint32 previous = widget->parentWidget() ? HandleOf(widget->parentWidget()) : DesktopWindow;
    const bool shown = !widget->isHidden();
    const QPoint position = widget->pos();
    Qt::WindowFlags flags = widget->windowFlags();
    if (!parent)
        flags = (flags & ~Qt::WindowType_Mask) | Qt::Window;
    else if (widget->isWindow())
        flags &= ~Qt::WindowType_Mask; // a child keeps its hints; a subwindow keeps its type
    widget->setParent(parent, flags);
    widget->move(position);
    if (shown)
        widget->show();
    return previous;
}

qint32 GetWindowLongA(qint32 hwnd, int index) {
    QWidget* widget = WidgetOf(hwnd);
    if (!widget || index != GWL_STYLE)
        return 0;
    return static_cast<qint32>(StyleOf(widget));
}

qint32 SetWindowLongA(qint32 hwnd, int index, qint32 newLong) {
    QWidget* widget = WidgetOf(hwnd);
    if (!widget || index != GWL_STYLE)
        return 0;
    const quint32 before = StyleOf(widget);
    const quint32 after = static_cast<quint32>(newLong);
    const quint32 changed = before ^ after;
    if (HasCaption(widget) && (changed & (WS_SYSMENU | WS_THICKFRAME))) {
        WindowFrameGuard* guard = WindowFrameGuard::Of(widget);
        if (changed & WS_SYSMENU) {
            Qt::WindowFlags flags = EffectiveFlags(widget) | Qt::CustomizeWindowHint;
            flags.setFlag(Qt::WindowSystemMenuHint, after & WS_SYSMENU);
            // Qt gives a window with title-bar buttons its system menu back; on the platform
            // we stand in for, a window without one has no buttons either.
            if (!(after & WS_SYSMENU) && widget->isWindow())
                flags &= ~(Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint |
                           Qt::WindowContextHelpButtonHint);
            ApplyFlags(widget, flags);
        }
        if (changed & WS_THICKFRAME)
            guard->SetSizingBorder(after & WS_THICKFRAME);
    }
    if (changed & WS_DISABLED)
        widget->setEnabled(!(after & WS_DISABLED));
    return static_cast<qint32>(before);
}

int GetWindowRect(qint32 hwnd, RECT* rect) {
    QWidget* widget = WidgetOf(hwnd);
    if (!widget || !rect)
        return 0;
    const QRect outer = widget->isWindow() ? widget->frameGeometry()
                                           : QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    rect->left = outer.left();
    rect->top = outer.top();
    rect->right = outer.left() + outer.width();
    rect->bottom = outer.top() + outer.height();
    return 1;
}

int ShowWindow(qint32 hwnd, int cmd) {
    QWidget* widget = WidgetOf(hwnd);
    if (!widget)
        return 0;
    const int wasVisible = IsShown(widget) ? 1 : 0;
    const bool managed = widget->isWindow() || InMdiArea(widget);
    switch (cmd) {
    case SW_HIDE: widget->hide(); break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        if (managed)
            widget->showNormal();
        else
            RestoreChild(widget);
        break;
    case SW_MAXIMIZE:
        // A child window maximised the Qt way would give its title bar to the frame's menu bar.
        if (managed)
            widget->showMaximized();
        else
            MaximizeChild(widget);
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case 7:  // SW_SHOWMINNOACTIVE
    case 11: // SW_FORCEMINIMIZE
        widget->showMinimized();
        break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOW:
    case SW_SHOWNA:
    case 10: // SW_SHOWDEFAULT
        widget->show();
        break;
    default: qCDebug(lcWindows) << "ShowWindow: unknown command" << cmd; break;
    }
    return wasVisible;
}

int SetWindowPos(qint32 hwnd, qint32 after, int x, int y, int cx, int cy, unsigned flags) {
    QWidget* widget = WidgetOf(hwnd);
    if (!widget)
        return 0;
    if (!(flags & SWP_NOZORDER)) {
        if (after == HWND_TOP || after == -1) // -1: HWND_TOPMOST
            widget->raise();
        else if (after == HWND_BOTTOM)
            widget->lower();
        else if (QWidget* sibling = WidgetOf(after);
                 sibling && sibling != widget && sibling->parentWidget() == widget->parentWidget())
            widget->stackUnder(sibling);
    }
    if (!(flags & SWP_NOMOVE))
        widget->move(x, y);
    if (!(flags & SWP_NOSIZE)) {
        QSize size(qMax(cx, 0), qMax(cy, 0));
        if (widget->isWindow())
            size -= widget->frameGeometry().size() - widget->size(); // the outer size is asked for
        size = size.expandedTo(QSize(0, 0));
        if (WindowFrameGuard* guard = WindowFrameGuard::Find(widget))
            guard->Resize(size);
        else
            widget->resize(size);
    }
    if (flags & SWP_SHOWWINDOW)
        widget->show();
    if (flags & SWP_HIDEWINDOW)
        widget->hide();
    if (!(flags & SWP_NOACTIVATE)) {
        if (widget->isWindow())
            widget->activateWindow();
        else if (auto* sub = qobject_cast<QMdiSubWindow*>(widget); sub && sub->mdiArea())
            sub->mdiArea()->setActiveSubWindow(sub);
    }
    return 1;
}

} // namespace WindowHandles
