#include "app/FMDIFrame.h"
#include "app/MWindowControl.h"
#include "platform/registry/Registry.h"
#include "platform/windows/MessageBox.h"
#include "platform/windows/WindowHandles.h"
#include "projects/FProjectOpen.h"
#include "studio/IStudioUtilities.h"
#include "texts/MResources.h"

#include "ProjectData/ProjectFile.h"

#include "common/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QTreeWidget>

using MWindowControl::ReparentWindowByCaption;
using WindowHandles::HandleOf;

static const QString English = QStringLiteral("KestrixStudio Project Explorer");
static const QString German = QStringLiteral("KestrixStudio Projekt-Explorer");

// The frame with an explorer: the recording one (tests/app/RecordingExplorer.cpp) or the studio's.
class tst_OpenProject : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSupport::TempPrefix> m_prefix;
    QStringList m_boxes; // "title|icon|text"
    int m_dialogsShown = 0;

    QString Projects() const { return m_prefix->Work() + "/projects"; }
    void SetLanguage(const RegValue& lcid) {
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio, lcid);
        MResources::ResetForTesting();
        MResources::InitLanguage();
    }
    void RegisterExplorer(const QString& plugin) {
        QCOMPARE(RegistryStore::SetValue(HKEY_CLASSES_ROOT, "KXProjectExplorer.Explorer\\InprocServer32",
                                         RegValue::String("", plugin)),
                 long(ERROR_SUCCESS));
    }
    QString RegisterProject(const QString& name) {
        const QString key = StudioKeys::Projects + '\\' + name;
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, key, RegValue::String("ProjectType", "Single"));
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, key, RegValue::String("Path", Projects()));
        return MakeFile(name + ".kxs");
    }
    QString MakeFile(const QString& name) {
        QFile file(Projects() + '/' + name);
        return file.open(QIODevice::WriteOnly) ? file.fileName() : QString();
    }
    // The explorers' calls, the explorers numbered from 1.
    QStringList Log() const { return TestSupport::ReadLines(m_prefix->Work() + "/explorer.log"); }
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
    // File > Open: notes the row selected at first, opens the row named answer or cancels.
    void ClickFileOpen(FMDIFrame& frame, const QString& answer, QStringList* selected) {
        WhenDialogShows([selected, answer](FProjectOpen& dialog) {
            auto* list = dialog.findChild<QTreeWidget*>("lvwRegisteredProjects");
            *selected << (list->selectedItems().isEmpty() ? QString()
                                                          : list->selectedItems().first()->text(0));
            if (QTreeWidgetItem* item = list->findItems(answer, Qt::MatchExactly).value(0)) {
                list->setCurrentItem(item);
                dialog.lvwRegisteredProjects_ItemClick(item);
                dialog.cmdOpen_Click();
            }
        });
        frame.mnuFileOpen_Click();
    }

private Q_SLOTS:
    void init() {
        m_prefix.reset(); // first: its end unsets the prefix
        m_prefix = std::make_unique<TestSupport::TempPrefix>();
        QVERIFY(QDir().mkpath(Projects()));
        qputenv("KX4_TESTEXPLORER_LOG", QFile::encodeName(m_prefix->Work() + "/explorer.log"));
        qputenv("KX4_TESTEXPLORER_TITLE", German.toUtf8());
        qunsetenv("KX4_TESTEXPLORER_FAIL");
        RegisterExplorer(KX4_TEST_EXPLORER_PLUGIN);
        SetLanguage(RegValue::Dword("LCID", 1031));
        m_boxes.clear();
        m_dialogsShown = 0;
        MessageBox::SetHook([this](const QString& text, const QString& title, MessageBox::Icon icon) {
            m_boxes << title + '|' + QString::number(int(icon)) + '|' + text;
        });
    }
    void cleanup() {
        QCoreApplication::processEvents(); // answers for a dialog that did not show end here
        MessageBox::SetHook({});
        for (QWidget* widget : QApplication::topLevelWidgets())
            QVERIFY2(!widget->isVisible(), widget->metaObject()->className());
    }

    // At start-up a ".kxs" path or a registered name opens without the dialog; anything else
    // leaves the frame empty.
    void startUpOpen() {
        const QString registered = RegisterProject("Anlage");
        const auto start = [&](const QString& argument, bool opens) { // FILE: a made file of that name
            QFile::remove(m_prefix->Work() + "/explorer.log");
            const QString path = argument.startsWith("FILE:") ? MakeFile(argument.mid(5)) : QString();
            FMDIFrame frame({path.isEmpty() ? argument : '"' + path + '"'});
            WhenDialogShows();
            frame.MDIForm_Load();
            QCOMPARE(m_dialogsShown, 0);
            const QString opened = path.isEmpty() ? registered : path;
            QCOMPARE(Log(), (opens ? QStringList{"1 create", "1 LoadProject " + opened} : QStringList{}));
            QCOMPARE(frame.ProjectPath(), opens ? opened : QString());
            QCOMPARE(frame.ExplorerWindow() != 0, opens);
            frame.mnuFileExit_Click();
        };
        start("FILE:DEMO.KXS", true);      // a path in capitals
        start("FILE:Demo.kxs.bak", false); // a path only containing .kxs
        start("Anlage", true);
        start("anlage", false); // a name in another case
    }

    // File > Open always asks, with the open (or last) project selected, and unloads the open one
    // first; cancelled, it keeps the open project. Toolbar button 1 goes to the explorer.
    void fileOpenAlwaysShowsTheDialog() {
        const QString anlage = RegisterProject("Anlage");
        const QString demo = RegisterProject("Demo");
        FMDIFrame frame({});
        frame.show();
        frame.tbr_ButtonClick(1); // no project: nothing
        QStringList selected;
        ClickFileOpen(frame, "Anlage", &selected);
        ClickFileOpen(frame, "Demo", &selected);
        QCOMPARE(frame.ProjectPath(), demo);
        const qint32 window = frame.ExplorerWindow();
        frame.mnuFileClose_Click();
        QVERIFY(!frame.Explorer());
        QCOMPARE(frame.ExplorerWindow(), window); // kept, though the window is gone
        ClickFileOpen(frame, "Demo", &selected);
        ClickFileOpen(frame, "", &selected);
        QCOMPARE(frame.ProjectPath(), demo);
        QVERIFY(frame.ExplorerWindow() != window);
        frame.tbr_ButtonClick(1);
        QCOMPARE(m_dialogsShown, 4);
        QCOMPARE(selected, (QStringList{"", "Anlage", "Demo", "Demo"}));
        QCOMPARE(Log(), (QStringList{"1 create", "1 LoadProject " + anlage, "1 UnloadProject", "1 destroy",
                                     "2 create", "2 LoadProject " + demo, "2 UnloadProject", "2 destroy",
                                     "3 create", "3 LoadProject " + demo, "3 ToolButtonClick"}));
        QVERIFY(m_boxes.isEmpty());
        frame.close();
    }

    // The explorer's window is taken into the pane, without its frame, when its title is the
    // frame's string 300, and fills it. The studio's own explorer
    // reads "LCID" as the frame does, whatever its form, so it lands there.
    void open_data() {
        QTest::addColumn<QString>("lcid");     // digits: a number, else text
        QTest::addColumn<QString>("explorer"); // "": the recording one, "studio's" or "unregistered"
        QTest::addColumn<QString>("title");    // of the recording explorer's window
        QTest::addColumn<QString>("fail");     // what the recording explorer fails
        QTest::addColumn<int>("box");          // the number in the one box, 0: none
        QTest::addColumn<bool>("embedded");
        // clang-format off
        QTest::newRow("English title, German frame")       << "1031"   << ""             << English << ""            << 0   << false;
        QTest::newRow("studio's explorer, 1031")           << "1031"   << "studio's"     << German  << ""            << 0   << true;
        QTest::newRow("studio's explorer, 1033.4 as text") << "1033.4" << "studio's"     << English << ""            << 0   << true;
        QTest::newRow("explorer not registered")           << "1031"   << "unregistered" << German  << ""            << 429 << false;
        QTest::newRow("object without the explorer interface") << "1031" << ""           << German  << "Interface"   << 430 << false;
        QTest::newRow("project cannot be loaded")          << "1031"   << ""             << German  << "LoadProject" << 440 << false;
        // clang-format on
    }
    void open() {
        QFETCH(QString, lcid);
        QFETCH(QString, explorer);
        QFETCH(QString, title);
        QFETCH(QString, fail);
        QFETCH(int, box);
        QFETCH(bool, embedded);
        const uint number = lcid.toUInt();
        SetLanguage(number ? RegValue::Dword("LCID", number) : RegValue::String("LCID", lcid));
        qputenv("KX4_TESTEXPLORER_TITLE", title.toUtf8());
        qputenv("KX4_TESTEXPLORER_FAIL", fail.toUtf8());
        QString path = MakeFile("Demo.kxs");
        if (explorer == "studio's") {
            RegisterExplorer(KX4_EXPLORER_PLUGIN);
            QFile::remove(path);
            ProjectFile::Create(path, {"Deutsch", "English"})->EnsureGroup("Alarme");
        } else if (explorer == "unregistered") {
            RegistryStore::DeleteTree(HKEY_CLASSES_ROOT, "KXProjectExplorer.Explorer");
        }
        FMDIFrame frame({});
        frame.show();
        frame.OpenProject(path, true);
        QCOMPARE(frame.ProjectPath(), path);
        QCOMPARE(frame.ExplorerWindow() != 0, embedded);
        // A failure shows one box, after which the pane stays hidden; the explorer stays when
        // only its project failed, and the box names the project.
        QCOMPARE(m_boxes.size(), int(box != 0));
        const QString start =
            QString("KestrixStudio - FileOpen|%1|%2: ").arg(int(MessageBox::Icon::Exclamation));
        QVERIFY2(box == 0 || m_boxes.first().startsWith(start.arg(box)), qPrintable(m_boxes.join('\n')));
        QCOMPARE(box != 0 && m_boxes.first().contains(path), fail == "LoadProject");
        QCOMPARE(frame.Explorer() != nullptr, box == 0 || fail == "LoadProject");
        QCOMPARE(frame.Picture1()->isVisible(), box == 0);
        if (embedded) {
            QWidget* window = WindowHandles::WidgetOf(frame.ExplorerWindow());
            QCOMPARE(window->parentWidget(), frame.Picture1());
            const quint32 style =
                WindowHandles::GetWindowLongA(frame.ExplorerWindow(), WindowHandles::GWL_STYLE);
            QVERIFY(!(style & (WindowHandles::WS_SYSMENU | WindowHandles::WS_THICKFRAME)));
            QCOMPARE(window->geometry(), frame.Picture1()->rect());
        }
        frame.close();
    }

    // How the frame finds the explorer's window: by its whole title, as the 255-byte buffer of
    // the window API holds it; bad or stale handles change nothing.
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
        const qint32 stale = [] {
            QWidget gone;
            return HandleOf(&gone);
        }();
        QCOMPARE(ReparentWindowByCaption(stale, HandleOf(pane), caption), 0);
        QCOMPARE(ReparentWindowByCaption(HandleOf(&frame), stale, caption), 0);
        QCOMPARE(window->mdiArea(), area);
        QCOMPARE(ReparentWindowByCaption(HandleOf(&frame), HandleOf(pane), caption),
                 found ? HandleOf(window) : 0);
        QCOMPARE(window->parentWidget() == pane, found);
    }
};

QTEST_MAIN(tst_OpenProject)
#include "tst_OpenProject.moc"
