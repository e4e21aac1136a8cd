#include "platform/help/ChmFile.h"
#include "platform/help/HelpBrowser.h"
#include "platform/help/HelpFindBar.h"
#include "platform/help/HelpIndexPane.h"
#include "platform/help/HelpSearchPane.h"
#include "platform/help/HelpWindow.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

// The help window's tabs, find bar, keys and printing over the fixture: it opens at /sub/topic.htm;
// its index lists "Kopieren" with two topics; /sub/kopieren.htm names "kopieren" four times.
class tst_HelpWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void index_data();
    void index();
    void search();
    void findInPage();
    void keys();
    void printToPdf();

private:
    HelpWindow* Open();
    QPointer<HelpWindow> m_window;
};

namespace {

// Answers the topic chooser when it comes up: notes what it offers and picks row (or cancels
// for -1).
void AnswerChooser(QWidget* owner, int row, QStringList* offered) {
    QTimer::singleShot(0, owner, [owner, row, offered] {
        auto* chooser = owner->findChild<QDialog*>(QStringLiteral("topicChooser"));
        QVERIFY(chooser && chooser->isVisible());
        auto* topics = chooser->findChild<QListWidget*>(QStringLiteral("topics"));
        for (int i = 0; i < topics->count(); ++i)
            offered->append(topics->item(i)->text());
        if (row < 0) {
            chooser->reject();
            return;
        }
        topics->setCurrentRow(row);
        chooser->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
}

QStringList Results(const HelpSearchPane* pane) {
    QStringList rows;
    for (int i = 0; i < pane->Results()->topLevelItemCount(); ++i)
        rows.append(pane->Results()->topLevelItem(i)->text(0) + " " +
                    pane->Results()->topLevelItem(i)->text(1));
    return rows;
}

} // namespace

void tst_HelpWindow::initTestCase() { QLocale::setDefault(QLocale(QLocale::English)); }

HelpWindow* tst_HelpWindow::Open() {
    std::unique_ptr<ChmFile> file = ChmFile::Open(QStringLiteral(KX4_HELP_FIXTURE));
    if (!file)
        return nullptr;
    m_window = new HelpWindow(std::move(file), 1);
    m_window->ShowContext(1234);
    m_window->show();
    QApplication::setActiveWindow(m_window);
    return QTest::qWaitForWindowActive(m_window) ? m_window.data() : nullptr;
}

void tst_HelpWindow::cleanup() {
    if (m_window)
        m_window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_window);
}

void tst_HelpWindow::index_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("choice");
    QTest::addColumn<QStringList>("offered");
    QTest::addColumn<QString>("topic");
    // clang-format off
    QTest::newRow("one topic: Enter in the filter opens the best match") << "anf" << QStringList{"Anfang"} << "enter" << -1 << QStringList{} << "/start.htm";
    QTest::newRow("several topics: the choice is offered") << "kop" << QStringList{"Kopieren"} << "enter" << 1 << QStringList{"Gruppen kopieren", "Thema 1234"} << "/sub/topic.htm";
    QTest::newRow("several topics: cancelling the choice keeps the page") << "kop" << QStringList{"Kopieren"} << "enter" << -1 << QStringList{"Gruppen kopieren", "Thema 1234"} << "/sub/topic.htm";
    QTest::newRow("narrowed, beginning first; Down and a double click") << "THE" << QStringList{"Thema", "Mathematik"} << "down, double click" << -1 << QStringList{} << "/sub/other.htm#teil2";
    QTest::newRow("see also shows the keyword it names") << "verv" << QStringList{"Kopieren"} << "enter" << -1 << QStringList{} << "/sub/topic.htm";
    // clang-format on
}

void tst_HelpWindow::index() {
    QFETCH(QString, filter);
    QFETCH(QStringList, listed);
    QFETCH(QString, how);
    QFETCH(int, choice);
    QFETCH(QStringList, offered);
    QFETCH(QString, topic);
    HelpWindow* window = Open();
    QVERIFY(window);
    HelpIndexPane* index = window->IndexPane();
    window->Tabs()->setCurrentWidget(index);
    QTest::keyClicks(index->FilterField(), filter);
    QStringList chooserOffered;
    if (!offered.isEmpty())
        AnswerChooser(index, choice, &chooserOffered);
    if (how == QLatin1String("enter")) {
        QTest::keyClick(index->FilterField(), Qt::Key_Return);
    } else {
        QTest::keyClick(index->FilterField(), Qt::Key_Down);
        QListWidget* list = index->KeywordList();
        const QPoint row = list->visualItemRect(list->currentItem()).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
    }
    // A "See Also" keyword refers to another: the list now shows that one.
    QCOMPARE(index->Listed(), listed);
    QCOMPARE(chooserOffered, offered);
    QCOMPARE(window->CurrentTopic(), topic);
}

// Built on first use; ranked by hits; the topic opens with its words marked, and the marks stay
// behind when the reader goes on.
void tst_HelpWindow::search() {
    HelpWindow* window = Open();
    QVERIFY(window);
    HelpSearchPane* search = window->SearchPane();
    QVERIFY(!search->IndexReady());
    QSignalSpy built(search, &HelpSearchPane::IndexBuilt);
    window->Tabs()->setCurrentWidget(search);
    for (const QString& query : {QStringLiteral("kopieren nirgendwo"), QStringLiteral("kopieren")}) {
        search->QueryField()->setText(query);
        QTest::keyClick(search->QueryField(), Qt::Key_Return);
        QVERIFY(search->IndexReady() || built.wait(5000));
    }
    QCOMPARE(Results(search), (QStringList{"Gruppen kopieren 4", "Thema 1"}));
    QCOMPARE(search->Status()->text(), QStringLiteral("2 topics found"));
    search->Results()->setFocus();
    QTest::keyClick(search->Results(), Qt::Key_Return);
    QCOMPARE(window->CurrentTopic(), QStringLiteral("/sub/kopieren.htm"));
    QCOMPARE(window->Browser()->Highlighted(), (QStringList{"kopieren", "Kopieren", "Kopieren"}));
    window->ShowTopic(QStringLiteral("start.htm"));
    QCOMPARE(window->Browser()->Highlighted(), QStringList());
}

void tst_HelpWindow::findInPage() {
    HelpWindow* window = Open();
    QVERIFY(window);
    window->ShowTopic(QStringLiteral("sub/other.htm"));
    HelpFindBar* bar = window->FindBar();
    QVERIFY(bar->isHidden());
    // The page: "Anderes Thema", "Erster Teil.", "Teil 2", "Zweiter Teil mit Umlauten: äöü ß."
    struct Step {
        QKeySequence key;
        QString typed;
        int selectionStart; // -1: nothing selected
        QString status;
    };
    const QList<Step> steps{
        {QKeySequence::Find, "TEIL", 21, ""},
        {QKeySequence(Qt::Key_F3), "", 27, ""},
        {QKeySequence(Qt::Key_F3), "", 42, ""},
        {QKeySequence(Qt::Key_F3), "", 21, "Continued from the top"},
        {QKeySequence(Qt::SHIFT | Qt::Key_F3), "", 42, "Continued from the end"},
        {QKeySequence::Find, "qqq", 42, "Not found"},
    };
    for (const Step& step : steps) {
        QTest::keySequence(QApplication::focusWidget(), step.key);
        if (!step.typed.isEmpty()) {
            QVERIFY(bar->isVisible());
            QCOMPARE(QApplication::focusWidget(), bar->Field());
            QTest::keyClicks(bar->Field(), step.typed);
        }
        const QTextCursor cursor = window->Browser()->textCursor();
        QCOMPARE(cursor.selectionStart(), step.selectionStart);
        QCOMPARE(bar->Status()->text(), step.status);
    }
    QTest::keyClick(bar->Field(), Qt::Key_Escape);
    QVERIFY(bar->isHidden());
    QCOMPARE(QApplication::focusWidget(), window->Browser());
}

void tst_HelpWindow::keys() {
    HelpWindow* window = Open();
    QVERIFY(window);
    QTreeWidget* tree = window->ContentsTree();
    // The tree follows the page to the entry nearest it without moving the page to that entry.
    window->ShowTopic(QStringLiteral("sub/other.htm"));
    QCOMPARE(window->CurrentTopic(), QStringLiteral("/sub/other.htm"));
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Anderes Thema"));
    QCOMPARE(window->Browser()->backwardHistoryCount(), 1);
    window->ShowContext(1234);
    tree->setFocus();
    // Contents: Start, Unterordner (a heading), Thema, Anderes Thema; the page is Thema's.
    struct Step {
        QKeySequence key;
        QString topic;
    };
    const QList<Step> steps{
        {QKeySequence(Qt::Key_Down), "/sub/other.htm#teil2"},
        {QKeySequence(Qt::Key_Up), "/sub/topic.htm"},
        {QKeySequence(Qt::Key_Up), "/sub/topic.htm"}, // the heading shows nothing
        {QKeySequence(Qt::Key_Up), "/start.htm"},
        {QKeySequence(Qt::ALT | Qt::Key_Left), "/sub/topic.htm"},
        {QKeySequence(Qt::ALT | Qt::Key_Left), "/sub/other.htm#teil2"},
        {QKeySequence(Qt::ALT | Qt::Key_Right), "/sub/topic.htm"},
    };
    for (const Step& step : steps) {
        QTest::keySequence(tree, step.key);
        QCOMPARE(window->CurrentTopic(), step.topic);
    }

    // Zoom is kept for the windows opened after it, and Ctrl+0 takes it back.
    const qreal size = window->Browser()->font().pointSizeF();
    QTest::keySequence(window, QKeySequence::ZoomIn);
    QTest::keySequence(window, QKeySequence::ZoomIn);
    QTest::keySequence(window, QKeySequence::ZoomOut);
    const qreal zoomed = window->Browser()->font().pointSizeF();
    QVERIFY(zoomed > size);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    window = Open();
    QVERIFY(window);
    QCOMPARE(window->Browser()->font().pointSizeF(), zoomed);
    QTest::keySequence(window, QKeySequence(Qt::CTRL | Qt::Key_0));
    QCOMPARE(window->Browser()->font().pointSizeF(), size);
}

void tst_HelpWindow::printToPdf() {
    HelpWindow* window = Open();
    QVERIFY(window);
    // Ctrl+P: the dialog comes from the print module, loaded now; cancelled, it prints nothing.
    QString dialogTitle;
    QTimer::singleShot(0, window, [&dialogTitle] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialogTitle = dialog->windowTitle();
        dialog->reject();
    });
    QTest::keySequence(window, QKeySequence::Print);
    QCOMPARE(dialogTitle, QStringLiteral("Print topic"));

    QTemporaryDir dir;
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("thema.pdf"));
    window->PrintTo(printer);
    QFile pdf(printer.outputFileName());
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    QVERIFY(bytes.startsWith("%PDF-"));
    QVERIFY2(bytes.contains("/Type /Page") || bytes.contains("/Type/Page"), "a PDF without a page");
}

QTEST_MAIN(tst_HelpWindow)
#include "tst_HelpWindow.moc"
