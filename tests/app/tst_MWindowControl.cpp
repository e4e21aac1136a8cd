#include "app/MWindowControl.h"
#include "platform/windows/WindowHandles.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

using namespace MWindowControl;
using WindowHandles::HandleOf;

namespace {

const QString English = QStringLiteral("KestrixStudio Project Explorer");

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

qint32 StaleHandle() {
    QWidget gone;
    return HandleOf(&gone);
}

quint32 Style(qint32 hwnd) { return quint32(WindowHandles::GetWindowLongA(hwnd, WindowHandles::GWL_STYLE)); }

} // namespace

class tst_MWindowControl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reparentByCaption_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("found");
        const QString long254 = QString(254 - English.size(), QLatin1Char('.')) + English;
        // clang-format off
        QTest::newRow("exact title")                   << English               << English      << true;
        QTest::newRow("title differing in case")       << English.toUpper()     << English      << false;
        QTest::newRow("title of exactly 254 characters") << long254             << long254      << true;
        QTest::newRow("title of 255 characters")       << long254 + 'x'         << long254 + 'x' << false;
        QTest::newRow("caption that is the start of a longer title") << long254 + 'x' << long254 << false;
        QTest::newRow("umlauts count as two bytes")    << QString(128, QChar(0xF6)) << QString(128, QChar(0xF6)) << false;
        // clang-format on
    }
    void reparentByCaption() {
        QFETCH(QString, title);
        QFETCH(QString, caption);
        QFETCH(bool, found);
        Frame f;
        QMdiSubWindow* window = f.Window(title);
        QCOMPARE(ReparentWindowByCaption(HandleOf(&f.frame), HandleOf(f.pane), caption),
                 found ? HandleOf(window) : 0);
        QCOMPARE(window->parentWidget() == f.pane, found);
    }

    // A window holding the pane cannot become the pane's child; the search passes it over and
    // takes the first of the others in the order they were made, not the active one. Its frame
    // goes (those two bits only) and it fills the pane. Bad or stale handles change nothing.
    void firstReparentableWindowIsTakenAndFitted() {
        Frame f;
        auto* holder = new QWidget(&f.frame);
        holder->setWindowTitle(English);
        f.pane->setParent(holder);
        QMdiSubWindow* first = f.Window(English);
        QMdiSubWindow* second = f.Window(English);
        second->raise();
        for (const qint32 bad : {0, StaleHandle()}) {
            QCOMPARE(ReparentWindowByCaption(bad, HandleOf(f.pane), English), 0);
            FitWindowToContainer(HandleOf(first), bad);
            RemoveWindowFrame(bad);
        }
        QCOMPARE(ReparentWindowByCaption(HandleOf(&f.frame), StaleHandle(), English), 0);
        const quint32 before = Style(HandleOf(first));
        QVERIFY(before & WindowHandles::WS_SYSMENU && before & WindowHandles::WS_THICKFRAME);
        QCOMPARE(first->mdiArea(), f.area);
        QCOMPARE(ReparentWindowByCaption(HandleOf(&f.frame), HandleOf(f.pane), English), HandleOf(first));
        QCOMPARE(first->parentWidget(), f.pane);
        QCOMPARE(second->mdiArea(), f.area);
        QCOMPARE(holder->parentWidget(), &f.frame);
        RemoveWindowFrame(HandleOf(first));
        QCOMPARE(Style(HandleOf(first)), before & 0xFFF3FFFFu);
        f.pane->resize(320, 500);
        FitWindowToContainer(HandleOf(first), HandleOf(f.pane));
        QCOMPARE(first->geometry(), QRect(0, 0, 320, 500));
    }
};

QTEST_MAIN(tst_MWindowControl)
#include "tst_MWindowControl.moc"
