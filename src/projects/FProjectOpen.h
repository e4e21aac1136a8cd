#pragma once

#include "projects/RegisteredProject.h"

#include <QDialog>
#include <functional>

class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The modal dialog in which the user picks one of the registered projects. Its controls carry
// object names equal to their names (fra, lbl, lvwRegisteredProjects, lblStatus, cmdOpen,
// cmdCancel, cmdHelp); lblStatus, below the list, names a registration that could not be read.
class FProjectOpen : public QDialog {
    Q_OBJECT

public:
    explicit FProjectOpen(QWidget* parent = nullptr);
    ~FProjectOpen() override;

    // The program's one dialog, created on first use and destroyed with the application.
    // Needs a QApplication.
    static FProjectOpen& Instance();

    // What cmdHelp runs; an empty handler makes the button do nothing. The frame sets it.
    static void SetHelpHandler(std::function<void()> handler);

    // Fills the list with the openable registered projects, pre-selects the row whose text equals
    // PrjName exactly, and, unless Silent, shows the dialog modally. Returns the chosen project's
    // name, or "" when none was chosen. Silent, it answers as FindRegistered and touches no
    // control. Failures of the listing reach the caller; the list is emptied on every way out,
    // so each call starts from an empty list.
    QString ShowDialog(const QString& PrjName = QString(), bool Silent = false);

    // What the silent dialog answers, without a dialog: PrjName when an openable registered
    // project has exactly that name, else "". Deletes stale registrations on the way.
    static QString FindRegistered(const QString& PrjName);

    bool Chosen() const { return m_chosen; }

public Q_SLOTS:
    void cmdOpen_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();
    void lvwRegisteredProjects_ItemClick(QTreeWidgetItem* item);
    void lvwRegisteredProjects_DblClick();

public:
    void reject() override; // Escape

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void lvwRegisteredProjects_MouseDown(const QPoint& position);
    void NameControls();
    void SetUpList();
    void LayOut();
    void ConnectEvents();
    void Preselect(const QString& PrjName);
    void ShowUnreadable(const QList<UnreadableRegistration>& unreadable);
    void SetCaptions();
    void Load();
    void Unload();

    QGroupBox* fra;
    QLabel* lbl;
    QTreeWidget* lvwRegisteredProjects;
    QLabel* lblStatus;
    QPushButton* cmdOpen;
    QPushButton* cmdCancel;
    QPushButton* cmdHelp;
    bool m_chosen = false;
};
