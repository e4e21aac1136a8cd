#include "app/MWindowControl.h"
#include "platform/windows/WindowHandles.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

using namespace MWindowControl;
using WindowHandles::HandleOf;

// How the frame finds the explorer's window by its title; fitting and the frame's removal are
// checked with the frame itself (tst_OpenProject).
class tst_MWindowControl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The search compares the title as the 255-byte buffer of the window API holds it.
    void reparentByCaption_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("found");
        const QString long254 = QString(254, QLatin1Char('.'));
        // clang-format off
        QTest::newRow("exact title")                     << long254              << long254       << true;
        QTest::newRow("title differing in case")         << QString("Explorer")  << "EXPLORER"    << false;
        QTest::newRow("title of 255 characters")         << long254 + 'x'        << long254 + 'x' << false;
        QTest::newRow("caption that is the start of the title") << QString("Explorer (2)") << "Explorer" << false;
        QTest::newRow("umlauts count as two bytes")      << QString(128, QChar(0xF6)) << QString(128, QChar(0xF6)) << false;
        // clang-format on
    }
    void reparentByCaption() {
        QFETCH(QString, title);
        QFETCH(QString, caption);
        QFETCH(bool, found);
        QWidget frame;
        auto* pane = new QWidget(&frame);
        auto* area = new QMdiArea(&frame);
        QMdiSubWindow* window = area->addSubWindow(new QWidget);
        window->setWindowTitle(title);
        frame.show();
        qint32 stale = 0;
        {
            QWidget gone;
            stale = HandleOf(&gone);
        }
        QCOMPARE(ReparentWindowByCaption(stale, HandleOf(pane), caption), 0);
        QCOMPARE(ReparentWindowByCaption(HandleOf(&frame), stale, caption), 0);
        QCOMPARE(window->mdiArea(), area);
        QCOMPARE(ReparentWindowByCaption(HandleOf(&frame), HandleOf(pane), caption),
                 found ? HandleOf(window) : 0);
        QCOMPARE(window->parentWidget() == pane, found);
    }
};

QTEST_MAIN(tst_MWindowControl)
#include "tst_MWindowControl.moc"
