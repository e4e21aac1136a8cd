#include "platform/windows/WindowHandles.h"

#include <QApplication>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace WindowHandles;

namespace {

QList<qint32> enumerated;

QList<qint32> Children(qint32 parent, int stopAfter = 1000) {
    enumerated.clear();
    static int limit;
    limit = stopAfter;
    EnumChildWindows(
        parent, [](qint32 hwnd, qintptr) { return int((enumerated << hwnd).size() < limit); }, 0);
    return enumerated;
}

qint32 StaleHandle() {
    QWidget gone;
    new QWidget(&gone);
    return HandleOf(&gone);
}

// A captioned child window in a plain container, the way the frame's pane holds one.
struct PaneWithWindow {
    QWidget pane;
    QMdiSubWindow* window = new QMdiSubWindow(&pane);
    qint32 hwnd = HandleOf(window);
    PaneWithWindow() {
        pane.resize(400, 300);
        window->setWidget(new QLabel(QStringLiteral("content")));
        window->setWindowTitle(QStringLiteral("Explorer"));
        window->setGeometry(20, 20, 200, 150);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
    }
};

} // namespace

class tst_WindowHandles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Handles are never given out twice; children enumerate in pre-order by birth, whatever the
    // stacking, a re-parented widget as the newest child of its new parent.
    void handlesAndEnumeration() {
        QCOMPARE(HandleOf(nullptr), 0);
        QSet<qint32> seen;
        for (int i = 0; i < 50; ++i) { // the allocator likely hands back the same address
            QWidget again;
            QCOMPARE(WidgetOf(*seen.insert(HandleOf(&again))), &again);
        }
        QCOMPARE(seen.size(), 50); // never given out twice

        QWidget frame;
        auto* a = new QWidget(&frame);
        auto* a1 = new QWidget(a);
        auto* b = new QLabel(&frame);
        auto* b1 = new QWidget(b);
        auto* w = new QWidget(&frame, Qt::Window); // a window parented to the frame
        auto* w1 = new QWidget(w);
        a->raise();
        w->lower();
        const qint32 root = HandleOf(&frame);
        QCOMPARE(Children(root), (QList<qint32>{HandleOf(a), HandleOf(a1), HandleOf(b), HandleOf(b1),
                                                HandleOf(w), HandleOf(w1)}));
        a1->setParent(b);
        QCOMPARE(Children(root), (QList<qint32>{HandleOf(a), HandleOf(b), HandleOf(b1), HandleOf(a1),
                                                HandleOf(w), HandleOf(w1)}));
        QCOMPARE(Children(root, 2).size(), 2);
        // No handle and a stale one fail quietly.
        RECT rect;
        for (qint32 hwnd : {0, StaleHandle()}) {
            QCOMPARE(EnumChildWindows(hwnd, nullptr, 0) + GetWindowLongA(hwnd, GWL_STYLE) +
                         SetWindowLongA(hwnd, GWL_STYLE, 0),
                     0);
            QCOMPARE(GetWindowRect(hwnd, &rect) + ShowWindow(hwnd, SW_MAXIMIZE), 0);
            QCOMPARE(SetWindowPos(hwnd, 0, 0, 0, 10, 10, 0) + SetParent(hwnd, root), 0);
        }
    }

    // A cut never splits a character; a buffer of no size gets nothing written.
    void windowText() {
        QWidget window;
        window.setWindowTitle(QStringLiteral("aÖ"));
        const qint32 hwnd = HandleOf(&window);
        QCOMPARE(GetWindowTextLengthA(hwnd) + GetWindowTextLengthA(0), 3);
        for (const auto& [maxCount, expected] :
             {std::pair{4, "a\xc3\x96"}, std::pair{3, "a"}, std::pair{1, ""}}) {
            QByteArray buffer(maxCount, ' ');
            const int length = GetWindowTextA(hwnd, buffer.data(), maxCount);
            QCOMPARE(QByteArray(buffer.constData(), length + 1), QByteArray(expected) + '\0');
        }
        char one = 'z';
        QCOMPARE(GetWindowTextA(hwnd, &one, 0) + GetWindowTextA(hwnd, nullptr, 9), 0);
        QCOMPARE(one, 'z');
        QCOMPARE(GetWindowTextA(0, &one, 1), 0);
    }

    // Refused: the child itself, a descendant of it, a stale new parent. A window given no parent
    // becomes a top-level window, and comes back from the desktop.
    void setParent() {
        QWidget pane;
        auto* sub = new QMdiSubWindow(&pane);
        auto* inside = new QWidget(sub);
        pane.show();
        for (const qint32 refused : {HandleOf(sub), HandleOf(inside), StaleHandle()})
            QCOMPARE(SetParent(HandleOf(sub), refused), 0);
        QCOMPARE(SetParent(HandleOf(sub), 0), HandleOf(&pane));
        QVERIFY(sub->isWindow());
        std::unique_ptr<QWidget> owned(sub); // a top-level window now: ours to delete
        QCOMPARE(SetParent(HandleOf(sub), HandleOf(&pane)), DesktopWindow);
        owned.release();
        QVERIFY(!sub->isWindow() && sub->isVisible());
    }

    void style() {
        QWidget frame;
        auto* plain = new QWidget(&frame);
        (new QWidget(&frame))->hide();
        frame.show();
        const auto style = [](QWidget* w) { return quint32(GetWindowLongA(HandleOf(w), GWL_STYLE)); };
        QCOMPARE(style(&frame) & (WS_CHILD | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME),
                 WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME);
        QCOMPARE(style(plain), WS_CHILD | WS_VISIBLE);
        QCOMPARE(style(frame.findChildren<QWidget*>().last()), WS_CHILD);
        QCOMPARE(GetWindowLongA(HandleOf(&frame), -20), 0); // GWL_EXSTYLE is not kept
        QCOMPARE(style(new QWidget(&frame, Qt::Window | Qt::FramelessWindowHint)) & WS_CAPTION, 0u);
        // A top-level window without menu and sizing border loses its buttons and keeps the size
        // it is given; disabled and minimized, it says so.
        const qint32 hwnd = HandleOf(&frame);
        SetWindowLongA(hwnd, GWL_STYLE,
                       qint32((style(&frame) & ~(WS_SYSMENU | WS_THICKFRAME)) | WS_DISABLED));
        SetWindowPos(hwnd, 0, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
        frame.showMinimized();
        QVERIFY(!frame.isEnabled() && !(frame.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(frame.frameGeometry().size(), QSize(300, 200));
        QCOMPARE(frame.maximumSize(), frame.size());
        QCOMPARE(style(&frame) & (WS_DISABLED | WS_MINIMIZE | WS_SYSMENU | WS_THICKFRAME),
                 WS_DISABLED | WS_MINIMIZE);
        SetWindowLongA(hwnd, GWL_STYLE, qint32(style(&frame) | WS_THICKFRAME));
        QCOMPARE(frame.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    }

    void frameBits_data() {
        QTest::addColumn<qint32>("cleared");
        QTest::addColumn<bool>("setAgain");
        QTest::newRow("no system menu") << qint32(WS_SYSMENU) << false;
        QTest::newRow("no sizing border") << qint32(WS_THICKFRAME) << false;
        QTest::newRow("both cleared and set again") << qint32(WS_SYSMENU | WS_THICKFRAME) << true;
    }
    // Cleared bits take the title-bar menu or the sizing border away and keep the caption; set
    // again, they are back.
    void frameBits() {
        QFETCH(qint32, cleared);
        QFETCH(bool, setAgain);
        PaneWithWindow p;
        const qint32 before = GetWindowLongA(p.hwnd, GWL_STYLE);
        SetWindowLongA(p.hwnd, GWL_STYLE, before & ~cleared);
        QVERIFY(p.window->windowFlags() & Qt::WindowTitleHint && p.window->isVisible());
        if (setAgain)
            QCOMPARE(SetWindowLongA(p.hwnd, GWL_STYLE, before), before & ~cleared);
        const qint32 gone = setAgain ? 0 : cleared;
        QPointer<QWidget> popup; // a right click on the title bar
        QTimer::singleShot(0, [&popup] {
            if ((popup = QApplication::activePopupWidget()))
                popup->close();
        });
        const QPoint title(p.window->width() / 2, 8);
        QContextMenuEvent event(QContextMenuEvent::Mouse, title, p.window->mapToGlobal(title));
        QApplication::sendEvent(p.window, &event);
        QCoreApplication::processEvents();
        QCOMPARE(!popup.isNull(), !(gone & WS_SYSMENU));
        // A drag on the right border; the window picks its operation when the mouse hovers, before
        // the press.
        const QSize size = p.window->size();
        const QPoint start = QPoint(size.width() - 2, size.height() - 75);
        const QPoint end = start + QPoint(40, 30);
        QMouseEvent hover(QEvent::MouseMove, start, p.window->mapToGlobal(start), Qt::NoButton, Qt::NoButton,
                          {});
        QApplication::sendEvent(p.window, &hover);
        QTest::mousePress(p.window, Qt::LeftButton, {}, start);
        QMouseEvent move(QEvent::MouseMove, end, p.window->mapToGlobal(end), Qt::NoButton, Qt::LeftButton,
                         {});
        QApplication::sendEvent(p.window, &move);
        QTest::mouseRelease(p.window, Qt::LeftButton, {}, end);
        QCOMPARE(p.window->size() != size, !(gone & WS_THICKFRAME));
    }

    // Rectangles in screen pixels; restoring, hiding, moving and sizing by flags.
    void placement() {
        PaneWithWindow p;
        RECT rect;
        QVERIFY(GetWindowRect(p.hwnd, &rect));
        QCOMPARE(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
                 QRect(p.window->mapToGlobal(QPoint(0, 0)), QSize(200, 150)));
        QCOMPARE(ShowWindow(p.hwnd, SW_MAXIMIZE), 1);
        QVERIFY(GetWindowLongA(p.hwnd, GWL_STYLE) & WS_MAXIMIZE);
        ShowWindow(p.hwnd, SW_RESTORE);
        QCOMPARE(p.window->geometry(), QRect(20, 20, 200, 150));
        QCOMPARE(ShowWindow(p.hwnd, SW_HIDE) * 2 + ShowWindow(p.hwnd, SW_SHOW), 2); // was it visible
        SetWindowPos(p.hwnd, 0, 5, 6, -10, 40, SWP_NOZORDER);
        QCOMPARE(p.window->geometry(), QRect(5, 6, qMax(0, p.window->minimumWidth()), 40));
        SetWindowPos(p.hwnd, 0, 50, 60, 1, 1, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW);
        QCOMPARE(p.window->pos(), QPoint(5, 6));
        QVERIFY(p.window->isHidden());
    }
};

QTEST_MAIN(tst_WindowHandles)
#include "tst_WindowHandles.moc"
