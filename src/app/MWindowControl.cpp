#include "app/MWindowControl.h"

#include "platform/core/Ansi.h"
#include "platform/windows/WindowHandles.h"

#include <array>

namespace MWindowControl {

namespace {

QList<qint32> childWindows;

constexpr int TitleBufferSize = 255;
constexpr quint32 FrameBits = WindowHandles::WS_SYSMENU | WindowHandles::WS_THICKFRAME;

} // namespace

int EnumChildProc(qint32 Hwnd, qintptr /*LParam*/) {
    childWindows.append(Hwnd);
    return 1;
}

const QList<qint32>& ChildWindows() { return childWindows; }

qint32 ReparentWindowByCaption(const qint32& ParentHwnd, const qint32& NewParentHwnd,
                               const QString& Caption) {
    using namespace WindowHandles;
    childWindows = {};
    EnumChildWindows(ParentHwnd, EnumChildProc, 0);
    const qsizetype count = childWindows.size();
    for (qsizetype i = 0; i < count; ++i) {
        const qint32 hwnd = childWindows.at(i);
        std::array<char, TitleBufferSize> buffer;
        buffer.fill(' ');
        const int length = GetWindowTextA(hwnd, buffer.data(), TitleBufferSize);
        // A full buffer may hold only the start of a longer title, which must not pass for it.
        if (length == TitleBufferSize - 1 && GetWindowTextLengthA(hwnd) > length)
            continue;
        const QString title = FromAnsi(QByteArray(buffer.data(), length));
        if (title == Caption && SetParent(hwnd, NewParentHwnd) != 0)
            return hwnd;
    }
    return 0;
}

void RemoveWindowFrame(const qint32& Hwnd) {
    using namespace WindowHandles;
    const qint32 style = GetWindowLongA(Hwnd, GWL_STYLE);
    SetWindowLongA(Hwnd, GWL_STYLE, static_cast<qint32>(static_cast<quint32>(style) & ~FrameBits));
}

void FitWindowToContainer(const qint32& Hwnd, const qint32& ContainerHwnd) {
    using namespace WindowHandles;
    RECT rect;
    if (!GetWindowRect(ContainerHwnd, &rect))
        return; // an unread rectangle would shrink the window to nothing
    ShowWindow(Hwnd, SW_MAXIMIZE);
    SetWindowPos(Hwnd, HWND_TOP, 0, 0, rect.right - rect.left, rect.bottom - rect.top, 0);
}

} // namespace MWindowControl
