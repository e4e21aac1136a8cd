#include "app/FMDIFrame.h"
#include "app/ToolBoxApplication.h"
#include "app/ToolBoxCommandLine.h"
#include "help/FAbout.h"
#include "platform/help/HtmlHelp.h"
#include "platform/registry/Registry.h"
#include "platform/windows/MessageBox.h"
#include "studio/Failure.h"
#include "studio/IStudioUtilities.h"
#include "texts/MResources.h"

#include "common/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>

// The frame in a program of its own kind: a ToolBoxApplication, so that failures in event
// handlers end the run as they do for the user.
class tst_FMDIFrame : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSupport::TempPrefix> m_prefix;
    QStringList m_boxes; // "title|text"

    QString OnDriveC(const QString& relative) const { return m_prefix->Path() + "/drives/c/" + relative; }
    static void Set(HKEY root, const QString& key, const RegValue& value) {
        QCOMPARE(RegistryStore::SetValue(root, key, value), long(ERROR_SUCCESS));
    }

private Q_SLOTS:
    void init() {
        m_prefix.reset(); // first: its end unsets the prefix
        m_prefix = std::make_unique<TestSupport::TempPrefix>();
        QVERIFY(QDir().mkpath(OnDriveC("Studio"))); // an installation in German
        Set(HKEY_LOCAL_MACHINE, StudioKeys::Studio, RegValue::Dword("LCID", 1031));
        Set(HKEY_LOCAL_MACHINE, StudioKeys::Studio, RegValue::String("Path", "C:\\Studio"));
        Set(HKEY_CURRENT_USER, StudioKeys::ShellFolders, RegValue::String("Personal", "C:\\Docs"));
        MResources::ResetForTesting();
        m_boxes.clear();
        MessageBox::SetHook([this](const QString& text, const QString& title, MessageBox::Icon) {
            m_boxes.append(title + "|" + text);
        });
    }
    void cleanup() { MessageBox::SetHook({}); }

    // Only "1" switches the customer variant and its script menu on.
    void customerVariant() {
        for (const QString on : {"2", "1"}) {
            Set(HKEY_LOCAL_MACHINE, StudioKeys::Toolbox, RegValue::String("WexelActivate", on));
            Set(HKEY_LOCAL_MACHINE, StudioKeys::Toolbox,
                RegValue::String("WexelToolboxEnableScriptMenu", on));
            FMDIFrame frame({});
            frame.MDIForm_Load();
            frame.show();
            QCOMPARE(frame.tbr()->isVisible(), on != "1");
            QCOMPARE(frame.findChild<QMenu*>("mnuExtras")->menuAction()->isVisible(), on == "1");
        }
    }

    // The program's run up to the event loop: a good silent run ends at once with 0; a failure
    // while loading ends it with status 1, its last box saying what (the setting is read before the
    // script).
    void run() {
        const QString script = m_prefix->Work() + "/script.txt";
        QVERIFY(TestSupport::WriteFile(script, "remark only\r\n\r\n"));
        auto* app = static_cast<ToolBoxApplication*>(qApp);
        QCOMPARE(app->Run({"/s", script}), 0);
        QVERIFY(m_boxes.isEmpty());
        Set(HKEY_LOCAL_MACHINE, StudioKeys::Toolbox,
            RegValue::String("WexelIndextextEditorRowHeight", "hoch"));
        QCOMPARE(app->Run({"/s", script}), 1);
        QVERIFY2(m_boxes.value(m_boxes.size() - 1).startsWith("KX4ToolBox|13: "),
                 qPrintable(m_boxes.join('\n')));
    }

    void handlerFailureEndsTheProgramWithStatus1() {
        QTimer::singleShot(0, qApp, [] { throw Failure(Failure::InvalidCall, "im Handler"); });
        QObject guard; // ends the loop when the failure did not, and goes with the test
        QTimer::singleShot(5000, &guard, [] { QCoreApplication::exit(0); });
        QCOMPARE(qApp->exec(), 1);
        QCOMPARE(m_boxes, QStringList{"KX4ToolBox|5: im Handler"});
    }

    // Leaving the frame, by File > Exit or by its close box, closes the help windows and the
    // about box with it.
    void leavingClosesHelpAndAbout() {
        QVERIFY(QDir().mkpath(OnDriveC("maker/helpfiles")));
        QVERIFY(QFile::copy(qEnvironmentVariable("KX4_BUILD_DIR") + "/share/kx4toolbox/help/Toolbox.chm",
                            OnDriveC("maker/helpfiles/toolbox.chm")));
        Set(HKEY_LOCAL_MACHINE, StudioKeys::Maker, RegValue::String("Common", "C:\\Maker"));
        for (bool byMenu : {true, false}) { // File > Exit over the about box, or the close box
            FMDIFrame frame({});
            frame.MDIForm_Load();
            frame.show();
            frame.mnuHelpHelp_Click();
            QCOMPARE(HtmlHelp::WindowCount(), 1);
            if (byMenu) {
                bool aboutClosed = false;
                QTimer::singleShot(0, &frame, [&] {
                    FAbout* about = FAbout::Current();
                    frame.mnuFileExit_Click();
                    aboutClosed = about && !about->isVisible();
                    if (FAbout::Current()) // left open by a fault: end the modal loop all the same
                        FAbout::Current()->reject();
                });
                frame.mnuHelpInfo_Click();
                QVERIFY(aboutClosed);
            } else {
                frame.close();
            }
            QCOMPARE(HtmlHelp::WindowCount(), 0);
            QVERIFY(frame.IsUnloaded());
            QVERIFY(m_boxes.isEmpty());
        }
    }

    // The pane takes its width from where the left button lets go of the splitter bar, never
    // below nothing; the right button moves nothing. Toolbar button 2 shows the about box; a
    // second click while it is up opens no other box; OK closes it.
    void splitterAndAboutButton() {
        FMDIFrame frame({});
        frame.show();
        QWidget* bar = frame.pctSplit();
        const int width = frame.Picture1()->maximumWidth();
        QTest::mousePress(bar, Qt::RightButton);
        QTest::mouseRelease(bar, Qt::RightButton, {}, QPoint(40, 1));
        QCOMPARE(frame.Picture1()->maximumWidth(), width);
        for (int x : {40, -100000}) {
            QTest::mousePress(bar, Qt::LeftButton);
            QCOMPARE(bar->palette().color(QPalette::Window), QColor(Qt::black));
            QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(x, 1));
            QCOMPARE(frame.Picture1()->maximumWidth(), qMax(0, bar->x() + x));
        }
        int boxes = 0;
        QTimer::singleShot(0, &frame, [&] {
            frame.tbr_ButtonClick(2);
            for (QWidget* widget : QApplication::topLevelWidgets())
                boxes += qobject_cast<FAbout*>(widget) && widget->isVisible();
            if (FAbout::Current())
                FAbout::Current()->findChild<QPushButton*>("cmdOK")->click();
        });
        frame.tbr_ButtonClick(2);
        QCOMPARE(boxes, 1);
        QVERIFY(!FAbout::Current());
        frame.close();
    }

    // The command line as the program takes it apart: the script switch /s, anywhere but inside
    // a word, the ignored /i, and the quotes and blanks around the argument.
    void reduce_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("silent");
        // clang-format off
        QTest::newRow("switch before quoted script") << QStringList{"/s", "\"C:\\S\\run me.txt\""} << "C:\\S\\run me.txt" << true;
        QTest::newRow("switch touching the quote")   << QStringList{"/s\"C:\\x.txt\""}         << "C:\\x.txt"   << true;
        QTest::newRow("capital S is no switch")      << QStringList{"/S", "x.txt"}             << "/S x.txt"    << false;
        QTest::newRow("a path keeps its /s")         << QStringList{"D:/scripts/a.txt"}        << "D:/scripts/a.txt" << false;
        QTest::newRow("silent run of a path beginning with /s")
                                                     << QStringList{"/s", "/srv/in/run.txt"}    << "/srv/in/run.txt" << true;
        QTest::newRow("/i ignored anywhere")         << QStringList{"/i", "Demo", "/i"}        << "Demo"        << false;
        QTest::newRow("blanks trimmed before quotes go") << QStringList{" ", "\"Demo.kxs\"", " "} << "Demo.kxs" << false;
        // clang-format on
    }
    void reduce() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, silent);
        bool isSilent = !silent;
        QTEST(ToolBoxCommandLine::Reduce(ToolBoxCommandLine::Join(arguments), &isSilent), "argument");
        QCOMPARE(isSilent, silent);
    }
};

int main(int argc, char** argv) {
    ToolBoxApplication app(argc, argv);
    tst_FMDIFrame test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_FMDIFrame.moc"
