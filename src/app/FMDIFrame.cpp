#include "app/FMDIFrame.h"

#include "app/CWexelToolBox.h"
#include "app/MWindowControl.h"
#include "app/PictureBox.h"
#include "app/ToolBoxCommandLine.h"
#include "app/ToolbarPictures.h"
#include "help/FAbout.h"
#include "help/MHelp.h"
#include "platform/windows/MessageBox.h"
#include "platform/windows/WindowHandles.h"
#include "projects/FProjectOpen.h"
#include "projects/MKX4Functions.h"
#include "script/MScriptScan.h"
#include "studio/CreateObject.h"
#include "studio/Failure.h"
#include "studio/IProjectExplorer.h"
#include "studio/IStudioUtilities.h"
#include "studio/ProjectTypes.h"
#include "texts/MResources.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMdiArea>
#include <QMenuBar>
#include <QPointer>
#include <QToolBar>
#include <algorithm>

namespace {

constexpr int DesignedPaneTwips = 2940;
constexpr int SplitterTwips = 30;
constexpr qint32 HelpContextToolbox = 60002;

// "-" as a caption makes the item a separator line.
void SetCaption(QAction* action, const QString& caption) {
    action->setSeparator(caption == QLatin1String("-"));
    action->setText(caption);
}

QColor MenuBarColor() { return QApplication::palette("QMenuBar").color(QPalette::Window); }

} // namespace

FMDIFrame::FMDIFrame(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), m_arguments(arguments) {
    setObjectName(QStringLiteral("FMDIFrame"));
    BuildFurniture();
    FProjectOpen::SetHelpHandler([frame = QPointer<FMDIFrame>(this)] {
        MHelp::ShowHelp(frame ? WindowHandles::HandleOf(frame) : 0, HelpContextToolbox);
    });
}

FMDIFrame::~FMDIFrame() = default;

void FMDIFrame::BuildFurniture() {
    setWindowTitle(QStringLiteral("KestrixStudio ToolBox"));
    resize(900, 640);
    BuildMenus();
    BuildToolbar();
    BuildPanes();
}

void FMDIFrame::BuildMenus() {
    const auto item = [this](QMenu* menu, const char* name, const QString& caption, auto handler) {
        QAction* action = menu->addAction(caption, this, handler);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    const auto menu = [this](const char* name, const QString& caption) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    m_mnuFile = menu("mnuFile", QStringLiteral("&Datei"));
    m_mnuFileOpen =
        item(m_mnuFile, "mnuFileOpen", QStringLiteral("Ö&ffnen"), [this] { mnuFileOpen_Click(); });
    m_mnuFileClose =
        item(m_mnuFile, "mnuFileClose", QStringLiteral("&Schließen"), [this] { mnuFileClose_Click(); });
    m_mnuFileSep1 = m_mnuFile->addSeparator();
    m_mnuFileSep1->setObjectName(QStringLiteral("mnuFileSep1"));
    m_mnuFileExit =
        item(m_mnuFile, "mnuFileExit", QStringLiteral("&Beenden"), [this] { mnuFileExit_Click(); });
    m_mnuExtras = menu("mnuExtras", QStringLiteral("&Extras"));
    m_mnuExtra0 = item(m_mnuExtras, "mnuExtra0", QStringLiteral("&Scriptdatei ausführen"),
                       [this] { mnuExtra_Click(0); });
    m_mnuHelp = menu("mnuHelp", QStringLiteral("&?"));
    m_mnuHelpHelp = item(m_mnuHelp, "mnuHelpHelp", QStringLiteral("&Hilfe"), [this] { mnuHelpHelp_Click(); });
    m_mnuHelpInfo = item(m_mnuHelp, "mnuHelpInfo", QStringLiteral("&Info"), [this] { mnuHelpInfo_Click(); });
}

void FMDIFrame::BuildToolbar() {
    m_tbr = addToolBar(QStringLiteral("tbr"));
    m_tbr->setObjectName(QStringLiteral("tbr"));
    m_tbr->setMovable(false);
    m_tbr->setIconSize(QSize(16, 16));
    QAction* button1 =
        m_tbr->addAction(QIcon(ToolbarPictures::Tools()), QString(), this, [this] { tbr_ButtonClick(1); });
    QAction* button2 = m_tbr->addAction(QIcon(ToolbarPictures::Information()), QString(), this,
                                        [this] { tbr_ButtonClick(2); });
    button1->setObjectName(QStringLiteral("tbrButton1"));
    button2->setObjectName(QStringLiteral("tbrButton2"));
}

// Picture1 and the splitter bar docked at the left, the MDI area beside them.
void FMDIFrame::BuildPanes() {
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_picture1 = new PictureBox(central);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->setFixedWidth(TwipsToPixels(DesignedPaneTwips));
    m_picture1->OnResize = [this] { Picture1_Resize(); };
    m_picture1->hide();
    m_pctSplit = new PictureBox(central);
    m_pctSplit->setObjectName(QStringLiteral("pctSplit"));
    m_pctSplit->setFixedWidth(qMax(1, TwipsToPixels(SplitterTwips)));
    m_pctSplit->setCursor(Qt::SplitHCursor);
    m_pctSplit->SetBackColor(MenuBarColor());
    m_pctSplit->OnMouseDown = [this](Qt::MouseButton button, int x) { pctSplit_MouseDown(button, x); };
    m_pctSplit->OnMouseUp = [this](Qt::MouseButton button, int x) { pctSplit_MouseUp(button, x); };
    m_mdiArea = new QMdiArea(central);
    m_mdiArea->setObjectName(QStringLiteral("MdiArea"));
    layout->addWidget(m_picture1);
    layout->addWidget(m_pctSplit);
    layout->addWidget(m_mdiArea, 1);
    setCentralWidget(central);
    // Like the designed frame, the window may be made narrower than its panes; and a pane's new
    // width never has to be pushed to the window system as a new minimum size.
    this->layout()->setSizeConstraint(QLayout::SetNoConstraint);
}

QWidget* FMDIFrame::Picture1() const { return m_picture1; }
QWidget* FMDIFrame::pctSplit() const { return m_pctSplit; }

int FMDIFrame::TwipsToPixels(int twips) const {
    // In double: a width from the registry may be any 32-bit number.
    return qRound(double(twips) * logicalDpiX() / 1440.0);
}

CWexelToolBox& FMDIFrame::ToolBox() {
    if (!m_toolBox)
        m_toolBox = std::make_unique<CWexelToolBox>();
    return *m_toolBox;
}

void FMDIFrame::MDIForm_Load() {
    MResources::InitLanguage();
    MKX4Functions::ReadInstallSettings();
    InitMenue();
    if (ToolBox().WexelActivate == 1)
        m_tbr->hide();

    bool silentRun = false;
    m_commandLine = ToolBoxCommandLine::Reduce(ToolBoxCommandLine::Join(m_arguments), &silentRun);
    if (silentRun) {
        MScriptScan::RunScriptFile(m_commandLine);
        mnuFileExit_Click();
    } else {
        OpenProject(m_commandLine, true);
    }
    MHelp::InitHelp();
}

void FMDIFrame::InitMenue() {
    try {
        setWindowTitle(MResources::GetResString(100));
        m_mnuFile->setTitle(MResources::GetResString(110));
        SetCaption(m_mnuFileOpen, MResources::GetResString(111));
        SetCaption(m_mnuFileClose, MResources::GetResString(112));
        SetCaption(m_mnuFileSep1, MResources::GetResString(113));
        SetCaption(m_mnuFileExit, MResources::GetResString(114));
        m_mnuExtras->setTitle(MResources::GetResString(130));
        m_mnuExtras->menuAction()->setVisible(ToolBox().WexelToolboxEnableScriptMenu == 1);
        SetCaption(m_mnuExtra0, MResources::GetResString(131));
        m_mnuHelp->setTitle(MResources::GetResString(140));
        SetCaption(m_mnuHelpHelp, MResources::GetResString(141));
        SetCaption(m_mnuHelpInfo, MResources::GetResString(142));
    } catch (const Failure& failure) {
        if (failure.Number() == Failure::ObjectNotSet)
            return;
        MessageBox::Show(QString::number(failure.Number()) + QStringLiteral("   ") + failure.Description(),
                         QStringLiteral("InitMenue"), MessageBox::Icon::None, this);
    }
}

void FMDIFrame::OpenProject(QString& PrjName, bool Silent) {
    try {
        const QString name = SettleProjectName(PrjName, Silent);
        if (name.isEmpty())
            return;
        m_projectPath = StudioUtilities().Files().GetProjectPath(name);
        // A project file is named after its registration, so its name is what the dialog lists.
        m_projectName =
            ProjectTypes::NamesProjectFile(name) ? QFileInfo(m_projectPath).completeBaseName() : name;
        ReleaseExplorer();
        LoadExplorer();
        EmbedExplorerWindow();
    } catch (const Failure& failure) {
        MessageBox::Show(failure.Text(), QStringLiteral("KestrixStudio - FileOpen"),
                         MessageBox::Icon::Exclamation, this);
    }
}

// At start-up a ".kxs" path opens as it is and a registered name without the dialog; the user's
// File > Open always gets the dialog.
QString FMDIFrame::SettleProjectName(const QString& PrjName, bool Silent) {
    if (!Silent)
        return FProjectOpen::Instance().ShowDialog(PrjName, false);
    if (ProjectTypes::NamesProjectFile(PrjName))
        return PrjName;
    return FProjectOpen::FindRegistered(PrjName);
}

void FMDIFrame::LoadExplorer() {
    ObjectRef object = CreateObject(QString::fromLatin1(ProjectExplorerProgId));
    IProjectExplorer* explorer = ObjectFactory::Query<IProjectExplorer>(object);
    if (!explorer)
        throw Failure(
            Failure::InterfaceNotSupported,
            QStringLiteral("\"%1\" is no project explorer").arg(QLatin1String(ProjectExplorerProgId)));
    m_explorerObject = std::move(object);
    m_explorer = explorer;
    if (!m_explorer->LoadProject(this, m_projectPath))
        throw Failure(Failure::ComponentFailure, m_explorer->LastError());
}

// The explorer's window, found by its title among the frame's windows, into Picture1.
void FMDIFrame::EmbedExplorerWindow() {
    m_picture1->show();
    const QString caption = MResources::GetResString(300);
    const qint32 pane = WindowHandles::HandleOf(m_picture1);
    m_explorerWindow = MWindowControl::ReparentWindowByCaption(WindowHandles::HandleOf(this), pane, caption);
    MWindowControl::RemoveWindowFrame(m_explorerWindow);
    MWindowControl::FitWindowToContainer(m_explorerWindow, pane);
    if (ToolBox().WexelActivate == 1)
        // Qt reads a fixed width of QWIDGETSIZE_MAX as no minimum at all.
        m_picture1->setFixedWidth(
            std::clamp(TwipsToPixels(ToolBox().WexelProjectExplorerWindowWidth), 0, QWIDGETSIZE_MAX - 1));
}

void FMDIFrame::mnuFileOpen_Click() {
    QString name = m_projectName;
    OpenProject(name, false);
}

void FMDIFrame::mnuFileClose_Click() { ReleaseExplorer(); }

void FMDIFrame::ReleaseExplorer() {
    if (!m_explorer)
        return;
    m_explorer->UnloadProject();
    m_explorer = nullptr;
    m_explorerObject.reset();
}

void FMDIFrame::mnuFileExit_Click() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window != this && window->isWindow() && window->objectName() != objectName() &&
            !window->inherits("QMenu"))
            window->close();
    }
    MDIForm_Unload();
    hide();
}

void FMDIFrame::closeEvent(QCloseEvent* event) {
    MDIForm_Unload();
    event->accept();
}

void FMDIFrame::MDIForm_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    MHelp::CloseHelp();
    ReleaseExplorer();
    QCoreApplication::quit();
}

void FMDIFrame::mnuExtra_Click(int Index) { MScriptScan::mnuExtra_Click(Index, this); }

void FMDIFrame::mnuHelpHelp_Click() { MHelp::ShowHelp(WindowHandles::HandleOf(this), HelpContextToolbox); }

void FMDIFrame::mnuHelpInfo_Click() { FAbout::ShowModal(); }

void FMDIFrame::tbr_ButtonClick(int Index) {
    if (Index == 1) {
        if (m_explorer)
            m_explorer->ToolButtonClick();
    } else if (Index == 2) {
        FAbout::ShowModal();
    }
}

void FMDIFrame::pctSplit_MouseDown(Qt::MouseButton Button, int X) {
    Q_UNUSED(X);
    if (Button != Qt::LeftButton)
        return;
    m_splitterDragging = true;
    m_pctSplit->SetBackColor(Qt::black);
}

void FMDIFrame::pctSplit_MouseUp(Qt::MouseButton Button, int X) {
    if (Button != Qt::LeftButton || !m_splitterDragging)
        return;
    m_splitterDragging = false;
    // A release far left of the bar would give a negative width: the pane closes to nothing.
    m_picture1->setFixedWidth(qMax(0, m_pctSplit->x() + X));
    m_pctSplit->SetBackColor(MenuBarColor());
}

void FMDIFrame::Picture1_Resize() {
    if (m_explorerWindow != 0)
        MWindowControl::FitWindowToContainer(m_explorerWindow, WindowHandles::HandleOf(m_picture1));
}
