#include "platform/help/ChmFile.h"
#include "platform/help/HelpBrowser.h"
#include "platform/help/HelpFindBar.h"
#include "platform/help/HelpIndexPane.h"
#include "platform/help/HelpSearchPane.h"
#include "platform/help/HelpWindow.h"
#include "platform/help/HtmlHelp.h"
#include "platform/windows/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QImage>
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
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>

// Help windows over the fixture, opened as the program opens them. The fixture maps context 1234
// to /sub/topic.htm and nothing else; its index lists "Kopieren" with two topics;
// /sub/kopieren.htm names "kopieren" four times.
class tst_HelpWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void showContext_data();
    void showContext();
    void oneWindowPerFile();
    void unopenableFile_data();
    void unopenableFile();
    void linksAndHistory();
    void picturesAndStylesheets();
    void index_data();
    void index();
    void search();
    void findInPage();
    void keys();
    void printToPdf();

private:
    qint32 Show(const QString& file, qint32 contextId);
    HelpWindow* Open();

    std::unique_ptr<QTemporaryDir> m_prefix;
    QStringList m_boxes;
};

namespace {

const char* const FixturePath = "C:\\Studio\\HelpFiles\\Fixture.chm";

QList<HelpWindow*> HelpWindows() {
    QList<HelpWindow*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<HelpWindow*>(widget))
            windows.append(window);
    return windows;
}

// Clicks the first link of the page whose target is href, as a user would.
bool ClickLink(HelpBrowser* browser, const QString& href) {
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().anchorHref() != href)
                continue;
            QTextCursor cursor(browser->document());
            cursor.setPosition(fragment.position() + 1);
            const QPoint at = browser->cursorRect(cursor).center() - QPoint(2, 0);
            QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at);
            return true;
        }
    }
    return false;
}

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

void tst_HelpWindow::initTestCase() {
    // The viewer speaks the system's language; these tests read its English.
    QLocale::setDefault(QLocale(QLocale::English));
}

void tst_HelpWindow::init() {
    m_prefix = std::make_unique<QTemporaryDir>();
    QVERIFY(m_prefix->isValid());
    qputenv("KX4_PREFIX", QFile::encodeName(m_prefix->path()));
    // Lower case on disk: the Windows-style path finds it without regard to case.
    const QString folder = m_prefix->path() + "/drives/c/studio/helpfiles";
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::copy(QStringLiteral(KX4_HELP_FIXTURE), folder + "/fixture.chm"));
    QVERIFY(QFile::copy(QStringLiteral(KX4_HELP_FIXTURE), folder + "/zweite.chm"));
    m_boxes.clear();
    MessageBox::SetHook([this](const QString& text, const QString& title, MessageBox::Icon) {
        m_boxes.append(title + ": " + text);
    });
}

void tst_HelpWindow::cleanup() {
    HtmlHelpA(0, nullptr, HH_CLOSE_ALL, 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(HelpWindows().isEmpty());
    MessageBox::SetHook({});
    m_prefix.reset();
}

qint32 tst_HelpWindow::Show(const QString& file, qint32 contextId) {
    return HtmlHelpA(0, file.toUtf8().constData(), HH_HELP_CONTEXT, quintptr(quint32(contextId)));
}

void tst_HelpWindow::showContext_data() {
    QTest::addColumn<qint32>("contextId");
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("status");
    // clang-format off
    QTest::newRow("mapped number opens its topic") << 1234 << "/sub/topic.htm" << "";
    QTest::newRow("unmapped number opens the default topic and says so") << -5 << "/start.htm" << "Context number -5 is not in the map of this help file; showing the start topic.";
    // clang-format on
}

// A window of its own, titled by the file, that does not keep the program running.
void tst_HelpWindow::showContext() {
    QFETCH(qint32, contextId);
    QFETCH(QString, topic);
    QFETCH(QString, status);
    HelpWindow* window = HtmlHelp::Window(Show(FixturePath, contextId));
    QVERIFY(window);
    QCOMPARE(window->CurrentTopic(), topic);
    QCOMPARE(window->statusBar()->currentMessage(), status);
    QVERIFY(window->Browser()->toPlainText().contains(contextId == 1234 ? "Thema 1234" : "Startseite"));
    QVERIFY(window->isVisible() && !window->parentWidget());
    QCOMPARE(window->windowTitle(), QStringLiteral("Testhilfe Fixture"));
    QVERIFY(!window->testAttribute(Qt::WA_QuitOnClose));
    QVERIFY(m_boxes.isEmpty());
}

// A second request for a file (in any spelling) reuses its window; another file gets its own;
// a closed window is not reused; closing all closes every window.
void tst_HelpWindow::oneWindowPerFile() {
    const qint32 first = Show(FixturePath, 4321);
    QCOMPARE(Show("c:\\STUDIO\\helpfiles\\FIXTURE.CHM", 1234), first);
    HelpWindow* window = HtmlHelp::Window(first);
    QCOMPARE(window->CurrentTopic(), QStringLiteral("/sub/topic.htm"));
    QCOMPARE(window->statusBar()->currentMessage(), QString()); // the complaint about 4321 is gone
    const qint32 second = Show("C:\\Studio\\HelpFiles\\Zweite.chm", 1234);
    QVERIFY(second != 0 && second != first);
    QCOMPARE(HtmlHelp::WindowCount(), 2);
    window->close();
    const qint32 third = Show(FixturePath, 1234);
    QVERIFY(third != first && HtmlHelp::Window(third)->isVisible());
    QPointer<HelpWindow> two = HtmlHelp::Window(second);
    QCOMPARE(HtmlHelpA(0, nullptr, HH_CLOSE_ALL, 0), 0);
    QCOMPARE(HtmlHelp::WindowCount(), 0);
    QVERIFY(!HtmlHelp::Window(third));
    QVERIFY(two && !two->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!two);
    // No file, or a command it does not know: nothing opens.
    QCOMPARE(HtmlHelpA(0, nullptr, HH_HELP_CONTEXT, 1234), 0);
    QCOMPARE(HtmlHelpA(0, FixturePath, 0x0001, 0), 0);
    QVERIFY(HelpWindows().isEmpty());
}

void tst_HelpWindow::unopenableFile_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("why");
    // clang-format off
    QTest::newRow("missing file") << "D:\\Nirgends\\Toolbox.chm" << "the file does not exist";
    QTest::newRow("no help file") << "C:\\Studio\\HelpFiles\\Liesmich.txt" << "it is not a compiled help file";
    QTest::newRow("a folder") << "C:\\Studio\\HelpFiles" << "it is not a file";
    // clang-format on
}

void tst_HelpWindow::unopenableFile() {
    QFETCH(QString, file);
    QFETCH(QString, why);
    QFile text(m_prefix->path() + "/drives/c/studio/helpfiles/liesmich.txt");
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("Keine Hilfedatei.\n") > 0);
    text.close();
    QCOMPARE(Show(file, 1234), 0);
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY2(m_boxes.first().startsWith("Help: Cannot open the help file \"" + file + "\": " + why + "."),
             qPrintable(m_boxes.first()));
    QVERIFY(HelpWindows().isEmpty());
}

// Clicked links go back and forth; a missing topic keeps the page and says so; a link to
// another help file beside this one opens that file's window.
void tst_HelpWindow::linksAndHistory() {
    HelpWindow* window = HtmlHelp::Window(Show(FixturePath, 1234));
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* back = window->findChild<QAction*>("back");
    auto* forward = window->findChild<QAction*>("forward");
    QVERIFY(back && forward && !back->isEnabled());
    QVERIFY(ClickLink(window->Browser(), "other.htm#teil2"));
    QCOMPARE(window->CurrentTopic(), QStringLiteral("/sub/other.htm#teil2"));
    QVERIFY(back->isEnabled() && !forward->isEnabled());
    back->trigger();
    QCOMPARE(window->CurrentTopic(), QStringLiteral("/sub/topic.htm"));
    forward->trigger();
    QCOMPARE(window->CurrentTopic(), QStringLiteral("/sub/other.htm#teil2"));
    window->Browser()->setSource(QUrl("fehlt.htm"));
    QCOMPARE(window->CurrentTopic(), QStringLiteral("/sub/other.htm#teil2"));
    QCOMPARE(window->statusBar()->currentMessage(),
             QStringLiteral("The topic /sub/fehlt.htm is not in this help file."));

    window->Browser()->setSource(QUrl("ms-its:Zweite.chm::/sub/other.htm"));
    QCOMPARE(window->CurrentTopic(), QStringLiteral("/sub/other.htm#teil2"));
    const QList<HelpWindow*> windows = HelpWindows();
    QCOMPARE(windows.size(), 2);
    HelpWindow* other = windows.first() == window ? windows.last() : windows.first();
    QVERIFY(other->File().LocalPath().endsWith("/zweite.chm"));
    QCOMPARE(other->CurrentTopic(), QStringLiteral("/sub/other.htm"));
}

void tst_HelpWindow::picturesAndStylesheets() {
    HelpWindow* window = HtmlHelp::Window(Show(FixturePath, 1234));
    QVERIFY(window);
    HelpBrowser* browser = window->Browser();
    // Resolved against the page, read from the file.
    const QVariant picture = browser->loadResource(QTextDocument::ImageResource, QUrl("dot.png"));
    QImage image;
    QVERIFY(image.loadFromData(picture.toByteArray()));
    QCOMPARE(image.size(), QSize(8, 8));
    QCOMPARE(image.pixelColor(3, 3), QColor("#cc0000"));
    // The stylesheet of the page coloured its heading.
    const QTextBlock heading = browser->document()->begin();
    QCOMPARE(heading.text(), QStringLiteral("Thema 1234"));
    QCOMPARE(heading.begin().fragment().charFormat().foreground().color(), QColor("#204a87"));
    // Nothing outside the file: a path on the disk is no resource.
    QVERIFY(
        browser->loadResource(QTextDocument::ImageResource, QUrl::fromLocalFile(KX4_HELP_FIXTURE)).isNull());
}

// The fixture's window at context 1234, active.
HelpWindow* tst_HelpWindow::Open() {
    HelpWindow* window = HtmlHelp::Window(Show(FixturePath, 1234));
    if (!window)
        return nullptr;
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window) ? window : nullptr;
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

// Built on first use; the status counts the topics; the topic opens with its words marked, and the marks stay
// behind when the reader goes on.
void tst_HelpWindow::search() {
    HelpWindow* window = Open();
    QVERIFY(window);
    HelpSearchPane* search = window->SearchPane();
    QVERIFY(!search->IndexReady());
    QSignalSpy built(search, &HelpSearchPane::IndexBuilt);
    window->Tabs()->setCurrentWidget(search);
    // clang-format off
    for (const auto& [query, results, status] : {std::tuple{"kopieren nirgendwo", QStringList{}, "No topic holds every word."},
                                                 {"kopieren", {"Gruppen kopieren 4", "Thema 1"}, "2 topics found"},
                                                 {"gruppe kopieren", {"Gruppen kopieren 7"}, "1 topic found"}}) {
        // clang-format on
        search->QueryField()->setText(query);
        QTest::keyClick(search->QueryField(), Qt::Key_Return);
        QVERIFY(search->IndexReady() || built.wait(5000));
        QCOMPARE(Results(search), results);
        QCOMPARE(search->Status()->text(), QString(status));
    }
    search->Results()->setFocus();
    QTest::keyClick(search->Results(), Qt::Key_Return);
    QCOMPARE(window->CurrentTopic(), QStringLiteral("/sub/kopieren.htm"));
    // A word also marks where it begins a longer one, never inside one.
    QCOMPARE(window->Browser()->Highlighted(),
             (QStringList{"Gruppe", "kopieren", "Gruppe", "Kopieren", "Kopieren"}));
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
