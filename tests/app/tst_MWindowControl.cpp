#include "app/MWindowControl.h"
#include "platform/windows/WindowHandles.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <memory>

using namespace MWindowControl;
using WindowHandles::HandleOf;

namespace {

const QString English = QStringLiteral("KestrixStudio Project Explorer");
const QString German = QStringLiteral("KestrixStudio Projekt-Explorer");

// A frame as the program has it: a pane for the explorer and an MDI area.
struct Frame {
    QWidget frame;
    QWidget* pane;
    QMdiArea* area;
    Frame() : pane(new QWidget(&frame)), area(new QMdiArea(&frame)) {
        frame.resize(800, 600);
        pane->setGeometry(0, 0, 200, 600);
        area->setGeometry(203, 0, 597, 600);
        frame.show();
    }
    QMdiSubWindow* Window(const QString& title) {
        QMdiSubWindow* sub = area->addSubWindow(new QLabel(title));
        sub->setWindowTitle(title);
        sub->show();
        return sub;
    }
};

} // namespace

class tst_MWindowControl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reparentByCaption_data();
    void reparentByCaption();
    void firstReparentableWindowWins();
    void searchFillsChildWindowsAfresh();
    void failingParentsFindNothing();
    void removeWindowFrameClearsExactlyTwoBits();
    void fitWindowToContainer();
    void badHandlesChangeNothing();
};

void tst_MWindowControl::reparentByCaption_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("found");
    const QString long254 = QString(254 - English.size(), QLatin1Char('.')) + English;
    QTest::newRow("exact title") << English << English << true;
    QTest::newRow("German title with a hyphen") << German << German << true;
    QTest::newRow("title in the other language") << German << English << false;
    QTest::newRow("title differing in case") << English.toUpper() << English << false;
    QTest::newRow("title with a trailing blank") << English + QLatin1Char(' ') << English << false;
    QTest::newRow("title of exactly 254 characters") << long254 << long254 << true;
    QTest::newRow("title of 255 characters")
        << long254 + QLatin1Char('x') << long254 + QLatin1Char('x') << false;
    QTest::newRow("caption that is the start of a longer title")
        << long254 + QLatin1Char('x') << long254 << false;
    QTest::newRow("umlauts count as two bytes of the buffer")
        << QString(128, QChar(0xF6)) << QString(128, QChar(0xF6)) << false;
}

void tst_MWindowControl::reparentByCaption() {
    QFETCH(QString, title);
    QFETCH(QString, caption);
    QFETCH(bool, found);
    Frame f;
    QMdiSubWindow* window = f.Window(title);
    const qint32 result = ReparentWindowByCaption(HandleOf(&f.frame), HandleOf(f.pane), caption);
    QCOMPARE(result, found ? HandleOf(window) : 0);
    QCOMPARE(window->parentWidget() == f.pane, found);
}

void tst_MWindowControl::firstReparentableWindowWins() {
    Frame f;
    // A window holding the pane cannot become the pane's child; the search passes it over.
    auto* holder = new QWidget(&f.frame);
    holder->setWindowTitle(English);
    f.pane->setParent(holder);
    QMdiSubWindow* first = f.Window(English);
    QMdiSubWindow* second = f.Window(English);
    second->raise(); // the active window is not preferred
    const qint32 result = ReparentWindowByCaption(HandleOf(&f.frame), HandleOf(f.pane), English);
    QCOMPARE(result, HandleOf(first));
    QCOMPARE(first->parentWidget(), f.pane);
    QCOMPARE(second->mdiArea(), f.area);
    QCOMPARE(holder->parentWidget(), &f.frame);
}

void tst_MWindowControl::searchFillsChildWindowsAfresh() {
    Frame f;
    f.Window(QStringLiteral("one"));
    ReparentWindowByCaption(HandleOf(&f.frame), HandleOf(f.pane), QStringLiteral("nothing"));
    const QList<qint32> first = ChildWindows();
    QVERIFY(first.contains(HandleOf(f.pane)));
    QVERIFY(first.contains(HandleOf(f.area)));
    QCOMPARE(first.first(), HandleOf(f.pane)); // children in the order they were made

    QWidget other;
    auto* only = new QWidget(&other);
    ReparentWindowByCaption(HandleOf(&other), HandleOf(f.pane), QStringLiteral("nothing"));
    QCOMPARE(ChildWindows(), QList<qint32>{HandleOf(only)});
}

void tst_MWindowControl::failingParentsFindNothing() {
    Frame f;
    QMdiSubWindow* window = f.Window(English);
    QCOMPARE(ReparentWindowByCaption(0, HandleOf(f.pane), English), 0);
    QVERIFY(ChildWindows().isEmpty());
    qint32 stale = 0;
    {
        QWidget gone;
        stale = HandleOf(&gone);
    }
    QCOMPARE(ReparentWindowByCaption(stale, HandleOf(f.pane), English), 0);
    // A new parent that is gone: the window is found but cannot move, so nothing is returned.
    QCOMPARE(ReparentWindowByCaption(HandleOf(&f.frame), stale, English), 0);
    QCOMPARE(window->mdiArea(), f.area);
}

void tst_MWindowControl::removeWindowFrameClearsExactlyTwoBits() {
    Frame f;
    QMdiSubWindow* window = f.Window(English);
    const qint32 hwnd = HandleOf(window);
    const quint32 before = WindowHandles::GetWindowLongA(hwnd, WindowHandles::GWL_STYLE);
    QVERIFY(before & WindowHandles::WS_SYSMENU);
    QVERIFY(before & WindowHandles::WS_THICKFRAME);
    RemoveWindowFrame(hwnd);
    const quint32 after = WindowHandles::GetWindowLongA(hwnd, WindowHandles::GWL_STYLE);
    QCOMPARE(after, before & 0xFFF3FFFFu);
    QVERIFY(after & WindowHandles::WS_CAPTION);
}

void tst_MWindowControl::fitWindowToContainer() {
    Frame f;
    QMdiSubWindow* window = f.Window(English);
    const qint32 hwnd = ReparentWindowByCaption(HandleOf(&f.frame), HandleOf(f.pane), English);
    QVERIFY(hwnd != 0);
    RemoveWindowFrame(hwnd);
    FitWindowToContainer(hwnd, HandleOf(f.pane));
    QCOMPARE(window->geometry(), QRect(QPoint(0, 0), f.pane->size()));
    QVERIFY(window->isVisible());

    f.pane->resize(320, 500);
    FitWindowToContainer(hwnd, HandleOf(f.pane));
    QCOMPARE(window->geometry(), QRect(0, 0, 320, 500));
}

void tst_MWindowControl::badHandlesChangeNothing() {
    Frame f;
    QMdiSubWindow* window = f.Window(English);
    const QRect before = window->geometry();
    const quint32 style = WindowHandles::GetWindowLongA(HandleOf(window), WindowHandles::GWL_STYLE);
    FitWindowToContainer(0, HandleOf(f.pane));
    RemoveWindowFrame(0);
    qint32 stale = 0;
    {
        QWidget gone;
        stale = HandleOf(&gone);
    }
    FitWindowToContainer(stale, HandleOf(f.pane));
    RemoveWindowFrame(stale);
    FitWindowToContainer(HandleOf(window), stale); // a container that is gone
    FitWindowToContainer(HandleOf(window), 0);
    QCOMPARE(window->geometry(), before);
    QCOMPARE(quint32(WindowHandles::GetWindowLongA(HandleOf(window), WindowHandles::GWL_STYLE)), style);
}

QTEST_MAIN(tst_MWindowControl)
#include "tst_MWindowControl.moc"
