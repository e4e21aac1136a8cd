#include "ProjectFixture.h"

#include "platform/core/ObjectFactory.h"
#include "platform/registry/Registry.h"
#include "studio/IProjectExplorer.h"

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

const QByteArray DemoCsv = "group,index,Deutsch,English\n"
                           "Alarme,1,Kessel heiß,Boiler hot\n"
                           "Alarme,2,Pumpe aus,Pump off\n"
                           "Alarme\\Kessel,7,Druck,Pressure\n"
                           "Meldungen,1,Start,\n";

const QString English = QStringLiteral("KestrixStudio Project Explorer");
const QString German = QStringLiteral("KestrixStudio Projekt-Explorer");

struct Frame {
    QMainWindow window;
    QMdiArea* area = new QMdiArea;
    Frame() {
        window.setCentralWidget(area);
        window.resize(900, 600);
        window.show();
    }
    QMdiSubWindow* Titled(const QString& title) const {
        for (QMdiSubWindow* sub : area->subWindowList())
            if (sub->windowTitle() == title)
                return sub;
        return nullptr;
    }
};

// A group window's table: the header, then each row, cells joined by "|".
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

QTreeWidgetItem* FindGroup(QTreeWidget* tree, const QString& name) {
    const QList<QTreeWidgetItem*> found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

} // namespace

class tst_ProjectExplorer : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_prefix;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_project;

    IProjectExplorer* NewExplorer(ObjectRef* keep) {
        QString why;
        *keep = ObjectFactory::Create(ProjectExplorerProgId, &why);
        IProjectExplorer* explorer = ObjectFactory::Query<IProjectExplorer>(*keep);
        if (!explorer)
            qWarning() << "cannot create the explorer:" << why;
        return explorer;
    }

    void SetLcid(const QVariant& lcid) {
        const QString key = QStringLiteral("Software\\HALVERN GmbH\\Kestrix\\4.0");
        if (lcid.typeId() == QMetaType::QString)
            RegistryStore::SetValue(HKEY_LOCAL_MACHINE, key, RegValue::String("LCID", lcid.toString()));
        else if (lcid.isValid())
            RegistryStore::SetValue(HKEY_LOCAL_MACHINE, key, RegValue::Dword("LCID", lcid.toUInt()));
    }

private Q_SLOTS:
    void init() {
        m_prefix = std::make_unique<QTemporaryDir>();
        m_dir = std::make_unique<QTemporaryDir>();
        ProjectFixture::UsePrefix(*m_prefix);
        QCOMPARE(RegistryStore::SetValue(HKEY_CLASSES_ROOT, "KXProjectExplorer.Explorer\\InprocServer32",
                                         RegValue::String("", KX4_EXPLORER_PLUGIN)),
                 long(ERROR_SUCCESS));
        m_project = ProjectFixture::Make(*m_dir, "Demo.kxs", DemoCsv);
    }

    void titleFollowsTheStudioLanguage_data() {
        QTest::addColumn<QVariant>("lcid");
        QTest::addColumn<QString>("title");
        // clang-format off
        QTest::newRow("1033 is English") << QVariant(1033) << English;
        QTest::newRow("no LCID is German") << QVariant() << German;
        QTest::newRow("2057 is German") << QVariant(2057) << German;
        QTest::newRow("1033.4 as a string is English") << QVariant(QStringLiteral("1033.4")) << English;
        QTest::newRow("&H409 as a string is English") << QVariant(QStringLiteral("&H409")) << English;
        // clang-format on
    }
    void titleFollowsTheStudioLanguage() {
        QFETCH(QVariant, lcid);
        QFETCH(QString, title);
        SetLcid(lcid);
        Frame frame;
        ObjectRef keep;
        IProjectExplorer* explorer = NewExplorer(&keep);
        QVERIFY(explorer);
        QVERIFY2(explorer->LoadProject(&frame.window, m_project), qPrintable(explorer->LastError()));
        QVERIFY(frame.Titled(title) && frame.Titled(title)->isVisible());
        QCOMPARE(frame.area->subWindowList().size(), 1);
    }

    // The tree with each group's own text count and the project's labels; a double click or the
    // tool button opens a group's texts once; unloading closes the explorer's windows only.
    void browse() {
        SetLcid(1033);
        Frame frame;
        ObjectRef keep;
        IProjectExplorer* explorer = NewExplorer(&keep);
        QVERIFY(!explorer->ToolButtonClick()); // nothing loaded
        QVERIFY(!explorer->LastError().isEmpty());
        QVERIFY(explorer->LoadProject(&frame.window, m_project));
        QVERIFY(!explorer->ToolButtonClick()); // nothing selected
        QMdiSubWindow* window = frame.Titled(English);
        auto* tree = window->findChild<QTreeWidget*>();
        QTreeWidgetItem* alarme = FindGroup(tree, "Alarme");
        QTreeWidgetItem* kessel = FindGroup(tree, "Kessel");
        QTreeWidgetItem* meldungen = FindGroup(tree, "Meldungen");
        QVERIFY(alarme && kessel && meldungen && tree->topLevelItemCount() == 2 &&
                kessel->parent() == alarme);
        QTRY_COMPARE(meldungen->text(1), QStringLiteral("1")); // counted after the first paint
        QCOMPARE(alarme->text(1), QStringLiteral("4"));
        QCOMPARE(kessel->text(1), QStringLiteral("2"));
        QStringList labels;
        for (QLabel* label : window->findChildren<QLabel*>())
            labels << label->text();
        QVERIFY(labels.contains("Demo") && labels.contains(m_project) && labels.contains("Deutsch, English"));

        Q_EMIT tree->itemDoubleClicked(alarme, 0);
        QCOMPARE(Cells(frame.Titled("Alarme")),
                 (QStringList{"Index|Deutsch|English", "1|Kessel heiß|Boiler hot", "2|Pumpe aus|Pump off"}));
        Q_EMIT tree->itemDoubleClicked(alarme, 0);
        Q_EMIT tree->itemDoubleClicked(kessel, 0);
        QVERIFY(frame.Titled("Alarme\\Kessel"));
        tree->setCurrentItem(meldungen);
        QVERIFY2(explorer->ToolButtonClick(), qPrintable(explorer->LastError()));
        QCOMPARE(Cells(frame.Titled("Meldungen")), (QStringList{"Index|Deutsch|English", "1|Start|"}));
        auto* own = frame.area->addSubWindow(new QLabel("the frame's own"));
        QCOMPARE(frame.area->subWindowList().size(), 5);
        QVERIFY(explorer->UnloadProject());
        QCOMPARE(frame.area->subWindowList(), QList<QMdiSubWindow*>{own});
        QVERIFY(explorer->UnloadProject()); // a second time does no harm
    }

    // Loading again replaces the project; releasing the explorer closes its window wherever the
    // frame moved it; a frame without an MDI area gets a child window, no frame fails.
    void lifetime() {
        Frame frame;
        auto* pane = new QWidget(&frame.window);
        ObjectRef keep;
        IProjectExplorer* explorer = NewExplorer(&keep);
        QVERIFY(explorer->LoadProject(&frame.window, m_project));
        QVERIFY(explorer->LoadProject(
            &frame.window, ProjectFixture::Make(*m_dir, "Other.kxs", "group,index,Deutsch\nNur,1,eins\n")));
        QCOMPARE(frame.area->subWindowList().size(), 1);
        QPointer<QMdiSubWindow> window = frame.Titled(German);
        QVERIFY(FindGroup(window->findChild<QTreeWidget*>(), "Nur") &&
                !FindGroup(window->findChild<QTreeWidget*>(), "Alarme"));
        window->setParent(pane, window->windowFlags());
        keep.reset();
        QVERIFY(window.isNull());

        QWidget plain;
        explorer = NewExplorer(&keep);
        QVERIFY(explorer->LoadProject(&plain, m_project));
        QVERIFY(plain.findChild<QMdiSubWindow*>() &&
                plain.findChild<QMdiSubWindow*>()->windowTitle() == German);
        QVERIFY(!explorer->LoadProject(nullptr, m_project));
    }

    void unreadableProjectsFailNamingTheFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("exists");
        // clang-format off
        QTest::newRow("missing file") << QByteArray() << false;
        QTest::newRow("not a database") << QByteArray("just some text, no database") << true;
        // clang-format on
    }
    void unreadableProjectsFailNamingTheFile() {
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        const QString path = m_dir->filePath("Broken.kxs");
        QFile file(path);
        QVERIFY(!exists || (file.open(QIODevice::WriteOnly) && file.write(content) == content.size()));
        file.close();
        Frame frame;
        ObjectRef keep;
        IProjectExplorer* explorer = NewExplorer(&keep);
        QVERIFY(!explorer->LoadProject(&frame.window, path));
        QVERIFY2(explorer->LastError().contains(path), qPrintable(explorer->LastError()));
        QVERIFY(frame.area->subWindowList().isEmpty());
    }

    // A large group is read a page at a time as the view scrolls; a page may end inside an index.
    void largeGroupIsReadAPageAtATime() {
        QByteArray csv = "group,index,Deutsch,English,Italiano\n";
        for (int i = 1; i <= 250; ++i)
            csv += "Gross," + QByteArray::number(i) + ",d" + QByteArray::number(i) + ",e" +
                   QByteArray::number(i) + (i == 1 ? QByteArray(",\n") : ",i" + QByteArray::number(i) + "\n");
        Frame frame;
        ObjectRef keep;
        IProjectExplorer* explorer = NewExplorer(&keep);
        QVERIFY(explorer->LoadProject(&frame.window, ProjectFixture::Make(*m_dir, "Big.kxs", csv)));
        auto* tree = frame.Titled(German)->findChild<QTreeWidget*>();
        Q_EMIT tree->itemDoubleClicked(FindGroup(tree, "Gross"), 0);
        QAbstractItemModel* model = frame.Titled("Gross")->findChild<QTableView*>()->model();
        QVERIFY(model->rowCount() < 250);
        while (model->canFetchMore({}))
            model->fetchMore({});
        QCOMPARE(model->rowCount(), 250);
        for (int row : {0, 99, 100, 101, 249}) {
            const QString i = QString::number(row + 1);
            QCOMPARE(model->index(row, 0).data().toString(), i);
            QCOMPARE(model->index(row, 2).data().toString(), "e" + i);
            QCOMPARE(model->index(row, 3).data().toString(), row == 0 ? QString() : "i" + i);
        }
    }
};

QTEST_MAIN(tst_ProjectExplorer)
#include "tst_ProjectExplorer.moc"
