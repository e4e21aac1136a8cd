// A second yardstick: what kx4toolbox shows at its first paint with the demo project, built the
// plainest way in one Qt program (no registry, no project file, no components): the 900 x 640
// main window with the menu bar, the toolbar with two pictures, the explorer pane with a titled
// subwindow holding the project's facts and its five index groups, and the empty window area.
// With KX4_BENCH_QUIT_AFTER_PAINT set it quits once painted, as kx4toolbox does. Its gap to the
// bare window is what Qt itself spends on this frame; kx4toolbox's gap to it is the program's own.
#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

class QuitAfterPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return QObject::eventFilter(watched, event);
    }
};

void AddMenus(QMainWindow& window) {
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("&Datei"));
    file->addAction(QStringLiteral("Ö&ffnen"));
    file->addAction(QStringLiteral("&Schließen"));
    file->addSeparator();
    file->addAction(QStringLiteral("&Beenden"));
    QMenu* help = window.menuBar()->addMenu(QStringLiteral("&?"));
    help->addAction(QStringLiteral("&Hilfe"));
    help->addAction(QStringLiteral("&Info"));
    QToolBar* toolBar = window.addToolBar(QStringLiteral("tbr"));
    toolBar->setMovable(false);
    toolBar->setIconSize(QSize(16, 16));
    for (const QColor& color : {QColor(0x5a, 0x64, 0x6e), QColor(0x2f, 0x74, 0xd0)}) {
        QPixmap picture(16, 16);
        picture.fill(color);
        toolBar->addAction(QIcon(picture), QString());
    }
}

QWidget* ExplorerContent() {
    auto* content = new QWidget;
    auto* facts = new QFormLayout;
    const char* const rows[][2] = {{"Projekt:", "Demo"},
                                   {"Datei:", "/tmp/kx4/prefix/projects/Demo.kxs"},
                                   {"Sprachen:", "Deutsch, English"}};
    for (const auto& row : rows) {
        auto* label = new QLabel(QString::fromUtf8(row[1]));
        label->setWordWrap(true);
        facts->addRow(QString::fromUtf8(row[0]), label);
    }
    auto* groups = new QTreeWidget;
    groups->setColumnCount(2);
    groups->setHeaderLabels({QStringLiteral("Indexgruppe"), QStringLiteral("Texte")});
    groups->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    groups->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    groups->header()->setStretchLastSection(false);
    auto* alarms = new QTreeWidgetItem(groups, {QStringLiteral("Alarme")});
    new QTreeWidgetItem(alarms, {QStringLiteral("Kessel")});
    new QTreeWidgetItem(alarms, {QStringLiteral("Pumpen")});
    new QTreeWidgetItem(groups, {QStringLiteral("Meldungen")});
    new QTreeWidgetItem(groups, {QStringLiteral("Bedienung")});
    groups->expandAll();
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(facts);
    layout->addWidget(groups, 1);
    return content;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("KestrixStudio ToolBox"));
    window.resize(900, 640);
    AddMenus(window);
    auto* central = new QWidget;
    auto* panes = new QHBoxLayout(central);
    panes->setContentsMargins(0, 0, 0, 0);
    panes->setSpacing(0);
    auto* pane = new QWidget;
    pane->setFixedWidth(196); // the explorer pane's designed 2,940 twips at 96 dpi
    auto* splitter = new QWidget;
    splitter->setFixedWidth(2);
    panes->addWidget(pane);
    panes->addWidget(splitter);
    panes->addWidget(new QMdiArea, 1);
    window.setCentralWidget(central);
    auto* explorer =
        new QMdiSubWindow(nullptr, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    explorer->setWidget(ExplorerContent());
    explorer->setWindowTitle(QStringLiteral("KestrixStudio Projekt-Explorer"));
    auto* paneLayout = new QVBoxLayout(pane);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    paneLayout->addWidget(explorer);
    window.show();
    QuitAfterPaint quitAfterPaint;
    if (qEnvironmentVariableIsSet("KX4_BENCH_QUIT_AFTER_PAINT"))
        window.installEventFilter(&quitAfterPaint);
    return app.exec();
}
