#include "ProjectFixture.h"
#include "TestComponents.h"
#include "common/TestSupport.h"

#include "studio/IProjectExplorer.h"
#include "studio/StudioKeys.h"

#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <memory>

namespace {

const QString German = QStringLiteral("KestrixStudio Projekt-Explorer");

struct Frame {
    QMainWindow window;
    QMdiArea* area = new QMdiArea;
    Frame() {
        window.setCentralWidget(area);
        window.show();
    }
    QMdiSubWindow* Titled(const QString& title) const {
        for (QMdiSubWindow* sub : area->subWindowList())
            if (sub->windowTitle() == title)
                return sub;
        return nullptr;
    }
};

// A group window's header and rows, cells joined by "|".
QStringList Cells(QMdiSubWindow* window) {
    const QAbstractItemModel* model = window->findChild<QTableView*>()->model();
    QStringList rows;
    for (int row = -1; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << (row < 0 ? model->headerData(column, Qt::Horizontal) : model->index(row, column).data())
                         .toString();
        rows << cells.join('|');
    }
    return rows;
}

QTreeWidgetItem* FindGroup(QMdiSubWindow* window, const QString& name) {
    const QList<QTreeWidgetItem*> found =
        window->findChild<QTreeWidget*>()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

} // namespace

class tst_ProjectExplorer : public QObject {
    Q_OBJECT

    std::unique_ptr<ProjectFixture::Files> m_files;
    ObjectRef m_keep;
    QString m_project;

    IProjectExplorer* NewExplorer() {
        return TestComponents::Create<IProjectExplorer>(ProjectExplorerProgId, m_keep);
    }

private Q_SLOTS:
    void init() {
        m_files = std::make_unique<ProjectFixture::Files>();
        QVERIFY(TestComponents::RegisterClass("KXProjectExplorer.Explorer", KX4_EXPLORER_PLUGIN));
        m_project = m_files->Make("group,index,Deutsch,English\nAlarme,1,Kessel heiß,Boiler hot\n"
                                  "Alarme,2,Pumpe aus,Pump off\nAlarme\\Kessel,7,Druck,Pressure\n"
                                  "Meldungen,1,Start,\n");
    }
    void cleanup() { m_keep.reset(); }

    // The window has the title the frame finds it by (English for LCID 1033, else German); the
    // tree shows each group's own text count; a double click or the tool button opens a group's
    // texts once; unloading closes the explorer's windows only.
    void browse() {
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio, RegValue::Dword("LCID", 1033));
        Frame frame;
        IProjectExplorer* explorer = NewExplorer();
        QVERIFY(!explorer->ToolButtonClick() && !explorer->LastError().isEmpty()); // nothing loaded
        QVERIFY(explorer->LoadProject(&frame.window, m_project));
        QVERIFY(!explorer->ToolButtonClick()); // nothing selected
        QMdiSubWindow* window = frame.Titled("KestrixStudio Project Explorer");
        QVERIFY(window && window->isVisible());
        QTreeWidgetItem* alarme = FindGroup(window, "Alarme");
        QTreeWidgetItem* kessel = FindGroup(window, "Kessel");
        QTreeWidgetItem* meldungen = FindGroup(window, "Meldungen");
        QVERIFY(alarme && kessel && meldungen && kessel->parent() == alarme);
        QTRY_COMPARE(meldungen->text(1), QStringLiteral("1")); // counted after the first paint
        QCOMPARE(alarme->text(1) + kessel->text(1), QStringLiteral("42"));
        auto* tree = window->findChild<QTreeWidget*>();
        Q_EMIT tree->itemDoubleClicked(alarme, 0);
        Q_EMIT tree->itemDoubleClicked(alarme, 0);
        QCOMPARE(Cells(frame.Titled("Alarme")),
                 (QStringList{"Index|Deutsch|English", "1|Kessel heiß|Boiler hot", "2|Pumpe aus|Pump off"}));
        tree->setCurrentItem(meldungen);
        QVERIFY2(explorer->ToolButtonClick(), qPrintable(explorer->LastError()));
        QCOMPARE(Cells(frame.Titled("Meldungen")), (QStringList{"Index|Deutsch|English", "1|Start|"}));
        auto* own = frame.area->addSubWindow(new QLabel("the frame's own"));
        QCOMPARE(frame.area->subWindowList().size(), 4);
        QVERIFY(explorer->UnloadProject() && explorer->UnloadProject());
        QCOMPARE(frame.area->subWindowList(), QList<QMdiSubWindow*>{own});
    }

    // Loading again replaces the project, one that cannot be read fails naming the file;
    // releasing the explorer closes its window wherever the frame moved it; a frame without an
    // MDI area gets a child window, no frame fails.
    void lifetime() {
        Frame frame;
        auto* pane = new QWidget(&frame.window);
        IProjectExplorer* explorer = NewExplorer();
        QVERIFY(explorer->LoadProject(&frame.window, m_project));
        QVERIFY(explorer->LoadProject(&frame.window, m_files->Make("group,index,Deutsch\nNur,1,eins\n")));
        QCOMPARE(frame.area->subWindowList().size(), 1);
        QPointer<QMdiSubWindow> window = frame.Titled(German);
        QVERIFY(window && FindGroup(window, "Nur") && !FindGroup(window, "Alarme"));
        window->setParent(pane, window->windowFlags());
        m_keep.reset();
        QVERIFY(window.isNull());

        QWidget plain;
        explorer = NewExplorer();
        QVERIFY(explorer->LoadProject(&plain, m_project));
        QVERIFY(plain.findChild<QMdiSubWindow*>() &&
                plain.findChild<QMdiSubWindow*>()->windowTitle() == German);
        QVERIFY(!explorer->LoadProject(nullptr, m_project));
        const QString broken = m_files->Next();
        QVERIFY(TestSupport::WriteFile(broken, "no database"));
        QVERIFY(!explorer->LoadProject(&plain, broken));
        QVERIFY2(explorer->LastError().contains(broken), qPrintable(explorer->LastError()));
    }

    // A large group is read a page at a time as the view scrolls; a page may end inside an index.
    void largeGroupIsReadAPageAtATime() {
        QByteArray csv = "group,index,Deutsch,English,Italiano\n";
        for (int i = 1; i <= 250; ++i) {
            const QByteArray n = QByteArray::number(i);
            csv += "Gross," + n + ",d" + n + ",e" + n + (i == 1 ? QByteArray(",\n") : ",i" + n + "\n");
        }
        Frame frame;
        IProjectExplorer* explorer = NewExplorer();
        QVERIFY(explorer->LoadProject(&frame.window, m_files->Make(csv)));
        Q_EMIT frame.Titled(German)->findChild<QTreeWidget*>()->itemDoubleClicked(
            FindGroup(frame.Titled(German), "Gross"), 0);
        QAbstractItemModel* model = frame.Titled("Gross")->findChild<QTableView*>()->model();
        QVERIFY(model->rowCount() < 250);
        while (model->canFetchMore({}))
            model->fetchMore({});
        QCOMPARE(model->rowCount(), 250);
        const QStringList cells = Cells(frame.Titled("Gross"));
        for (int row : {1, 100, 101, 102, 250})
            QCOMPARE(
                cells.at(row),
                QString("%1|d%1|e%1|%2").arg(row).arg(row == 1 ? QString() : "i" + QString::number(row)));
    }
};

QTEST_MAIN(tst_ProjectExplorer)
#include "tst_ProjectExplorer.moc"
