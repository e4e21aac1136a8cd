#include "SeededPrefix.h"

#include "projects/FProjectOpen.h"
#include "studio/Failure.h"
#include "texts/MResources.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

class tst_FProjectOpen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void controls();
    void silent_data();
    void silent();
    void preselectedRow_data();
    void preselectedRow();
    void noMatchEnterBeforeAndAfterClick();
    void clickOnEmptyAreaClearsSelection();
    void doubleClick_data();
    void doubleClick();
    void closeBoxReturnsNothing();
    void emptyList();
    void captions_data();
    void captions();
    void lastColumnFillsTheList();
    void helpButtonCallsHandler();
    void failureUnloadsTheList();
    void earlierChoiceDoesNotLeakIntoNextCall();
    void oneInstance();

private:
    // Runs steps once the dialog is up, inside its modal loop. Steps must end the dialog; if
    // they fail or leave it open, it is cancelled so that the test cannot hang.
    void WhenShown(FProjectOpen& dialog, std::function<void()> steps);
    static QTreeWidget* List(FProjectOpen& dialog) {
        return dialog.findChild<QTreeWidget*>("lvwRegisteredProjects");
    }
    static QPushButton* Button(FProjectOpen& dialog, const char* name) {
        return dialog.findChild<QPushButton*>(name);
    }
    static void ClickRow(FProjectOpen& dialog, int row, bool twice = false);
    static void ClickEmptyArea(FProjectOpen& dialog, bool twice = false);
    static void Key(FProjectOpen& dialog, Qt::Key key) { QTest::keyClick(List(dialog), key); }

    std::unique_ptr<SeededPrefix> m_prefix;
    bool m_leftOpen = false;
};

void tst_FProjectOpen::init() {
    m_prefix = std::make_unique<SeededPrefix>();
    QVERIFY(m_prefix->IsValid());
    m_prefix->RegisterPresent("Alpha", "Single");
    m_prefix->RegisterPresent("beta", "Server");
    m_prefix->Register("Grp", "Group", m_prefix->ProjectsFolder(), "vbg");
    m_prefix->RegisterPresent("KX", "KestrixX");
    m_prefix->RegisterPresent("Zeta", "Terminal Client");
    // Unreadable registrations among the good ones: passed over, named in the status line.
    m_prefix->Register("Broken", "Single", QString(), "");
    m_prefix->SetBinary("Broken", "Path");
    m_prefix->RegisterPresent("Broken2", "Single");
    m_prefix->SetBinary("Broken2", "ProjectType");
    MResources::ResetForTesting();
    MResources::InitLanguage();
    m_leftOpen = false;
}

void tst_FProjectOpen::cleanup() {
    QVERIFY(!m_leftOpen);
    for (QWidget* widget : QApplication::topLevelWidgets())
        QVERIFY2(!widget->isVisible(), qPrintable(widget->objectName() + " left visible"));
    FProjectOpen::SetHelpHandler({});
    MResources::ResetForTesting();
    m_prefix.reset();
}

void tst_FProjectOpen::WhenShown(FProjectOpen& dialog, std::function<void()> steps) {
    QTimer::singleShot(0, &dialog, [this, &dialog, steps] {
        if (dialog.isVisible())
            steps();
        if (dialog.isVisible()) {
            m_leftOpen = true;
            dialog.done(QDialog::Rejected);
        }
    });
}

void tst_FProjectOpen::ClickRow(FProjectOpen& dialog, int row, bool twice) {
    QTreeWidget* list = List(dialog);
    const QPoint at = list->visualItemRect(list->topLevelItem(row)).center();
    // A user's double click: press and release, then the double-click event and release.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void tst_FProjectOpen::ClickEmptyArea(FProjectOpen& dialog, bool twice) {
    QTreeWidget* list = List(dialog);
    const QPoint at(10, list->viewport()->height() - 3);
    QVERIFY(!list->itemAt(at));
    // A user's double click: press and release, then the double-click event and release.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void tst_FProjectOpen::controls() {
    FProjectOpen dialog;
    QVERIFY(!dialog.parent());
    QVERIFY(dialog.findChild<QGroupBox*>("fra"));
    QCOMPARE(dialog.findChild<QLabel*>("lbl")->parent(), dialog.findChild<QGroupBox*>("fra"));
    QCOMPARE(List(dialog)->parent(), dialog.findChild<QGroupBox*>("fra"));
    QCOMPARE(List(dialog)->columnCount(), 3);
    QVERIFY(Button(dialog, "cmdOpen")->isDefault());
    QVERIFY(!Button(dialog, "cmdOpen")->isEnabled());
    QVERIFY(Button(dialog, "cmdCancel")->isEnabled());
    QVERIFY(Button(dialog, "cmdHelp")->isEnabled());
    QVERIFY(!dialog.Chosen());
}

void tst_FProjectOpen::silent_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("listed project") << "Alpha"
                                    << "Alpha";
    QTest::newRow("listed terminal client") << "Zeta"
                                            << "Zeta";
    QTest::newRow("empty name") << ""
                                << "";
    QTest::newRow("not registered") << "Nope"
                                    << "";
    QTest::newRow("other letter case does not match") << "alpha"
                                                      << "";
    QTest::newRow("group is not listed") << "Grp"
                                         << "";
    QTest::newRow("KestrixX is not listed") << "KX"
                                            << "";
}

void tst_FProjectOpen::silent() {
    QFETCH(QString, name);
    QFETCH(QString, expected);
    FProjectOpen dialog;
    QCOMPARE(dialog.ShowDialog(name, true), expected);
    QCOMPARE(dialog.Chosen(), !expected.isEmpty());
    QVERIFY(!dialog.isVisible());
    QCOMPARE(List(dialog)->topLevelItemCount(), 0); // unloaded
    QVERIFY(dialog.windowTitle().isEmpty());        // captions are set only when shown
}

void tst_FProjectOpen::preselectedRow_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Enter opens the pre-selected row") << int(Qt::Key_Return) << "beta";
    QTest::newRow("keypad Enter opens it too") << int(Qt::Key_Enter) << "beta";
    QTest::newRow("Escape returns nothing") << int(Qt::Key_Escape) << "";
}

void tst_FProjectOpen::preselectedRow() {
    QFETCH(int, key);
    QFETCH(QString, expected);
    FProjectOpen dialog;
    WhenShown(dialog, [&] {
        QTreeWidget* list = List(dialog);
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->selectedItems().size(), 1);
        QCOMPARE(list->selectedItems().first()->text(0), "beta");
        QVERIFY(Button(dialog, "cmdOpen")->isEnabled());
        Key(dialog, Qt::Key(key));
    });
    QCOMPARE(dialog.ShowDialog("beta", false), expected);
}

void tst_FProjectOpen::noMatchEnterBeforeAndAfterClick() {
    FProjectOpen dialog;
    WhenShown(dialog, [&] {
        QVERIFY(List(dialog)->selectedItems().isEmpty());
        QVERIFY(!Button(dialog, "cmdOpen")->isEnabled());
        Key(dialog, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        ClickRow(dialog, 2);
        QVERIFY(Button(dialog, "cmdOpen")->isEnabled());
        Key(dialog, Qt::Key_Return);
    });
    QCOMPARE(dialog.ShowDialog("Nobody", false), QString("Zeta"));
}

void tst_FProjectOpen::clickOnEmptyAreaClearsSelection() {
    FProjectOpen dialog;
    WhenShown(dialog, [&] {
        ClickRow(dialog, 0);
        QCOMPARE(List(dialog)->selectedItems().size(), 1);
        ClickEmptyArea(dialog);
        QVERIFY(List(dialog)->selectedItems().isEmpty());
        QVERIFY(!Button(dialog, "cmdOpen")->isEnabled());
        Key(dialog, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        Key(dialog, Qt::Key_Escape);
    });
    QCOMPARE(dialog.ShowDialog("Alpha", false), QString());
}

void tst_FProjectOpen::doubleClick_data() {
    QTest::addColumn<bool>("onRow");
    QTest::addColumn<QString>("expected");
    QTest::newRow("on a row opens it") << true << "beta";
    QTest::newRow("on the empty area does nothing") << false << "";
}

void tst_FProjectOpen::doubleClick() {
    QFETCH(bool, onRow);
    QFETCH(QString, expected);
    FProjectOpen dialog;
    WhenShown(dialog, [&] {
        if (onRow) {
            ClickRow(dialog, 1, true);
            return;
        }
        ClickEmptyArea(dialog, true);
        QVERIFY(dialog.isVisible());
        QVERIFY(List(dialog)->selectedItems().isEmpty());
        QTest::mouseClick(Button(dialog, "cmdCancel"), Qt::LeftButton);
    });
    QCOMPARE(dialog.ShowDialog("Alpha", false), expected);
}

void tst_FProjectOpen::closeBoxReturnsNothing() {
    FProjectOpen dialog;
    WhenShown(dialog, [&] {
        QVERIFY(Button(dialog, "cmdOpen")->isEnabled());
        dialog.close();
    });
    QCOMPARE(dialog.ShowDialog("Alpha", false), QString());
    QVERIFY(!dialog.Chosen());
}

void tst_FProjectOpen::emptyList() {
    m_prefix.reset();
    m_prefix = std::make_unique<SeededPrefix>();
    m_prefix->Register("OnlyAGroup", "Group", m_prefix->ProjectsFolder(), "vbg");
    FProjectOpen dialog;
    WhenShown(dialog, [&] {
        QCOMPARE(List(dialog)->topLevelItemCount(), 0);
        QVERIFY(!Button(dialog, "cmdOpen")->isEnabled());
        Key(dialog, Qt::Key_Return);
        ClickEmptyArea(dialog, true);
        QVERIFY(dialog.isVisible());
        QTest::mouseClick(Button(dialog, "cmdCancel"), Qt::LeftButton);
    });
    QCOMPARE(dialog.ShowDialog("OnlyAGroup", false), QString());
}

void tst_FProjectOpen::captions_data() {
    QTest::addColumn<quint32>("lcid");
    QTest::addColumn<QStringList>("captions"); // the last: the status line
    QTest::newRow("German")
        << 1031u
        << QStringList{"KestrixStudio ToolBox - Projekt öffnen",
                       "Registrierte Projekte",
                       "Name",
                       "Verzeichnis",
                       "Typ",
                       "OK",
                       "Abbrechen",
                       "&Hilfe",
                       "Die Registrierung \"Broken\" ist nicht lesbar und fehlt in der Liste: value \"Path\" "
                       "holds binary data, not text (1 weitere sind nicht lesbar)"};
    QTest::newRow("English")
        << 1033u
        << QStringList{"KestrixStudio ToolBox - Open Project",
                       "Registered Projects",
                       "Name",
                       "Directory",
                       "Type",
                       "OK",
                       "Cancel",
                       "&Help",
                       "The registration \"Broken\" cannot be read and is not listed: value \"Path\" holds "
                       "binary data, not text (1 more cannot be read)"};
}

void tst_FProjectOpen::captions() {
    QFETCH(quint32, lcid);
    QFETCH(QStringList, captions);
    m_prefix->SetLcid(lcid);
    MResources::ResetForTesting();
    MResources::InitLanguage();

    FProjectOpen dialog;
    QStringList shown;
    int buttonWidth = 0;
    WhenShown(dialog, [&] {
        QVERIFY(dialog.findChild<QLabel*>("lblStatus")->isVisible());
        const QTreeWidgetItem* header = List(dialog)->headerItem();
        shown << dialog.windowTitle() << dialog.findChild<QLabel*>("lbl")->text() << header->text(0)
              << header->text(1) << header->text(2);
        for (const char* name : {"cmdOpen", "cmdCancel", "cmdHelp"}) {
            shown << Button(dialog, name)->text();
            if (buttonWidth == 0)
                buttonWidth = Button(dialog, name)->width();
            QCOMPARE(Button(dialog, name)->width(), buttonWidth);
        }
        shown << dialog.findChild<QLabel*>("lblStatus")->text();
        // Left to right below the frame.
        QVERIFY(Button(dialog, "cmdOpen")->x() < Button(dialog, "cmdCancel")->x());
        QVERIFY(Button(dialog, "cmdCancel")->x() < Button(dialog, "cmdHelp")->x());
        QVERIFY(Button(dialog, "cmdOpen")->y() > dialog.findChild<QGroupBox*>("fra")->geometry().bottom());
        Key(dialog, Qt::Key_Escape);
    });
    dialog.ShowDialog();
    QCOMPARE(shown, captions);
}

void tst_FProjectOpen::lastColumnFillsTheList() {
    FProjectOpen dialog;
    int sections = 0;
    int width = 0;
    WhenShown(dialog, [&] {
        const QHeaderView* header = List(dialog)->header();
        sections = header->sectionSize(0) + header->sectionSize(1) + header->sectionSize(2);
        width = List(dialog)->viewport()->width();
        Key(dialog, Qt::Key_Escape);
    });
    dialog.ShowDialog();
    QVERIFY(width > 300);
    QCOMPARE(sections, width);
}

void tst_FProjectOpen::helpButtonCallsHandler() {
    int calls = 0;
    FProjectOpen::SetHelpHandler([&calls] { ++calls; });
    FProjectOpen dialog;
    WhenShown(dialog, [&] {
        QTest::mouseClick(Button(dialog, "cmdHelp"), Qt::LeftButton);
        QCOMPARE(calls, 1);
        QVERIFY(dialog.isVisible());
        QVERIFY(Button(dialog, "cmdOpen")->isEnabled());
        Key(dialog, Qt::Key_Return);
    });
    QCOMPARE(dialog.ShowDialog("Alpha", false), QString("Alpha"));
    QCOMPARE(calls, 1);
}

void tst_FProjectOpen::failureUnloadsTheList() {
    m_prefix->Register("Stale", "Single", m_prefix->ProjectsFolder(), "");
    QVERIFY(SeededPrefix::SetMachineHiveWritable(false));
    FProjectOpen dialog;
    try {
        dialog.ShowDialog("Alpha", false);
        QFAIL("no failure");
    } catch (const Failure& failure) {
        QCOMPARE(failure.Number(), int(Failure::InvalidCall));
        QVERIFY2(failure.Description().contains("Stale"), qPrintable(failure.Description()));
    }
    QVERIFY(!dialog.isVisible());
    QCOMPARE(List(dialog)->topLevelItemCount(), 0);
    QVERIFY(!Button(dialog, "cmdOpen")->isEnabled());

    QVERIFY(SeededPrefix::SetMachineHiveWritable(true));
    int rows = -1;
    WhenShown(dialog, [&] {
        rows = List(dialog)->topLevelItemCount();
        Key(dialog, Qt::Key_Return);
    });
    QCOMPARE(dialog.ShowDialog("Alpha", false), QString("Alpha"));
    QCOMPARE(rows, 3);
    QVERIFY(!SeededPrefix::Registrations().contains("Stale"));
}

void tst_FProjectOpen::earlierChoiceDoesNotLeakIntoNextCall() {
    FProjectOpen dialog;
    WhenShown(dialog, [&] { Key(dialog, Qt::Key_Return); });
    QCOMPARE(dialog.ShowDialog("Alpha", false), QString("Alpha"));
    QVERIFY(dialog.Chosen());
    QCOMPARE(dialog.ShowDialog("Nope", true), QString());
    QVERIFY(!dialog.Chosen());
}

void tst_FProjectOpen::oneInstance() {
    FProjectOpen& first = FProjectOpen::Instance();
    QCOMPARE(&FProjectOpen::Instance(), &first);
    QCOMPARE(first.ShowDialog("Zeta", true), QString("Zeta"));
}

QTEST_MAIN(tst_FProjectOpen)
#include "tst_FProjectOpen.moc"
