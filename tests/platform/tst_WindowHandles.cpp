#include "platform/windows/WindowHandles.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace WindowHandles;

namespace {

QList<qint32> enumerated;

int Record(qint32 hwnd, qintptr) {
    enumerated.append(hwnd);
    return 1;
}

int StopAfterTwo(qint32 hwnd, qintptr) {
    enumerated.append(hwnd);
    return enumerated.size() < 2 ? 1 : 0;
}

QList<qint32> Children(QWidget* parent, WNDENUMPROC proc = Record) {
    enumerated.clear();
    EnumChildWindows(HandleOf(parent), proc, 0);
    return enumerated;
}

QString TitleOf(qint32 hwnd, int maxCount, int* length) {
    QByteArray buffer(qMax(maxCount, 1), ' ');
    *length = GetWindowTextA(hwnd, buffer.data(), maxCount);
    return QString::fromUtf8(buffer.constData(), *length);
}

// A captioned child window in a plain container, the way the frame's pane holds one.
struct PaneWithWindow {
    QWidget pane;
    QMdiSubWindow* window;
    PaneWithWindow() : window(new QMdiSubWindow(&pane)) {
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
    void handlesAreStableAndNeverReused();
    void enumerationIsPreOrderByBirth();
    void enumerationStopsWhenToldAndFailsOnBadParent();
    void windowText_data();
    void windowText();
    void windowTextOfBadHandles();
    void setParentMovesAndReportsThePreviousParent();
    void setParentRefuses_data();
    void setParentRefuses();
    void subWindowLeavesMdiAreaWithItsCaption();
    void styleReadsTheWidget();
    void clearingSysMenuAndThickFrameKeepsTheCaption();
    void borderResizesOnlyWithThickFrame_data();
    void borderResizesOnlyWithThickFrame();
    void systemMenuOnlyWithSysMenu();
    void windowRectIsInScreenPixels();
    void maximizedChildFillsItsParent();
    void setWindowPosMovesSizesAndRaises();
    void topLevelWithoutThickFrameHasFixedSize();
    void staleHandlesFailQuietly();
};

void tst_WindowHandles::handlesAreStableAndNeverReused() {
    QCOMPARE(HandleOf(nullptr), 0);
    QCOMPARE(WidgetOf(0), nullptr);
    auto first = std::make_unique<QWidget>();
    const qint32 handle = HandleOf(first.get());
    QVERIFY(handle != 0);
    QCOMPARE(HandleOf(first.get()), handle);
    QCOMPARE(WidgetOf(handle), first.get());
    first.reset();
    QCOMPARE(WidgetOf(handle), nullptr);
    QSet<qint32> seen{handle};
    for (int i = 0; i < 50; ++i) { // the allocator likely hands back the same address
        QWidget again;
        const qint32 next = HandleOf(&again);
        QVERIFY2(!seen.contains(next), "a handle was given out twice");
        seen.insert(next);
    }
}

void tst_WindowHandles::enumerationIsPreOrderByBirth() {
    QWidget frame;
    auto* a = new QWidget(&frame);
    auto* a1 = new QWidget(a);
    auto* b = new QLabel(&frame);
    auto* b1 = new QWidget(b);
    auto* b2 = new QWidget(b);
    auto* w = new QWidget(&frame, Qt::Window); // a window parented to the frame
    auto* w1 = new QWidget(w);
    const QList<qint32> expected{HandleOf(a),  HandleOf(a1), HandleOf(b), HandleOf(b1),
                                 HandleOf(b2), HandleOf(w),  HandleOf(w1)};
    QCOMPARE(Children(&frame), expected);

    // Stacking changes do not change the order.
    a->raise();
    b2->lower();
    w->lower();
    QCOMPARE(Children(&frame), expected);

    // A re-parented widget is the newest child of its new parent.
    a1->setParent(b);
    QCOMPARE(Children(&frame), (QList<qint32>{HandleOf(a), HandleOf(b), HandleOf(b1), HandleOf(b2),
                                              HandleOf(a1), HandleOf(w), HandleOf(w1)}));
    QCOMPARE(Children(b1), QList<qint32>{});
}

void tst_WindowHandles::enumerationStopsWhenToldAndFailsOnBadParent() {
    QWidget frame;
    new QWidget(&frame);
    new QWidget(&frame);
    new QWidget(&frame);
    QCOMPARE(Children(&frame, StopAfterTwo).size(), 2);

    enumerated.clear();
    QCOMPARE(EnumChildWindows(0, Record, 0), 0);
    qint32 stale = 0;
    {
        QWidget gone;
        new QWidget(&gone);
        stale = HandleOf(&gone);
    }
    QCOMPARE(EnumChildWindows(stale, Record, 0), 0);
    QVERIFY(enumerated.isEmpty());
}

void tst_WindowHandles::windowText_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("maxCount");
    QTest::addColumn<QString>("expected");

    const QString x254(254, QLatin1Char('x'));
    QTest::newRow("empty title") << QString() << 255 << QString();
    QTest::newRow("plain title") << QStringLiteral("KestrixStudio Project Explorer") << 255
                                 << QStringLiteral("KestrixStudio Project Explorer");
    QTest::newRow("254 characters fit") << x254 << 255 << x254;
    QTest::newRow("255 characters are cut to 254") << x254 + QLatin1Char('y') << 255 << x254;
    QTest::newRow("umlauts take two bytes each") << QStringLiteral("Öffnen") << 4 << QStringLiteral("Öf");
    QTest::newRow("a cut never splits a character") << QStringLiteral("aÖ") << 3 << QStringLiteral("a");
    QTest::newRow("a one-byte buffer holds the zero only") << QStringLiteral("abc") << 1 << QString();
    QTest::newRow("case is kept") << QStringLiteral("KestrixStudio PROJECT") << 255
                                  << QStringLiteral("KestrixStudio PROJECT");
}

void tst_WindowHandles::windowText() {
    QFETCH(QString, title);
    QFETCH(int, maxCount);
    QFETCH(QString, expected);
    QWidget window;
    window.setWindowTitle(title);
    QByteArray buffer(maxCount, ' ');
    const int length = GetWindowTextA(HandleOf(&window), buffer.data(), maxCount);
    QCOMPARE(length, int(expected.toUtf8().size()));
    QCOMPARE(buffer.at(length), '\0');
    QCOMPARE(QString::fromUtf8(buffer.constData(), length), expected);
    QCOMPARE(GetWindowTextLengthA(HandleOf(&window)), int(title.toUtf8().size()));
}

void tst_WindowHandles::windowTextOfBadHandles() {
    int length = -1;
    QCOMPARE(TitleOf(0, 255, &length), QString());
    QCOMPARE(length, 0);
    QCOMPARE(GetWindowTextLengthA(0), 0);
    QWidget window;
    window.setWindowTitle(QStringLiteral("t"));
    QCOMPARE(GetWindowTextA(HandleOf(&window), nullptr, 255), 0);
    char one = 'z';
    QCOMPARE(GetWindowTextA(HandleOf(&window), &one, 0), 0);
    QCOMPARE(one, 'z'); // nothing written into a buffer of no size
}

void tst_WindowHandles::setParentMovesAndReportsThePreviousParent() {
    QWidget frame;
    auto* oldParent = new QWidget(&frame);
    auto* newParent = new QWidget(&frame);
    auto* child = new QWidget(oldParent);
    child->move(7, 9);
    frame.show();
    QVERIFY(child->isVisible());

    QCOMPARE(SetParent(HandleOf(child), HandleOf(newParent)), HandleOf(oldParent));
    QCOMPARE(child->parentWidget(), newParent);
    QVERIFY(child->isVisible());
    QCOMPARE(child->pos(), QPoint(7, 9));

    QCOMPARE(SetParent(HandleOf(child), 0), HandleOf(newParent));
    QVERIFY(child->isWindow());
    std::unique_ptr<QWidget> owned(child); // a top-level window now: ours to delete
    QCOMPARE(SetParent(HandleOf(child), HandleOf(oldParent)), DesktopWindow);
    owned.release();
    QCOMPARE(child->parentWidget(), oldParent);
    QVERIFY(!child->isWindow());
}

void tst_WindowHandles::setParentRefuses_data() {
    QTest::addColumn<QString>("newParent");
    QTest::newRow("the child itself") << QStringLiteral("child");
    QTest::newRow("a descendant of the child") << QStringLiteral("grandchild");
    QTest::newRow("a stale new parent") << QStringLiteral("stale");
}

void tst_WindowHandles::setParentRefuses() {
    QFETCH(QString, newParent);
    QWidget frame;
    auto* child = new QWidget(&frame);
    auto* grandchild = new QWidget(child);
    qint32 target = 0;
    if (newParent == QLatin1String("child"))
        target = HandleOf(child);
    else if (newParent == QLatin1String("grandchild"))
        target = HandleOf(grandchild);
    else {
        auto gone = std::make_unique<QWidget>();
        target = HandleOf(gone.get());
    }
    QCOMPARE(SetParent(HandleOf(child), target), 0);
    QCOMPARE(child->parentWidget(), &frame);
}

void tst_WindowHandles::subWindowLeavesMdiAreaWithItsCaption() {
    QWidget frame;
    auto* area = new QMdiArea(&frame);
    auto* pane = new QWidget(&frame);
    auto* sub = area->addSubWindow(new QLabel(QStringLiteral("x")));
    sub->setWindowTitle(QStringLiteral("Explorer"));
    frame.show();
    QCOMPARE(area->subWindowList().size(), 1);

    QVERIFY(SetParent(HandleOf(sub), HandleOf(pane)) != 0);
    QCOMPARE(sub->parentWidget(), pane);
    QVERIFY(area->subWindowList().isEmpty());
    QCOMPARE(sub->windowType(), Qt::SubWindow);
    QVERIFY(GetWindowLongA(HandleOf(sub), GWL_STYLE) & WS_CAPTION);
    QVERIFY(sub->isVisible());
}

void tst_WindowHandles::styleReadsTheWidget() {
    QWidget frame;
    auto* plain = new QWidget(&frame);
    auto* sub = new QMdiSubWindow(&frame);
    auto* hidden = new QWidget(&frame);
    hidden->hide();
    frame.show();

    const quint32 frameStyle = GetWindowLongA(HandleOf(&frame), GWL_STYLE);
    QCOMPARE(frameStyle & (WS_CHILD | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME),
             WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME);
    QCOMPARE(quint32(GetWindowLongA(HandleOf(plain), GWL_STYLE)), WS_CHILD | WS_VISIBLE);
    QCOMPARE(quint32(GetWindowLongA(HandleOf(sub), GWL_STYLE)) &
                 (WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME),
             WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME);
    QCOMPARE(quint32(GetWindowLongA(HandleOf(hidden), GWL_STYLE)), WS_CHILD);
    QCOMPARE(GetWindowLongA(HandleOf(&frame), -20), 0); // GWL_EXSTYLE is not kept
}

void tst_WindowHandles::clearingSysMenuAndThickFrameKeepsTheCaption() {
    PaneWithWindow p;
    const qint32 hwnd = HandleOf(p.window);
    const qint32 before = GetWindowLongA(hwnd, GWL_STYLE);
    QCOMPARE(SetWindowLongA(hwnd, GWL_STYLE, before & qint32(0xFFF3FFFF)), before);
    const qint32 after = GetWindowLongA(hwnd, GWL_STYLE);
    QCOMPARE(after, before & qint32(0xFFF3FFFF));
    QVERIFY(!(p.window->windowFlags() & Qt::WindowSystemMenuHint));
    QVERIFY(p.window->windowFlags() & Qt::WindowTitleHint);
    QVERIFY(p.window->isVisible());
    QCOMPARE(p.window->parentWidget(), &p.pane);

    // And back.
    SetWindowLongA(hwnd, GWL_STYLE, before);
    QCOMPARE(GetWindowLongA(hwnd, GWL_STYLE), before);
}

void tst_WindowHandles::borderResizesOnlyWithThickFrame_data() {
    QTest::addColumn<bool>("thickFrame");
    QTest::addColumn<QPoint>("press"); // relative to the window's bottom-right corner
    QTest::addColumn<bool>("resizes");
    QTest::newRow("right border with a sizing border") << true << QPoint(-2, -75) << true;
    QTest::newRow("right border without") << false << QPoint(-2, -75) << false;
    QTest::newRow("bottom-right corner without") << false << QPoint(-2, -2) << false;
    QTest::newRow("bottom border without") << false << QPoint(-100, -2) << false;
}

void tst_WindowHandles::borderResizesOnlyWithThickFrame() {
    QFETCH(bool, thickFrame);
    QFETCH(QPoint, press);
    QFETCH(bool, resizes);
    PaneWithWindow p;
    const qint32 hwnd = HandleOf(p.window);
    if (!thickFrame)
        SetWindowLongA(hwnd, GWL_STYLE, GetWindowLongA(hwnd, GWL_STYLE) & ~qint32(WS_THICKFRAME));
    const QSize before = p.window->size();
    const QPoint start = QPoint(before.width(), before.height()) + press;
    // The window picks its operation when the mouse hovers, before the press.
    QMouseEvent hover(QEvent::MouseMove, QPointF(start), p.window->mapToGlobal(QPointF(start)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(p.window, &hover);
    QTest::mousePress(p.window, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(40, 30)),
                     p.window->mapToGlobal(QPointF(start + QPoint(40, 30))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(p.window, &move);
    QTest::mouseRelease(p.window, Qt::LeftButton, {}, start + QPoint(40, 30));
    QCOMPARE(p.window->size() != before, resizes);
}

void tst_WindowHandles::systemMenuOnlyWithSysMenu() {
    for (bool sysMenu : {true, false}) {
        PaneWithWindow p;
        const qint32 hwnd = HandleOf(p.window);
        if (!sysMenu)
            SetWindowLongA(hwnd, GWL_STYLE, GetWindowLongA(hwnd, GWL_STYLE) & ~qint32(WS_SYSMENU));
        QPointer<QWidget> popup;
        QTimer::singleShot(0, [&popup] {
            popup = QApplication::activePopupWidget();
            if (popup)
                popup->close();
        });
        const QPoint title(p.window->width() / 2, 8);
        QContextMenuEvent event(QContextMenuEvent::Mouse, title, p.window->mapToGlobal(title));
        QApplication::sendEvent(p.window, &event);
        QCoreApplication::processEvents();
        QCOMPARE(!popup.isNull(), sysMenu);
    }
}

void tst_WindowHandles::windowRectIsInScreenPixels() {
    QWidget frame;
    frame.setGeometry(100, 50, 500, 400);
    auto* pane = new QWidget(&frame);
    pane->setGeometry(10, 20, 150, 300);
    frame.show();
    RECT rect;
    QVERIFY(GetWindowRect(HandleOf(pane), &rect));
    const QPoint origin = pane->mapToGlobal(QPoint(0, 0));
    QCOMPARE(rect.left, origin.x());
    QCOMPARE(rect.top, origin.y());
    QCOMPARE(rect.right - rect.left, 150);
    QCOMPARE(rect.bottom - rect.top, 300);
    QCOMPARE(GetWindowRect(0, &rect), 0);
}

void tst_WindowHandles::maximizedChildFillsItsParent() {
    PaneWithWindow p;
    const qint32 hwnd = HandleOf(p.window);
    QCOMPARE(ShowWindow(hwnd, SW_MAXIMIZE), 1);
    QCOMPARE(p.window->geometry(), p.pane.rect());
    QVERIFY(GetWindowLongA(hwnd, GWL_STYLE) & WS_MAXIMIZE);
    QVERIFY(p.window->windowFlags() & Qt::WindowTitleHint);
    ShowWindow(hwnd, SW_RESTORE);
    QCOMPARE(p.window->geometry(), QRect(20, 20, 200, 150));
    QCOMPARE(ShowWindow(hwnd, SW_HIDE), 1);
    QCOMPARE(ShowWindow(hwnd, SW_SHOW), 0);
    QVERIFY(p.window->isVisible());
}

void tst_WindowHandles::setWindowPosMovesSizesAndRaises() {
    PaneWithWindow p;
    auto* sibling = new QWidget(&p.pane);
    sibling->show();
    QCOMPARE(p.pane.children().last(), sibling);
    const qint32 hwnd = HandleOf(p.window);
    QCOMPARE(SetWindowPos(hwnd, HWND_TOP, 0, 0, 300, 250, 0), 1);
    QCOMPARE(p.window->geometry(), QRect(0, 0, 300, 250));
    QCOMPARE(p.pane.children().last(), p.window); // top of its siblings

    SetWindowPos(hwnd, 0, 5, 6, -10, 40, SWP_NOZORDER);
    QCOMPARE(p.window->pos(), QPoint(5, 6));
    QCOMPARE(p.window->height(), 40);
    QCOMPARE(p.window->width(), qMax(0, p.window->minimumWidth()));

    SetWindowPos(hwnd, 0, 50, 60, 1, 1, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW);
    QCOMPARE(p.window->pos(), QPoint(5, 6));
    QVERIFY(p.window->isHidden());
}

void tst_WindowHandles::topLevelWithoutThickFrameHasFixedSize() {
    QWidget window;
    window.resize(300, 200);
    window.show();
    const qint32 hwnd = HandleOf(&window);
    SetWindowLongA(hwnd, GWL_STYLE, GetWindowLongA(hwnd, GWL_STYLE) & ~qint32(WS_THICKFRAME | WS_SYSMENU));
    QCOMPARE(window.minimumSize(), QSize(300, 200));
    QCOMPARE(window.maximumSize(), QSize(300, 200));
    QVERIFY(!(GetWindowLongA(hwnd, GWL_STYLE) & WS_SYSMENU));
    SetWindowPos(hwnd, 0, 0, 0, 320, 240, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    QCOMPARE(window.maximumSize(), window.size());
    QCOMPARE(window.size(), QSize(320, 240) - (window.frameGeometry().size() - window.size()));
}

void tst_WindowHandles::staleHandlesFailQuietly() {
    auto gone = std::make_unique<QWidget>();
    const qint32 stale = HandleOf(gone.get());
    gone.reset();
    RECT rect;
    for (qint32 hwnd : {0, stale}) {
        QCOMPARE(GetWindowLongA(hwnd, GWL_STYLE), 0);
        QCOMPARE(SetWindowLongA(hwnd, GWL_STYLE, 0), 0);
        QCOMPARE(GetWindowRect(hwnd, &rect), 0);
        QCOMPARE(ShowWindow(hwnd, SW_MAXIMIZE), 0);
        QCOMPARE(SetWindowPos(hwnd, 0, 0, 0, 10, 10, 0), 0);
        QWidget parent;
        QCOMPARE(SetParent(hwnd, HandleOf(&parent)), 0);
    }
}

QTEST_MAIN(tst_WindowHandles)
#include "tst_WindowHandles.moc"
