#include "app/CWexelToolBox.h"
#include "app/FMDIFrame.h"
#include "platform/registry/Registry.h"
#include "platform/windows/MessageBox.h"
#include "studio/Failure.h"
#include "studio/IStudioUtilities.h"
#include "texts/MResources.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

class tst_FMDIFrame : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_prefix;
    QStringList m_boxes; // "title|text"

    void Install(quint32 lcid) {
        QVERIFY(QDir().mkpath(m_prefix->path() + "/drives/c/Studio"));
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio, RegValue::Dword("LCID", lcid));
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio,
                                RegValue::String("Path", "C:\\Studio"));
        RegistryStore::SetValue(HKEY_CURRENT_USER, StudioKeys::ShellFolders,
                                RegValue::String("Personal", "C:\\Docs"));
    }
    void Toolbox(const QString& name, const RegValue& value) {
        RegValue named = value;
        named.name = name;
        QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Toolbox, named),
                 long(ERROR_SUCCESS));
    }
    QString WriteScript(const QByteArray& content) {
        const QString path = m_prefix->path() + "/script.txt";
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(content);
        return path;
    }
    static QString Caption(FMDIFrame& frame, const char* name) {
        if (auto* menu = frame.findChild<QMenu*>(name))
            return menu->title();
        return frame.findChild<QAction*>(name)->text();
    }

private Q_SLOTS:
    void init() {
        m_prefix = std::make_unique<QTemporaryDir>();
        qputenv("KX4_PREFIX", m_prefix->path().toUtf8());
        MResources::ResetForTesting();
        m_boxes.clear();
        MessageBox::SetHook([this](const QString& text, const QString& title, MessageBox::Icon) {
            m_boxes.append(title + "|" + text);
        });
    }
    void cleanup() { MessageBox::SetHook({}); }

    void captionsInTheStudiosLanguage_data() {
        QTest::addColumn<quint32>("lcid");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("exit");
        QTest::newRow("German") << 1031u << "KestrixStudio ToolBox"
                                << "Ö&ffnen"
                                << "&Beenden";
        QTest::newRow("English") << 1033u << "KestrixStudio ToolBox"
                                 << "&Open"
                                 << "&End";
        QTest::newRow("English (United Kingdom) is German") << 2057u << "KestrixStudio ToolBox"
                                                            << "Ö&ffnen"
                                                            << "&Beenden";
    }
    void captionsInTheStudiosLanguage() {
        QFETCH(quint32, lcid);
        Install(lcid);
        FMDIFrame frame({});
        frame.MDIForm_Load();
        QTEST(frame.windowTitle(), "title");
        QTEST(Caption(frame, "mnuFileOpen"), "open");
        QTEST(Caption(frame, "mnuFileExit"), "exit");
        QVERIFY(frame.findChild<QAction*>("mnuFileSep1")->isSeparator());
        QVERIFY(m_boxes.isEmpty());
        QVERIFY(!frame.IsUnloaded());
    }

    // The installation message comes after the language was chosen and before the captions.
    void missingInstallationIsReportedInTheChosenLanguage() {
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio, RegValue::Dword("LCID", 1033));
        FMDIFrame frame({});
        frame.MDIForm_Load();
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes[0], MResources::GetResMessage(90, {91}) + "|" + MResources::GetResMessage(91, {}));
        QVERIFY(!frame.IsUnloaded());
        QCOMPARE(Caption(frame, "mnuFileOpen"), QStringLiteral("&Open"));
    }

    void customerVariant_data() {
        QTest::addColumn<int>("activate");   // -1: absent
        QTest::addColumn<int>("scriptMenu"); // -1: absent
        QTest::addColumn<bool>("toolbarVisible");
        QTest::addColumn<bool>("extrasVisible");
        QTest::newRow("no key") << -1 << -1 << true << false;
        QTest::newRow("variant on hides the toolbar") << 1 << -1 << false << false;
        QTest::newRow("only 1 counts as on") << 2 << 2 << true << false;
        QTest::newRow("script menu without the variant") << 0 << 1 << true << true;
        QTest::newRow("script menu with the variant") << 1 << 1 << false << true;
    }
    void customerVariant() {
        Install(1031);
        QFETCH(int, activate);
        QFETCH(int, scriptMenu);
        if (activate >= 0)
            Toolbox("WexelActivate", RegValue::Dword("", quint32(activate)));
        if (scriptMenu >= 0)
            Toolbox("WexelToolboxEnableScriptMenu", RegValue::String("", QString::number(scriptMenu)));
        FMDIFrame frame({});
        frame.MDIForm_Load();
        frame.show();
        QTEST(frame.tbr()->isVisible(), "toolbarVisible");
        QTEST(frame.findChild<QMenu*>("mnuExtras")->menuAction()->isVisible(), "extrasVisible");
    }

    // A broken setting is reported by the menu set-up, then stops start-up for good.
    void nonNumericSettingEndsStartUp() {
        Install(1031);
        Toolbox("WexelIndextextEditorRowHeight", RegValue::String("", "hoch"));
        FMDIFrame frame({});
        try {
            frame.MDIForm_Load();
            QFAIL("start-up went on with a broken setting");
        } catch (const Failure& failure) {
            QCOMPARE(failure.Number(), int(Failure::TypeMismatch));
        }
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY2(m_boxes[0].startsWith("InitMenue|13   "), qPrintable(m_boxes[0]));
    }

    void silentRoadRunsTheScriptAndUnloads_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("unloaded");
        QTest::newRow("/s before the script") << QStringList{"/s", "SCRIPT"} << true;
        QTest::newRow("/s after the quoted script") << QStringList{"\"SCRIPT\"", "/s"} << true;
        QTest::newRow("/S is no switch") << QStringList{"/S", "SCRIPT"} << false;
        QTest::newRow("/i only") << QStringList{"/i", "SCRIPT"} << false;
    }
    void silentRoadRunsTheScriptAndUnloads() {
        Install(1031);
        const QString script = WriteScript("remark only\r\n\r\n");
        QFETCH(QStringList, arguments);
        for (QString& argument : arguments)
            argument.replace("SCRIPT", script);
        FMDIFrame frame(arguments);
        frame.MDIForm_Load();
        QTEST(frame.IsUnloaded(), "unloaded");
    }

    void failingScriptLeavesStartUp() {
        Install(1031);
        const QString script = WriteScript("rem first\ncopy \"A\" \"B\"\n");
        FMDIFrame frame({"/s", script});
        try {
            frame.MDIForm_Load();
            QFAIL("a failing script line did not stop start-up");
        } catch (const Failure& failure) {
            QCOMPARE(failure.Number(), int(Failure::ObjectNotSet));
            QVERIFY2(failure.Description().contains("script.txt, line 2 (copy)"),
                     qPrintable(failure.Description()));
        }
    }

    void splitter_data() {
        QTest::addColumn<Qt::MouseButton>("press");
        QTest::addColumn<Qt::MouseButton>("release");
        QTest::addColumn<int>("releaseX");    // relative to the bar
        QTest::addColumn<int>("widthChange"); // -1000: pane closed to 0
        QTest::newRow("left press, release right of the bar") << Qt::LeftButton << Qt::LeftButton << 40 << 40;
        QTest::newRow("left press, release left of the bar")
            << Qt::LeftButton << Qt::LeftButton << -30 << -30;
        QTest::newRow("right press, left release") << Qt::RightButton << Qt::LeftButton << 40 << 0;
        QTest::newRow("left press, right release") << Qt::LeftButton << Qt::RightButton << 40 << 0;
        QTest::newRow("release without a press") << Qt::NoButton << Qt::LeftButton << 40 << 0;
        QTest::newRow("far left clamps to 0") << Qt::LeftButton << Qt::LeftButton << -5000 << -1000;
    }
    void splitter() {
        Install(1031);
        FMDIFrame frame({});
        frame.MDIForm_Load();
        frame.Picture1()->show();
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        const int before = frame.Picture1()->width();
        const QColor rest = frame.pctSplit()->palette().color(QPalette::Window);
        QFETCH(Qt::MouseButton, press);
        QFETCH(Qt::MouseButton, release);
        QFETCH(int, releaseX);
        if (press != Qt::NoButton) {
            frame.pctSplit_MouseDown(press, 1);
            QCOMPARE(frame.SplitterDragging(), press == Qt::LeftButton);
            if (press == Qt::LeftButton)
                QCOMPARE(frame.pctSplit()->palette().color(QPalette::Window), QColor(Qt::black));
        }
        frame.pctSplit_MouseUp(release, releaseX);
        QFETCH(int, widthChange);
        QCoreApplication::processEvents();
        const int expected = widthChange == -1000 ? 0 : before + widthChange;
        QCOMPARE(frame.Picture1()->width(), expected);
        if (press == Qt::LeftButton && release == Qt::LeftButton) {
            QVERIFY(!frame.SplitterDragging());
            QCOMPARE(frame.pctSplit()->palette().color(QPalette::Window), rest);
        }
    }
};

QTEST_MAIN(tst_FMDIFrame)
#include "tst_FMDIFrame.moc"
