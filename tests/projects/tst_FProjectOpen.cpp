#include "SeededPrefix.h"

#include "projects/FProjectOpen.h"
#include "studio/Failure.h"
#include "texts/MResources.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

// The dialog over three listed projects (Alpha, beta, Zeta), a group, a KestrixX project and two
// registrations that cannot be read, answered as a user would.
class tst_FProjectOpen : public QObject {
    Q_OBJECT

    std::unique_ptr<SeededPrefix> m_prefix;
    bool m_leftOpen = false;

    // Runs steps once the dialog is up, inside its modal loop. Steps must end the dialog; if
    // they fail or leave it open, it is cancelled so that the test cannot hang.
    void WhenShown(FProjectOpen& dialog, std::function<void()> steps) {
        QTimer::singleShot(0, &dialog, [this, &dialog, steps] {
            if (dialog.isVisible())
                steps();
            if (dialog.isVisible()) {
                m_leftOpen = true;
                dialog.done(QDialog::Rejected);
            }
        });
    }
    // A user's step: "Enter", "Escape", "click N" or "double N" on row N, "empty" (a click below
    // the rows), "help" or "close" (the close box).
    static void Do(FProjectOpen& dialog, const QString& step) {
        auto* list = dialog.findChild<QTreeWidget*>("lvwRegisteredProjects");
        const QPoint at = list->visualItemRect(list->topLevelItem(step.section(' ', 1).toInt())).center();
        if (step == "empty")
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              QPoint(5, list->viewport()->height() - 2));
        else if (step == "help" || step == "close")
            step == "help" ? dialog.findChild<QPushButton*>("cmdHelp")->click() : void(dialog.close());
        else if (step == "Enter" || step == "Escape")
            QTest::keyClick(list, step == "Enter" ? Qt::Key_Return : Qt::Key_Escape);
        else
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        if (step.startsWith("double"))
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

private Q_SLOTS:
    void init() {
        m_prefix = std::make_unique<SeededPrefix>();
        m_prefix->RegisterPresent("Alpha", "Single");
        m_prefix->RegisterPresent("beta", "Server");
        m_prefix->Register("Grp", "Group", m_prefix->ProjectsFolder(), "vbg");
        m_prefix->RegisterPresent("KX", "KestrixX");
        m_prefix->RegisterPresent("Zeta", "Terminal Client");
        m_prefix->Register("Broken", "Single", QString(), "");
        m_prefix->SetBinary("Broken", "Path");
        m_prefix->RegisterPresent("Broken2", "Single");
        m_prefix->SetBinary("Broken2", "ProjectType");
        MResources::ResetForTesting();
        MResources::InitLanguage();
        m_leftOpen = false;
    }
    void cleanup() {
        QVERIFY(!m_leftOpen);
        for (QWidget* widget : QApplication::topLevelWidgets())
            QVERIFY2(!widget->isVisible(), qPrintable(widget->objectName() + " left visible"));
        m_prefix.reset();
    }

    // The dialog comes up with the named project selected (Open enabled) or none (disabled);
    // what the user's steps return. Steps that must not end the dialog are followed by others.
    void answers_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("double click on a row opens it")       << "beta"   << "double 2"              << "Zeta";
        QTest::newRow("no match: Enter first does nothing")   << "Nobody" << "Enter,click 2,Enter"   << "Zeta";
        QTest::newRow("click below the rows: Enter does nothing") << "beta" << "empty,Enter,Escape" << "";
        QTest::newRow("close box leaves without the selected row") << "beta" << "close"          << "";
        QTest::newRow("Help calls the help handler only")     << "beta"   << "help,Enter"            << "beta";
        // clang-format on
    }
    void answers() {
        QFETCH(QString, name);
        QFETCH(QString, steps);
        QFETCH(QString, expected);
        QStringList shown; // selected row, Open enabled, status line
        int helped = 0;
        FProjectOpen::SetHelpHandler([&helped] { ++helped; });
        FProjectOpen dialog;
        WhenShown(dialog, [&] {
            const QList<QTreeWidgetItem*> selected =
                dialog.findChild<QTreeWidget*>("lvwRegisteredProjects")->selectedItems();
            shown << (selected.isEmpty() ? "" : selected.first()->text(0))
                  << (dialog.findChild<QPushButton*>("cmdOpen")->isEnabled() ? "enabled" : "disabled")
                  << dialog.findChild<QLabel*>("lblStatus")->text();
            for (const QString& step : steps.split(',')) {
                QVERIFY2(dialog.isVisible(), qPrintable("closed before " + step));
                Do(dialog, step);
            }
        });
        QCOMPARE(dialog.ShowDialog(name, false), expected);
        QCOMPARE(dialog.Chosen(), !expected.isEmpty());
        FProjectOpen::SetHelpHandler({});
        QCOMPARE(helped, int(steps.contains("help")));
        const QString preselected = name == "Nobody" ? "" : name;
        QCOMPARE(FProjectOpen().ShowDialog(name, true), preselected); // silently: registered names only
        QCOMPARE(shown.mid(0, 2), (QStringList{preselected, preselected.isEmpty() ? "disabled" : "enabled"}));
        // The first unreadable registration named, the others counted.
        const QString status = shown.value(2);
        QVERIFY2(status.contains("\"Broken\"") && status.contains("\"Path\"") && status.contains("(1 "),
                 qPrintable(status));
    }

    // A stale registration that cannot be deleted: a failure naming it, the list unloaded, the
    // registry as it was; the next showing works again and deletes it.
    void failureUnloadsTheList() {
        m_prefix->Register("Stale", "Single", m_prefix->ProjectsFolder(), "");
        const QString hive = RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE);
        QVERIFY(QFile::setPermissions(hive, QFile::ReadOwner));
        FProjectOpen dialog;
        const auto failure = TestSupport::FailureOf([&] { dialog.ShowDialog("Alpha", false); });
        QVERIFY2(failure && failure->Number() == Failure::InvalidCall &&
                     failure->Description().contains("Stale"),
                 failure ? qPrintable(failure->Text()) : "no failure");
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.findChild<QTreeWidget*>("lvwRegisteredProjects")->topLevelItemCount(), 0);
        QVERIFY(!dialog.findChild<QPushButton*>("cmdOpen")->isEnabled());
        QVERIFY(SeededPrefix::Registrations().contains("Stale"));

        QVERIFY(QFile::setPermissions(hive, QFile::ReadOwner | QFile::WriteOwner));
        WhenShown(dialog, [&] { Do(dialog, "Enter"); });
        QCOMPARE(dialog.ShowDialog("Alpha", false), QString("Alpha"));
        QVERIFY(!SeededPrefix::Registrations().contains("Stale"));
    }
};

QTEST_MAIN(tst_FProjectOpen)
#include "tst_FProjectOpen.moc"
