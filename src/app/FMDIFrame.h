#pragma once

#include "platform/core/ObjectFactory.h"

#include <QMainWindow>
#include <memory>

class CWexelToolBox;
class IProjectExplorer;
class PictureBox;
class QMdiArea;
class QMenu;
class QToolBar;
class QAction;

// The program's MDI frame and start-up object: loading it starts the program, unloading it
// ends it. Handlers throw Failure where nothing of theirs catches it.
class FMDIFrame : public QMainWindow {
    Q_OBJECT
public:
    // arguments: the process arguments without the program's own path.
    explicit FMDIFrame(const QStringList& arguments, QWidget* parent = nullptr);
    ~FMDIFrame() override;

    // Start-up in its fixed order; the silent road runs the script and unloads the frame.
    void MDIForm_Load();
    // The frame has been unloaded (the silent road, or Exit).
    bool IsUnloaded() const { return m_unloaded; }

    void mnuFileOpen_Click();
    void mnuFileClose_Click();
    void mnuFileExit_Click();
    void mnuExtra_Click(int Index);
    void mnuHelpHelp_Click();
    void mnuHelpInfo_Click();
    void tbr_ButtonClick(int Index);

    // The splitter bar; x is the mouse position relative to the bar, in pixels.
    void pctSplit_MouseDown(Qt::MouseButton Button, int X);
    void pctSplit_MouseUp(Qt::MouseButton Button, int X);
    void Picture1_Resize();

    // Opens a project and takes the explorer's window into Picture1; a failure is shown in one
    // message box. Silent (start-up): a ".kxs" path as it is, else the registered project of
    // exactly that name, else nothing. Otherwise the project-open dialog, with PrjName selected.
    void OpenProject(QString& PrjName, bool Silent);

    // State the user sees, for tests and the explorer.
    QString CommandLine() const { return m_commandLine; }
    QString ProjectPath() const { return m_projectPath; }
    // The name the dialog lists the open (or last) project by; File > Open selects it.
    QString ProjectName() const { return m_projectName; }
    qint32 ExplorerWindow() const { return m_explorerWindow; }
    IProjectExplorer* Explorer() const { return m_explorer; }
    bool SplitterDragging() const { return m_splitterDragging; }
    QWidget* Picture1() const;
    QWidget* pctSplit() const;
    QMdiArea* MdiArea() const { return m_mdiArea; }
    QToolBar* tbr() const { return m_tbr; }
    CWexelToolBox& ToolBox();

    // A pane width in twips, at the screen's logical resolution.
    int TwipsToPixels(int twips) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildFurniture();
    void BuildMenus();
    void BuildToolbar();
    void BuildPanes();
    void InitMenue();
    QString SettleProjectName(const QString& PrjName, bool Silent);
    void LoadExplorer();
    void EmbedExplorerWindow();
    void MDIForm_Unload();
    void ReleaseExplorer();

    QStringList m_arguments;

    // Fields in the order the frame declares them.
    ObjectRef m_explorerObject;
    IProjectExplorer* m_explorer = nullptr;
    QString m_projectPath;
    QString m_projectName;
    qint32 m_explorerWindow = 0;
    QString m_commandLine;
    std::unique_ptr<CWexelToolBox> m_toolBox;
    bool m_splitterDragging = false;

    bool m_unloaded = false;

    QMdiArea* m_mdiArea = nullptr;
    PictureBox* m_picture1 = nullptr;
    PictureBox* m_pctSplit = nullptr;
    QToolBar* m_tbr = nullptr;
    QMenu* m_mnuFile = nullptr;
    QAction* m_mnuFileOpen = nullptr;
    QAction* m_mnuFileClose = nullptr;
    QAction* m_mnuFileSep1 = nullptr;
    QAction* m_mnuFileExit = nullptr;
    QMenu* m_mnuExtras = nullptr;
    QAction* m_mnuExtra0 = nullptr;
    QMenu* m_mnuHelp = nullptr;
    QAction* m_mnuHelpHelp = nullptr;
    QAction* m_mnuHelpInfo = nullptr;
};
