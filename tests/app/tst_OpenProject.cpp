#include "app/FMDIFrame.h"
#include "platform/registry/Registry.h"
#include "platform/windows/MessageBox.h"
#include "platform/windows/WindowHandles.h"
#include "projects/FProjectOpen.h"
#include "studio/IStudioUtilities.h"
#include "texts/MResources.h"

#include "ProjectData/ProjectFile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

namespace {

const QString English = QStringLiteral("KestrixStudio Project Explorer");
const QString German = QStringLiteral("KestrixStudio Projekt-Explorer");
const QString BoxTitle = QStringLiteral("KestrixStudio - FileOpen");

struct Box {
    QString text;
    QString title;
    MessageBox::Icon icon;
};

} // namespace

class tst_OpenProject : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_prefix;
    QList<Box> m_boxes;
    QString m_log;
    int m_dialogsShown = 0;

    QString Projects() const { return m_prefix->path() + "/projects"; }

    void SetLanguage(quint32 lcid) {
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio, RegValue::Dword("LCID", lcid));
        MResources::ResetForTesting();
        MResources::InitLanguage();
    }
    void RegisterExplorer(const QString& plugin) {
        QCOMPARE(RegistryStore::SetValue(HKEY_CLASSES_ROOT, "KXProjectExplorer.Explorer\\InprocServer32",
                                         RegValue::String("", plugin)),
                 long(ERROR_SUCCESS));
    }
    // A registered project with its file in the projects folder; returns the file's path.
    QString RegisterProject(const QString& name) {
        const QString key = StudioKeys::Projects + '\\' + name;
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, key, RegValue::String("ProjectType", "Single"));
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, key, RegValue::String("Path", Projects()));
        return MakeFile(name + ".kxs");
    }
    QString MakeFile(const QString& name) {
        const QString path = Projects() + '/' + name;
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        return path;
    }
    void Toolbox(const QString& name, quint32 value) {
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Toolbox, RegValue::Dword(name, value));
    }
    QStringList Log() const {
        QFile file(m_log);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        // Explorers are counted per process; number them from 1 in the order this test met them.
        QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        QStringList seen;
        for (QString& line : lines) {
            const QString number = line.section(' ', 0, 0);
            if (!seen.contains(number))
                seen.append(number);
            line = QString::number(seen.indexOf(number) + 1) + line.mid(number.size());
        }
        return lines;
    }
    // The project-open dialog, when it shows, gets answered by steps (or cancelled).
    void WhenDialogShows(std::function<void(FProjectOpen&)> steps = {}) {
        QTimer::singleShot(0, this, [this, steps] {
            FProjectOpen& dialog = FProjectOpen::Instance();
            if (!dialog.isVisible())
                return;
            ++m_dialogsShown;
            if (steps)
                steps(dialog);
            if (dialog.isVisible())
                dialog.cmdCancel_Click();
        });
    }
    static void Choose(FProjectOpen& dialog, const QString& name) {
        auto* list = dialog.findChild<QTreeWidget*>("lvwRegisteredProjects");
        const auto items = list->findItems(name, Qt::MatchExactly);
        QVERIFY(!items.isEmpty());
        list->setCurrentItem(items.first());
        dialog.lvwRegisteredProjects_ItemClick(items.first());
        dialog.cmdOpen_Click();
    }
    // A user's click on File > Open in the frame's menu bar, and the dialog's answer: noting
    // the row it came up with selected, choosing the row named answer.
    void ClickFileOpen(FMDIFrame& frame, const QString& answer, QStringList* selected) {
        auto* file = frame.findChild<QMenu*>("mnuFile");
        frame.menuBar()->setActiveAction(file->menuAction());
        QVERIFY(QTest::qWaitForWindowExposed(file));
        WhenDialogShows([selected, answer](FProjectOpen& dialog) {
            const auto rows = dialog.findChild<QTreeWidget*>("lvwRegisteredProjects")->selectedItems();
            *selected << (rows.isEmpty() ? QString() : rows.first()->text(0));
            Choose(dialog, answer);
        });
        auto* open = frame.findChild<QAction*>("mnuFileOpen");
        QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(open).center());
    }
    static QWidget* EmbeddedWindow(FMDIFrame& frame) {
        return WindowHandles::WidgetOf(frame.ExplorerWindow());
    }

private Q_SLOTS:
    void init() {
        m_prefix = std::make_unique<QTemporaryDir>();
        qputenv("KX4_PREFIX", m_prefix->path().toUtf8());
        QVERIFY(QDir().mkpath(Projects()));
        m_log = m_prefix->path() + "/explorer.log";
        qputenv("KX4_TESTEXPLORER_LOG", m_log.toUtf8());
        qputenv("KX4_TESTEXPLORER_TITLE", German.toUtf8());
        qunsetenv("KX4_TESTEXPLORER_FAIL");
        qunsetenv("KX4_TESTEXPLORER_PLACE");
        RegisterExplorer(KX4_TEST_EXPLORER_PLUGIN);
        SetLanguage(1031);
        m_boxes.clear();
        m_dialogsShown = 0;
        MessageBox::SetHook([this](const QString& text, const QString& title, MessageBox::Icon icon) {
            m_boxes.append({text, title, icon});
        });
    }
    void cleanup() {
        MessageBox::SetHook({});
        for (QWidget* widget : QApplication::topLevelWidgets())
            QVERIFY2(!widget->isVisible(),
                     qPrintable(widget->metaObject()->className() + QString(" left open")));
    }

    // At start-up a ".kxs" path or a registered name opens without the dialog; anything else
    // leaves the frame empty.
    void startUpOpen_data() {
        QTest::addColumn<QString>("argument"); // FILE: a made file of that name
        QTest::addColumn<bool>("opens");
        QTest::newRow("kxs path") << "FILE:Demo.kxs" << true;
        QTest::newRow("KXS path in capitals") << "FILE:DEMO.KXS" << true;
        QTest::newRow("kXs path in mixed case") << "FILE:Demo.kXs" << true;
        QTest::newRow("path only containing .kxs") << "FILE:Demo.kxs.bak" << false;
        QTest::newRow("registered name") << "Anlage" << true;
        QTest::newRow("name in another case") << "anlage" << false;
        QTest::newRow("unknown name") << "Fremd" << false;
        QTest::newRow("empty") << "" << false;
    }
    void startUpOpen() {
        QFETCH(QString, argument);
        QFETCH(bool, opens);
        const QString registered = RegisterProject("Anlage");
        const QString path = argument.startsWith("FILE:") ? MakeFile(argument.mid(5)) : QString();
        QVERIFY(QDir().mkpath(m_prefix->path() + "/drives/c/Studio"));
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio,
                                RegValue::String("Path", "C:\\Studio"));
        FMDIFrame frame({path.isEmpty() ? argument : '"' + path + '"'});
        WhenDialogShows();
        frame.MDIForm_Load();
        QCOMPARE(m_dialogsShown, 0);
        const QString opened = path.isEmpty() ? registered : path;
        QCOMPARE(Log(), (opens ? QStringList{"1 create", "1 LoadProject " + opened} : QStringList{}));
        QCOMPARE(frame.ProjectPath(), opens ? opened : QString());
        QCOMPARE(frame.ExplorerWindow() != 0, opens);
        QVERIFY(m_boxes.isEmpty());
        frame.mnuFileExit_Click();
    }

    // File > Open through the frame's menu always asks, with the open (or last) project selected:
    // twice with a project open, then after File > Close.
    void fileOpenAlwaysShowsTheDialog() {
        const QString anlage = RegisterProject("Anlage");
        const QString demo = RegisterProject("Demo");
        FMDIFrame frame({});
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QStringList selected;
        ClickFileOpen(frame, "Anlage", &selected);
        ClickFileOpen(frame, "Demo", &selected);
        QCOMPARE(frame.ProjectPath(), demo);
        const qint32 window = frame.ExplorerWindow();
        frame.mnuFileClose_Click();
        QVERIFY(!frame.Explorer());
        QCOMPARE(frame.ExplorerWindow(), window); // kept, though the window is gone
        frame.Picture1()->setFixedWidth(250);     // a resize refits a window that no longer exists
        QCoreApplication::processEvents();
        ClickFileOpen(frame, "Demo", &selected);
        QCOMPARE(m_dialogsShown, 3);
        QCOMPARE(selected, (QStringList{"", "Anlage", "Demo"}));
        QCOMPARE(Log(), (QStringList{"1 create", "1 LoadProject " + anlage, "1 UnloadProject", "1 destroy",
                                     "2 create", "2 LoadProject " + demo, "2 UnloadProject", "2 destroy",
                                     "3 create", "3 LoadProject " + demo}));
        QVERIFY(m_boxes.isEmpty());
        frame.close();
    }

    void cancelledDialogKeepsTheOpenProject() {
        RegisterProject("Anlage");
        QString path = MakeFile("Demo.kxs");
        FMDIFrame frame({});
        frame.OpenProject(path, true);
        IProjectExplorer* explorer = frame.Explorer();
        const qint32 window = frame.ExplorerWindow();
        QString name = "Anlage";
        WhenDialogShows(); // cancelled
        frame.OpenProject(name, false);
        QCOMPARE(m_dialogsShown, 1);
        QCOMPARE(frame.Explorer(), explorer);
        QCOMPARE(frame.ExplorerWindow(), window);
        QCOMPARE(frame.ProjectPath(), path);
        QCOMPARE(Log(), (QStringList{"1 create", "1 LoadProject " + path}));
    }

    void secondOpenUnloadsTheFirstBeforeTheNext() {
        QString first = MakeFile("Eins.kxs");
        QString second = MakeFile("Zwei.kxs");
        FMDIFrame frame({});
        frame.OpenProject(first, true);
        const qint32 firstWindow = frame.ExplorerWindow();
        QVERIFY(firstWindow != 0);
        frame.OpenProject(second, true);
        QCOMPARE(Log(), (QStringList{"1 create", "1 LoadProject " + first, "1 UnloadProject", "1 destroy",
                                     "2 create", "2 LoadProject " + second}));
        QVERIFY(frame.ExplorerWindow() != 0);
        QVERIFY(frame.ExplorerWindow() != firstWindow);
        QCOMPARE(EmbeddedWindow(frame)->parentWidget(), frame.Picture1());
        QCOMPARE(frame.Picture1()->findChildren<QMdiSubWindow*>().size(), 1);
    }

    // The studio's own explorer in the frame: both read "LCID" one way, whatever its form, so
    // the explorer's title is the frame's string 300 and its window lands in the pane.
    void realExplorerIsEmbedded_data() {
        QTest::addColumn<QVariant>("lcid");
        QTest::addColumn<QString>("title");
        QTest::newRow("1031") << QVariant(1031u) << German;
        QTest::newRow("1033") << QVariant(1033u) << English;
        QTest::newRow("1033.4 as text") << QVariant("1033.4") << English;
        QTest::newRow("&H409 as text") << QVariant("&H409") << English;
        QTest::newRow("&H407 as text") << QVariant("&H407") << German;
        QTest::newRow("2057 as text") << QVariant(" 2057 ") << German;
    }
    void realExplorerIsEmbedded() {
        QFETCH(QVariant, lcid);
        QFETCH(QString, title);
        RegisterExplorer(KX4_EXPLORER_PLUGIN);
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio,
                                lcid.typeId() == QMetaType::QString
                                    ? RegValue::String("LCID", lcid.toString())
                                    : RegValue::Dword("LCID", lcid.toUInt()));
        MResources::ResetForTesting();
        MResources::InitLanguage();
        QString path = Projects() + "/Real.kxs";
        ProjectFile::Create(path, {"Deutsch", "English"})->EnsureGroup("Alarme");
        FMDIFrame frame({});
        frame.show();
        frame.OpenProject(path, true);
        QVERIFY2(m_boxes.isEmpty(), qPrintable(m_boxes.value(0).text));
        QCOMPARE(MResources::GetResString(300), title);
        QVERIFY(frame.ExplorerWindow() != 0);
        QCOMPARE(EmbeddedWindow(frame)->windowTitle(), title);
        QCOMPARE(EmbeddedWindow(frame)->parentWidget(), frame.Picture1());
        frame.close();
    }

    void explorerWindowIsEmbedded_data() {
        QTest::addColumn<quint32>("lcid");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("place");
        QTest::addColumn<bool>("embedded");
        QTest::newRow("German title, German frame") << 1031u << German << "" << true;
        QTest::newRow("English title, English frame") << 1033u << English << "" << true;
        QTest::newRow("English title, German frame") << 1031u << English << "" << false;
        QTest::newRow("German title, English frame") << 1033u << German << "" << false;
        QTest::newRow("title in other case") << 1031u << German.toUpper() << "" << false;
        QTest::newRow("window straight under the frame") << 1031u << German << "frame" << true;
        QTest::newRow("no window at all") << 1031u << German << "none" << false;
    }
    void explorerWindowIsEmbedded() {
        QFETCH(quint32, lcid);
        QFETCH(QString, title);
        QFETCH(QString, place);
        QFETCH(bool, embedded);
        SetLanguage(lcid);
        qputenv("KX4_TESTEXPLORER_TITLE", title.toUtf8());
        qputenv("KX4_TESTEXPLORER_PLACE", place.toUtf8());
        QString path = MakeFile("Demo.kxs");
        FMDIFrame frame({});
        frame.show();
        frame.OpenProject(path, true);
        QVERIFY(m_boxes.isEmpty());
        QVERIFY(frame.Picture1()->isVisible());
        QCOMPARE(frame.ExplorerWindow() != 0, embedded);
        if (embedded) {
            QWidget* window = EmbeddedWindow(frame);
            QCOMPARE(window->parentWidget(), frame.Picture1());
            QCOMPARE(window->geometry(), frame.Picture1()->rect());
            QVERIFY(window->isVisible());
            const quint32 style =
                WindowHandles::GetWindowLongA(frame.ExplorerWindow(), WindowHandles::GWL_STYLE);
            QVERIFY(!(style & (WindowHandles::WS_SYSMENU | WindowHandles::WS_THICKFRAME)));
            QVERIFY(style & WindowHandles::WS_CAPTION);

            // The pane's resize fits the window again.
            frame.Picture1()->setFixedWidth(frame.Picture1()->width() + 60);
            QCoreApplication::processEvents();
            QCOMPARE(window->geometry(), frame.Picture1()->rect());
        } else if (place.isEmpty()) {
            QCOMPARE(frame.MdiArea()->subWindowList().size(), 1); // where the explorer put it
        }
        frame.close();
    }

    void customerVariantSetsThePaneWidth_data() {
        QTest::addColumn<int>("activate");      // -1: absent
        QTest::addColumn<int>("width");         // twips, -1: absent
        QTest::addColumn<int>("expectedTwips"); // -1: the designed width stays
        QTest::newRow("no key") << -1 << -1 << -1;
        QTest::newRow("variant on with a width") << 1 << 4320 << 4320;
        QTest::newRow("variant on without a width") << 1 << -1 << 0;
        QTest::newRow("variant off with a width") << 0 << 4320 << -1;
        QTest::newRow("2 is not on") << 2 << 4320 << -1;
        QTest::newRow("a negative width closes the pane") << 1 << -1500 << 0;
        QTest::newRow("the largest width stays a width") << 1 << 2147483647 << -2;
    }
    void customerVariantSetsThePaneWidth() {
        QFETCH(int, activate);
        QFETCH(int, width);
        QFETCH(int, expectedTwips);
        if (activate >= 0)
            Toolbox("WexelActivate", quint32(activate));
        if (width != -1) // as text, so that negative and large numbers pass unchanged
            RegistryStore::SetValue(
                HKEY_LOCAL_MACHINE, StudioKeys::Toolbox,
                RegValue::String("WexelProjectExplorerWindowWidth", QString::number(width)));
        QString path = MakeFile("Demo.kxs");
        FMDIFrame frame({});
        const int designed = frame.Picture1()->width();
        frame.OpenProject(path, true);
        QVERIFY(m_boxes.isEmpty());
        if (expectedTwips == -2) {
            QCOMPARE(frame.Picture1()->minimumWidth(), QWIDGETSIZE_MAX - 1);
            return;
        }
        QCOMPARE(frame.Picture1()->width(),
                 expectedTwips < 0 ? designed : frame.TwipsToPixels(expectedTwips));
        // Set again at every open, after the user moved the splitter.
        frame.Picture1()->setFixedWidth(123);
        frame.OpenProject(path, true);
        QCOMPARE(frame.Picture1()->width(), expectedTwips < 0 ? 123 : frame.TwipsToPixels(expectedTwips));
    }

    void failuresShowOneBox_data() {
        QTest::addColumn<QString>("fail");
        QTest::addColumn<QString>("plugin"); // "": the test explorer
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("explorerKept");
        QTest::newRow("explorer not registered") << ""
                                                 << "unregistered" << 429 << false;
        QTest::newRow("explorer's plugin missing") << ""
                                                   << "/nowhere/libProjectExplorer.so" << 429 << false;
        QTest::newRow("object without the explorer interface") << "Interface"
                                                               << "" << 430 << false;
        QTest::newRow("project cannot be loaded") << "LoadProject"
                                                  << "" << 440 << true;
    }
    void failuresShowOneBox() {
        QFETCH(QString, fail);
        QFETCH(QString, plugin);
        QFETCH(int, number);
        QFETCH(bool, explorerKept);
        qputenv("KX4_TESTEXPLORER_FAIL", fail.toUtf8());
        if (plugin == "unregistered")
            RegistryStore::DeleteTree(HKEY_CLASSES_ROOT, "KXProjectExplorer.Explorer");
        else if (!plugin.isEmpty())
            RegisterExplorer(plugin);
        QString path = MakeFile("Demo.kxs");
        FMDIFrame frame({});
        frame.OpenProject(path, true);
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.first().title, BoxTitle);
        QCOMPARE(m_boxes.first().icon, MessageBox::Icon::Exclamation);
        QVERIFY2(m_boxes.first().text.startsWith(QString::number(number) + ": "),
                 qPrintable(m_boxes.first().text));
        QCOMPARE(frame.ProjectPath(), path); // the steps before the failing one stay done
        QCOMPARE(frame.Explorer() != nullptr, explorerKept);
        QVERIFY(!frame.Picture1()->isVisibleTo(&frame));
        QCOMPARE(frame.ExplorerWindow(), 0);
        if (fail == "LoadProject")
            QVERIFY2(m_boxes.first().text.contains(path), qPrintable(m_boxes.first().text));
    }

    void failureAfterAnOpenProjectLeavesItUnloaded() {
        QString path = MakeFile("Demo.kxs");
        FMDIFrame frame({});
        frame.OpenProject(path, true);
        qputenv("KX4_TESTEXPLORER_FAIL", "LoadProject");
        frame.OpenProject(path, true);
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(Log(), (QStringList{"1 create", "1 LoadProject " + path, "1 UnloadProject", "1 destroy",
                                     "2 create", "2 LoadProject " + path}));
    }

    void toolbarButtonOneGoesToTheExplorer() {
        QString path = MakeFile("Demo.kxs");
        FMDIFrame frame({});
        frame.tbr_ButtonClick(1); // no project: nothing
        QVERIFY(Log().isEmpty());
        frame.OpenProject(path, true);
        frame.tbr_ButtonClick(1);
        frame.tbr_ButtonClick(3);
        QCOMPARE(Log().last(), QStringLiteral("1 ToolButtonClick"));
        QCOMPARE(Log().size(), 3);
    }

    void toolbarHasTwoPictures() {
        FMDIFrame frame({});
        const QList<QAction*> buttons = frame.tbr()->actions();
        QCOMPARE(buttons.size(), 2);
        for (QAction* button : buttons) {
            QVERIFY(!button->icon().isNull());
            QVERIFY(button->text().isEmpty() || button->iconText() == button->text());
            QCOMPARE(button->icon().availableSizes().value(0), QSize(16, 16));
        }
        QVERIFY(buttons[0]->icon().pixmap(16, 16).toImage() != buttons[1]->icon().pixmap(16, 16).toImage());
    }
};

QTEST_MAIN(tst_OpenProject)
#include "tst_OpenProject.moc"
