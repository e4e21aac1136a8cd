#include "projects/FProjectOpen.h"

#include "projects/MKX4FunctionsSpecial.h"
#include "texts/MResources.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>

namespace {

std::unique_ptr<FProjectOpen> TheInstance;
std::function<void()> HelpHandler;

void DestroyInstance() { TheInstance.reset(); }

} // namespace

FProjectOpen::FProjectOpen(QWidget* parent)
    : QDialog(parent), fra(new QGroupBox(this)), lbl(new QLabel(fra)),
      lvwRegisteredProjects(new QTreeWidget(fra)), lblStatus(new QLabel(fra)), cmdOpen(new QPushButton(this)),
      cmdCancel(new QPushButton(this)), cmdHelp(new QPushButton(this)) {
    NameControls();
    SetUpList();
    LayOut();
    ConnectEvents();
}

void FProjectOpen::NameControls() {
    fra->setObjectName("fra");
    lbl->setObjectName("lbl");
    lvwRegisteredProjects->setObjectName("lvwRegisteredProjects");
    lblStatus->setObjectName("lblStatus");
    cmdOpen->setObjectName("cmdOpen");
    cmdCancel->setObjectName("cmdCancel");
    cmdHelp->setObjectName("cmdHelp");
}

// A report view: plain rows, whole-row selection, one row at a time, no editing, no sorting.
void FProjectOpen::SetUpList() {
    lvwRegisteredProjects->setColumnCount(3);
    lvwRegisteredProjects->setRootIsDecorated(false);
    lvwRegisteredProjects->setUniformRowHeights(true);
    lvwRegisteredProjects->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwRegisteredProjects->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvwRegisteredProjects->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwRegisteredProjects->setAllColumnsShowFocus(true);
    lvwRegisteredProjects->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lvwRegisteredProjects->header()->setSectionsMovable(false);
    lvwRegisteredProjects->viewport()->installEventFilter(this);
    lblStatus->setWordWrap(true);
    lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblStatus->hide();
}

void FProjectOpen::LayOut() {
    auto* frameLayout = new QVBoxLayout(fra);
    frameLayout->addWidget(lbl);
    frameLayout->addWidget(lvwRegisteredProjects);
    frameLayout->addWidget(lblStatus);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOpen);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdHelp);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fra);
    layout->addLayout(buttons);

    cmdOpen->setDefault(true);
    cmdOpen->setEnabled(false);
    setTabOrder(lvwRegisteredProjects, cmdOpen);
    setTabOrder(cmdOpen, cmdCancel);
    setTabOrder(cmdCancel, cmdHelp);
    resize(620, 380);
    // Lay out now, outer layout first, so that a list filled before the dialog is shown knows
    // its width (a hidden widget lays out its children only when shown).
    layout->activate();
    frameLayout->activate();
}

void FProjectOpen::ConnectEvents() {
    connect(cmdOpen, &QPushButton::clicked, this, &FProjectOpen::cmdOpen_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FProjectOpen::cmdCancel_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &FProjectOpen::cmdHelp_Click);
    connect(lvwRegisteredProjects, &QTreeWidget::itemClicked, this,
            &FProjectOpen::lvwRegisteredProjects_ItemClick);
    connect(lvwRegisteredProjects, &QTreeWidget::itemDoubleClicked, this,
            &FProjectOpen::lvwRegisteredProjects_DblClick);
    // A row chosen with the keyboard may be opened as well; no selected row, nothing to open.
    connect(lvwRegisteredProjects, &QTreeWidget::itemSelectionChanged, this,
            [this] { cmdOpen->setEnabled(!lvwRegisteredProjects->selectedItems().isEmpty()); });
}

FProjectOpen::~FProjectOpen() = default;

FProjectOpen& FProjectOpen::Instance() {
    if (!TheInstance) {
        TheInstance = std::make_unique<FProjectOpen>();
        // A widget must go before the application object does.
        qAddPostRoutine(DestroyInstance);
    }
    return *TheInstance;
}

void FProjectOpen::SetHelpHandler(std::function<void()> handler) { HelpHandler = std::move(handler); }

QString FProjectOpen::ShowDialog(const QString& PrjName, bool Silent) {
    if (Silent) {
        m_chosen = false;
        const QString name = FindRegistered(PrjName);
        m_chosen = !name.isEmpty();
        return name;
    }
    Load();
    // Unloaded on every way out, a failure included, so the next call starts from an empty list.
    struct UnloadOnExit {
        FProjectOpen* dialog;
        ~UnloadOnExit() { dialog->Unload(); }
    } unloadOnExit{this};

    ShowUnreadable(MKX4FunctionsSpecial::FillRegisteredProjects(lvwRegisteredProjects,
                                                                MKX4FunctionsSpecial::OpenableProjectTypes));
    Preselect(PrjName);
    SetCaptions();
    exec();

    if (!m_chosen)
        return QString();
    const QList<QTreeWidgetItem*> selected = lvwRegisteredProjects->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text(0);
}

QString FProjectOpen::FindRegistered(const QString& PrjName) {
    const MKX4FunctionsSpecial::RegistrationListing listing =
        MKX4FunctionsSpecial::ReadRegistrations(MKX4FunctionsSpecial::OpenableProjectTypes);
    MKX4FunctionsSpecial::DeleteRegistrations(listing.Stale);
    if (PrjName.isEmpty())
        return QString();
    for (const RegisteredProject& project : listing.Listed)
        if (project.Name == PrjName)
            return PrjName;
    return QString();
}

void FProjectOpen::Preselect(const QString& PrjName) {
    if (PrjName.isEmpty())
        return;
    for (int i = 0; i < lvwRegisteredProjects->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = lvwRegisteredProjects->topLevelItem(i);
        if (row->text(0) == PrjName) {
            lvwRegisteredProjects->setCurrentItem(row);
            lvwRegisteredProjects->scrollToItem(row);
            m_chosen = true;
            cmdOpen->setEnabled(true);
            return;
        }
    }
}

// Once per showing: the first registration passed over, and how many more there were.
void FProjectOpen::ShowUnreadable(const QList<UnreadableRegistration>& unreadable) {
    if (unreadable.isEmpty())
        return;
    QString text = MResources::GetResMessage(220, {unreadable.first().Name, unreadable.first().Why});
    if (unreadable.size() > 1)
        text += QLatin1Char(' ') + MResources::GetResMessage(221, {qint32(unreadable.size() - 1)});
    lblStatus->setText(text);
    lblStatus->show();
}

void FProjectOpen::cmdOpen_Click() {
    if (!cmdOpen->isEnabled() || lvwRegisteredProjects->selectedItems().isEmpty())
        return;
    m_chosen = true;
    QDialog::accept();
}

void FProjectOpen::cmdCancel_Click() {
    m_chosen = false;
    QDialog::reject();
}

void FProjectOpen::cmdHelp_Click() {
    if (HelpHandler)
        HelpHandler();
}

void FProjectOpen::lvwRegisteredProjects_ItemClick(QTreeWidgetItem* item) {
    if (item)
        cmdOpen->setEnabled(true);
}

void FProjectOpen::lvwRegisteredProjects_DblClick() { cmdOpen_Click(); }

void FProjectOpen::lvwRegisteredProjects_MouseDown(const QPoint& position) {
    if (lvwRegisteredProjects->itemAt(position))
        return;
    lvwRegisteredProjects->clearSelection();
    lvwRegisteredProjects->setCurrentItem(nullptr);
    cmdOpen->setEnabled(false);
}

void FProjectOpen::reject() { cmdCancel_Click(); }

void FProjectOpen::closeEvent(QCloseEvent* event) {
    // The close box leaves without a project, even with a row selected.
    if (isVisible())
        m_chosen = false;
    QDialog::closeEvent(event);
}

bool FProjectOpen::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lvwRegisteredProjects->viewport() &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
        lvwRegisteredProjects_MouseDown(static_cast<QMouseEvent*>(event)->position().toPoint());
    return QDialog::eventFilter(watched, event);
}

void FProjectOpen::SetCaptions() {
    setWindowTitle(MResources::GetResString(200));
    lbl->setText(MResources::GetResString(201));
    lvwRegisteredProjects->setHeaderLabels(
        {MResources::GetResString(210), MResources::GetResString(211), MResources::GetResString(212)});
    cmdOpen->setText(MResources::GetResString(10));
    cmdCancel->setText(MResources::GetResString(11));
    cmdHelp->setText(MResources::GetResString(12));

    // The three buttons are of one size, the widest caption's.
    int width = 0;
    for (QPushButton* button : {cmdOpen, cmdCancel, cmdHelp}) {
        button->setMinimumWidth(0);
        width = std::max(width, button->sizeHint().width());
    }
    for (QPushButton* button : {cmdOpen, cmdCancel, cmdHelp})
        button->setFixedWidth(std::max(width, 90));
}

void FProjectOpen::Load() {
    m_chosen = false;
    lvwRegisteredProjects->clear();
    cmdOpen->setEnabled(false);
}

void FProjectOpen::Unload() {
    if (isVisible())
        hide();
    lvwRegisteredProjects->clear();
    lblStatus->clear();
    lblStatus->hide();
    cmdOpen->setEnabled(false);
}
