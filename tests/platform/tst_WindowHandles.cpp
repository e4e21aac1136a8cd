#include "platform/windows/WindowHandles.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
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

void ClearStyle(qint32 hwnd, qint32 bits) {
    SetWindowLongA(hwnd, GWL_STYLE, GetWindowLongA(hwnd, GWL_STYLE) & ~bits);
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
    void handlesAndEnumeration();
    void windowText_data();
    void windowText();
    void setParent();
    void style();
    void borderResizesOnlyWithThickFrame_data();
    void borderResizesOnlyWithThickFrame();
    void systemMenuOnlyWithSysMenu();
    void placement();
    void staleHandlesFailQuietly();
};

// Handles are never given out twice; children enumerate in pre-order by birth, whatever the
// stacking, a re-parented widget as the newest child of its new parent.
void tst_WindowHandles::handlesAndEnumeration() {
    QCOMPARE(HandleOf(nullptr), 0);
    QSet<qint32> seen;
    for (int i = 0; i < 50; ++i) { // the allocator likely hands back the same address
        QWidget again;
        QVERIFY2(!seen.contains(HandleOf(&again)), "a handle was given out twice");
        seen.insert(HandleOf(&again));
        QCOMPARE(WidgetOf(HandleOf(&again)), &again);
    }
    QCOMPARE(WidgetOf(*seen.begin()), nullptr);

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
    QCOMPARE(Children(root), (QList<qint32>{HandleOf(a), HandleOf(a1), HandleOf(b), HandleOf(b1), HandleOf(w),
                                            HandleOf(w1)}));
    a1->setParent(b);
    QCOMPARE(Children(root), (QList<qint32>{HandleOf(a), HandleOf(b), HandleOf(b1), HandleOf(a1), HandleOf(w),
                                            HandleOf(w1)}));
    QCOMPARE(Children(root, 2).size(), 2);
    QCOMPARE(EnumChildWindows(0, nullptr, 0), 0);
    QCOMPARE(EnumChildWindows(StaleHandle(), nullptr, 0), 0);
}

void tst_WindowHandles::windowText_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("maxCount");
    QTest::addColumn<QString>("expected");
    const QString x254(254, QLatin1Char('x'));
    QTest::newRow("empty title") << QString() << 255 << QString();
    QTest::newRow("254 characters fit") << x254 << 255 << x254;
    QTest::newRow("255 characters are cut to 254") << x254 + QLatin1Char('y') << 255 << x254;
    QTest::newRow("umlauts take two bytes each") << QStringLiteral("Öffnen") << 4 << QStringLiteral("Öf");
    QTest::newRow("a cut never splits a character") << QStringLiteral("aÖ") << 3 << QStringLiteral("a");
    QTest::newRow("a one-byte buffer holds the zero only") << QStringLiteral("abc") << 1 << QString();
}

void tst_WindowHandles::windowText() {
    QFETCH(QString, title);
    QFETCH(int, maxCount);
    QFETCH(QString, expected);
    QWidget window;
    window.setWindowTitle(title);
    QByteArray buffer(maxCount, ' ');
    const int length = GetWindowTextA(HandleOf(&window), buffer.data(), maxCount);
    QCOMPARE(QString::fromUtf8(buffer.constData(), length), expected);
    QCOMPARE(buffer.at(length), '\0');
    QCOMPARE(GetWindowTextLengthA(HandleOf(&window)), int(title.toUtf8().size()));
    char one = 'z';
    QCOMPARE(GetWindowTextA(HandleOf(&window), &one, 0) + GetWindowTextA(HandleOf(&window), nullptr, 9), 0);
    QCOMPARE(one, 'z'); // nothing written into a buffer of no size
    QCOMPARE(GetWindowTextA(0, buffer.data(), maxCount) + GetWindowTextLengthA(0), 0);
}

void tst_WindowHandles::setParent() {
    QWidget frame;
    auto* area = new QMdiArea(&frame);
    auto* pane = new QWidget(&frame);
    auto* sub = area->addSubWindow(new QLabel(QStringLiteral("x")));
    sub->move(7, 9);
    auto* inside = new QWidget(sub);
    frame.show();
    // Refused: the child itself, a descendant of it, a stale new parent.
    for (const qint32 refused : {HandleOf(sub), HandleOf(inside), StaleHandle()})
        QCOMPARE(SetParent(HandleOf(sub), refused), 0);
    // A subwindow leaves the MDI area with its caption, shown where it was.
    QCOMPARE(SetParent(HandleOf(sub), HandleOf(pane)), HandleOf(area->viewport()));
    QCOMPARE(sub->parentWidget(), pane);
    QVERIFY(area->subWindowList().isEmpty());
    QVERIFY(GetWindowLongA(HandleOf(sub), GWL_STYLE) & WS_CAPTION);
    QVERIFY(sub->isVisible());
    QCOMPARE(sub->pos(), QPoint(7, 9));
    QCOMPARE(SetParent(HandleOf(sub), 0), HandleOf(pane));
    QVERIFY(sub->isWindow());
    std::unique_ptr<QWidget> owned(sub); // a top-level window now: ours to delete
    QCOMPARE(SetParent(HandleOf(sub), HandleOf(pane)), DesktopWindow);
    owned.release();
    QVERIFY(!sub->isWindow());
}

void tst_WindowHandles::style() {
    QWidget frame;
    auto* plain = new QWidget(&frame);
    auto* hidden = new QWidget(&frame);
    hidden->hide();
    frame.show();
    QCOMPARE(GetWindowLongA(HandleOf(&frame), GWL_STYLE) &
                 (WS_CHILD | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME),
             WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME);
    QCOMPARE(quint32(GetWindowLongA(HandleOf(plain), GWL_STYLE)), WS_CHILD | WS_VISIBLE);
    QCOMPARE(quint32(GetWindowLongA(HandleOf(hidden), GWL_STYLE)), WS_CHILD);
    QCOMPARE(GetWindowLongA(HandleOf(&frame), -20), 0); // GWL_EXSTYLE is not kept
    // Clearing the system menu and the sizing border keeps the caption, and comes back.
    PaneWithWindow p;
    const qint32 before = GetWindowLongA(p.hwnd, GWL_STYLE);
    QCOMPARE(SetWindowLongA(p.hwnd, GWL_STYLE, before & qint32(0xFFF3FFFF)), before);
    QCOMPARE(GetWindowLongA(p.hwnd, GWL_STYLE), before & qint32(0xFFF3FFFF));
    QVERIFY(p.window->windowFlags() & Qt::WindowTitleHint);
    QVERIFY(p.window->isVisible());
    SetWindowLongA(p.hwnd, GWL_STYLE, before);
    QCOMPARE(GetWindowLongA(p.hwnd, GWL_STYLE), before);
}

void tst_WindowHandles::borderResizesOnlyWithThickFrame_data() {
    QTest::addColumn<bool>("thickFrame");
    QTest::addColumn<QPoint>("press"); // relative to the window's bottom-right corner
    QTest::newRow("right border with a sizing border") << true << QPoint(-2, -75);
    QTest::newRow("right border without") << false << QPoint(-2, -75);
    QTest::newRow("bottom-right corner without") << false << QPoint(-2, -2);
}

void tst_WindowHandles::borderResizesOnlyWithThickFrame() {
    QFETCH(bool, thickFrame);
    QFETCH(QPoint, press);
    PaneWithWindow p;
    if (!thickFrame)
        ClearStyle(p.hwnd, WS_THICKFRAME);
    const QSize before = p.window->size();
    const QPoint start = QPoint(before.width(), before.height()) + press;
    const QPoint end = start + QPoint(40, 30);
    // The window picks its operation when the mouse hovers, before the press.
    QMouseEvent hover(QEvent::MouseMove, start, p.window->mapToGlobal(start), Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(p.window, &hover);
    QTest::mousePress(p.window, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, end, p.window->mapToGlobal(end), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(p.window, &move);
    QTest::mouseRelease(p.window, Qt::LeftButton, {}, end);
    QCOMPARE(p.window->size() != before, thickFrame);
}

void tst_WindowHandles::systemMenuOnlyWithSysMenu() {
    for (bool sysMenu : {true, false}) {
        PaneWithWindow p;
        if (!sysMenu)
            ClearStyle(p.hwnd, WS_SYSMENU);
        QPointer<QWidget> popup;
        QTimer::singleShot(0, [&popup] {
            if ((popup = QApplication::activePopupWidget()))
                popup->close();
        });
        const QPoint title(p.window->width() / 2, 8);
        QContextMenuEvent event(QContextMenuEvent::Mouse, title, p.window->mapToGlobal(title));
        QApplication::sendEvent(p.window, &event);
        QCoreApplication::processEvents();
        QCOMPARE(!popup.isNull(), sysMenu);
    }
}

// Rectangles in screen pixels; maximizing fills the parent; moving, sizing and raising; a
// top-level window without a sizing border keeps the size it is given.
void tst_WindowHandles::placement() {
    PaneWithWindow p;
    RECT rect;
    QVERIFY(GetWindowRect(p.hwnd, &rect));
    QCOMPARE(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
             QRect(p.window->mapToGlobal(QPoint(0, 0)), QSize(200, 150)));
    QCOMPARE(ShowWindow(p.hwnd, SW_MAXIMIZE), 1);
    QCOMPARE(p.window->geometry(), p.pane.rect());
    QVERIFY(GetWindowLongA(p.hwnd, GWL_STYLE) & WS_MAXIMIZE);
    ShowWindow(p.hwnd, SW_RESTORE);
    QCOMPARE(p.window->geometry(), QRect(20, 20, 200, 150));
    QCOMPARE(ShowWindow(p.hwnd, SW_HIDE), 1);
    QCOMPARE(ShowWindow(p.hwnd, SW_SHOW), 0);
    (new QWidget(&p.pane))->show();
    QCOMPARE(SetWindowPos(p.hwnd, HWND_TOP, 0, 0, 300, 250, 0), 1);
    QCOMPARE(p.window->geometry(), QRect(0, 0, 300, 250));
    QCOMPARE(p.pane.children().last(), p.window); // top of its siblings
    SetWindowPos(p.hwnd, 0, 5, 6, -10, 40, SWP_NOZORDER);
    QCOMPARE(p.window->geometry(), QRect(5, 6, qMax(0, p.window->minimumWidth()), 40));
    SetWindowPos(p.hwnd, 0, 50, 60, 1, 1, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW);
    QCOMPARE(p.window->pos(), QPoint(5, 6));
    QVERIFY(p.window->isHidden());

    QWidget window;
    window.resize(300, 200);
    window.show();
    ClearStyle(HandleOf(&window), WS_THICKFRAME | WS_SYSMENU);
    QCOMPARE(window.maximumSize(), QSize(300, 200));
    QCOMPARE(window.minimumSize(), QSize(300, 200));
    SetWindowPos(HandleOf(&window), 0, 0, 0, 320, 240, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    QCOMPARE(window.maximumSize(), window.size());
    QCOMPARE(window.size(), QSize(320, 240) - (window.frameGeometry().size() - window.size()));
}

void tst_WindowHandles::staleHandlesFailQuietly() {
    RECT rect;
    QWidget parent;
    for (qint32 hwnd : {0, StaleHandle()}) {
        QCOMPARE(GetWindowLongA(hwnd, GWL_STYLE) + SetWindowLongA(hwnd, GWL_STYLE, 0), 0);
        QCOMPARE(GetWindowRect(hwnd, &rect) + ShowWindow(hwnd, SW_MAXIMIZE), 0);
        QCOMPARE(SetWindowPos(hwnd, 0, 0, 0, 10, 10, 0) + SetParent(hwnd, HandleOf(&parent)), 0);
    }
}

QTEST_MAIN(tst_WindowHandles)
#include "tst_WindowHandles.moc"
