#pragma once

#include <QDialog>
#include <functional>

class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The modal dialog in which the user picks one of the registered projects. Its controls carry
// object names equal to their names (fra, lbl, lvwRegisteredProjects, cmdOpen, cmdCancel, cmdHelp).
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
    // name, or "" when none was chosen. Failures of the listing reach the caller; the list is
    // emptied on every way out, so each call starts from an empty list.
    QString ShowDialog(const QString& PrjName = QString(), bool Silent = false);

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
    void SetCaptions();
    void Load();
    void Unload();

    QGroupBox* fra;
    QLabel* lbl;
    QTreeWidget* lvwRegisteredProjects;
    QPushButton* cmdOpen;
    QPushButton* cmdCancel;
    QPushButton* cmdHelp;
    bool m_chosen = false;
};
