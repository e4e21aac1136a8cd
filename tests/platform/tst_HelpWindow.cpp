#include "common/TempPrefix.h"
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
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>
#include <optional>

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

// A filter typed in the index, Down or not, Enter; the keywords listed then, the chooser's topics
// and the row picked there (-1: cancelled), and the topic shown at the end.
struct IndexRow {
    QString filter;
    QStringList listed;
    bool down;
    int choice;
    QStringList offered;
    QString topic;
};

} // namespace

// Help windows over the fixture, opened as the program opens them. The fixture maps context 1234
// to /sub/topic.htm and nothing else; its index lists "Kopieren" with two topics;
// /sub/kopieren.htm names "kopieren" four times.
class tst_HelpWindow : public QObject {
    Q_OBJECT
    std::optional<TestSupport::TempPrefix> m_prefix;
    QStringList m_boxes;

    qint32 Show(const QString& file, qint32 contextId) {
        return HtmlHelpA(0, file.toUtf8().constData(), HH_HELP_CONTEXT, quintptr(quint32(contextId)));
    }

    // The fixture's window at context 1234, active.
    HelpWindow* Open() {
        HelpWindow* window = HtmlHelp::Window(Show(FixturePath, 1234));
        if (!window)
            return nullptr;
        QApplication::setActiveWindow(window);
        return QTest::qWaitForWindowActive(window) ? window : nullptr;
    }

private Q_SLOTS:

    void initTestCase() {
        // The viewer speaks the system's language; these tests read its English.
        QLocale::setDefault(QLocale(QLocale::English));
    }

    void init() {
        QVERIFY(m_prefix.emplace().IsValid());
        // Lower case on disk: the Windows-style path finds it without regard to case.
        const QString folder = m_prefix->Path() + "/drives/c/studio/helpfiles";
        QVERIFY(QDir().mkpath(folder));
        QFile text(folder + "/liesmich.txt");
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("Keine Hilfedatei.\n") > 0);
        QVERIFY(QFile::copy(QStringLiteral(KX4_HELP_FIXTURE), folder + "/fixture.chm"));
        QVERIFY(QFile::copy(QStringLiteral(KX4_HELP_FIXTURE), folder + "/zweite.chm"));
        m_boxes.clear();
        MessageBox::SetHook([this](const QString& text, const QString& title, MessageBox::Icon) {
            m_boxes.append(title + ": " + text);
        });
    }

    void cleanup() {
        HtmlHelpA(0, nullptr, HH_CLOSE_ALL, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(HelpWindows().isEmpty());
        MessageBox::SetHook({});
        m_prefix.reset();
    }

    // An unmapped number opens the start topic and says so, in a window of its own, titled by the
    // file, that does not keep the program running. A second request for the file (in any spelling)
    // reuses the window; another file gets its own; a closed window is not reused (closing all:
    // cleanup).
    void oneWindowPerFile() {
        const qint32 first = Show(FixturePath, -5);
        HelpWindow* window = HtmlHelp::Window(first);
        QVERIFY(window && window->isVisible() && !window->parentWidget());
        QCOMPARE(window->CurrentTopic(), "/start.htm");
        QCOMPARE(window->statusBar()->currentMessage(),
                 "Context number -5 is not in the map of this help file; showing the start topic.");
        QCOMPARE(window->windowTitle(), QStringLiteral("Testhilfe Fixture"));
        QVERIFY(!window->testAttribute(Qt::WA_QuitOnClose));
        QCOMPARE(Show("c:\\STUDIO\\helpfiles\\FIXTURE.CHM", 1234), first);
        QCOMPARE(window->CurrentTopic(), "/sub/topic.htm");
        QCOMPARE(window->statusBar()->currentMessage(), QString()); // the complaint is gone
        const qint32 second = Show("C:\\Studio\\HelpFiles\\Zweite.chm", 1234);
        QVERIFY(second != 0 && second != first);
        QCOMPARE(HtmlHelp::WindowCount(), 2);
        window->close();
        const qint32 third = Show(FixturePath, 1234);
        QVERIFY(third != first && HtmlHelp::Window(third)->isVisible());
        // No file, or a command it does not know: nothing opens.
        QCOMPARE(HtmlHelpA(0, nullptr, HH_HELP_CONTEXT, 1234), 0);
        QCOMPARE(HtmlHelpA(0, FixturePath, 0x0001, 0), 0);
        QVERIFY(HtmlHelp::WindowCount() == 2 && m_boxes.isEmpty());
    }

    // A file that cannot be opened gets a box naming it and why, and no window (a missing file:
    // tst_HelpMenu).
    void unopenableFile() {
        const QString file = "C:\\Studio\\HelpFiles\\Liesmich.txt";
        QCOMPARE(Show(file, 1234), 0);
        QCOMPARE(m_boxes.size(), 1);
        const QString box =
            "Help: Cannot open the help file \"" + file + "\": it is not a compiled help file.";
        QVERIFY2(m_boxes.first().startsWith(box), qPrintable(m_boxes.first()));
        QVERIFY(HelpWindows().isEmpty());
    }

    // Pictures and stylesheets come from the file, relative to the page, never from the disk. Clicked
    // links go back and forth; a missing topic keeps the page and says so; a link to another help file
    // beside this one opens that file's window.
    void linksAndHistory() {
        HelpWindow* window = Open();
        QVERIFY(window);
        HelpBrowser* browser = window->Browser();
        QImage image;
        QVERIFY(image.loadFromData(
            browser->loadResource(QTextDocument::ImageResource, QUrl("dot.png")).toByteArray()));
        QCOMPARE(image.pixelColor(3, 3), QColor("#cc0000"));
        QVERIFY(browser->loadResource(QTextDocument::ImageResource, QUrl::fromLocalFile(KX4_HELP_FIXTURE))
                    .isNull());
        const QTextBlock heading = browser->document()->begin();
        QCOMPARE(heading.text(), QStringLiteral("Thema 1234"));
        QCOMPARE(heading.begin().fragment().charFormat().foreground().color(), QColor("#204a87"));
        auto* back = window->findChild<QAction*>("back");
        auto* forward = window->findChild<QAction*>("forward");
        QVERIFY(back && forward && !back->isEnabled());
        QVERIFY(ClickLink(browser, "other.htm#teil2"));
        QCOMPARE(window->CurrentTopic(), "/sub/other.htm#teil2");
        QVERIFY(back->isEnabled() && !forward->isEnabled());
        back->trigger();
        QCOMPARE(window->CurrentTopic(), "/sub/topic.htm");
        forward->trigger();
        QCOMPARE(window->CurrentTopic(), "/sub/other.htm#teil2");
        window->Browser()->setSource(QUrl("fehlt.htm"));
        QCOMPARE(window->CurrentTopic(), "/sub/other.htm#teil2");
        QCOMPARE(window->statusBar()->currentMessage(), "The topic /sub/fehlt.htm is not in this help file.");

        window->Browser()->setSource(QUrl("ms-its:Zweite.chm::/sub/other.htm"));
        QCOMPARE(window->CurrentTopic(), "/sub/other.htm#teil2");
        const QList<HelpWindow*> windows = HelpWindows();
        QCOMPARE(windows.size(), 2);
        HelpWindow* other = windows.first() == window ? windows.last() : windows.first();
        QVERIFY(other->File().LocalPath().endsWith("/zweite.chm"));
        QCOMPARE(other->CurrentTopic(), QStringLiteral("/sub/other.htm"));
    }

    void index_data() {
        QTest::addColumn<IndexRow>("row");
        // clang-format off
        QTest::newRow("one topic: Enter in the filter opens the best match") << IndexRow{"anf", {"Anfang"}, false, -1, {}, "/start.htm"};
        QTest::newRow("several topics: the choice is offered") << IndexRow{"kop", {"Kopieren"}, false, 1, {"Gruppen kopieren", "Thema 1234"}, "/sub/topic.htm"};
        QTest::newRow("several topics: cancelling the choice keeps the page") << IndexRow{"kop", {"Kopieren"}, false, -1, {"Gruppen kopieren", "Thema 1234"}, "/sub/topic.htm"};
        QTest::newRow("narrowed, beginning first; Down selects the next") << IndexRow{"THE", {"Thema", "Mathematik"}, true, -1, {}, "/sub/other.htm#teil2"};
        QTest::newRow("see also shows the keyword it names") << IndexRow{"verv", {"Kopieren"}, false, -1, {}, "/sub/topic.htm"};
        // clang-format on
    }
    void index() {
        QFETCH(IndexRow, row);
        HelpWindow* window = Open();
        QVERIFY(window);
        HelpIndexPane* index = window->IndexPane();
        window->Tabs()->setCurrentWidget(index);
        QTest::keyClicks(index->FilterField(), row.filter);
        QStringList offered;
        if (!row.offered.isEmpty())
            AnswerChooser(index, row.choice, &offered);
        if (row.down)
            QTest::keyClick(index->FilterField(), Qt::Key_Down);
        QTest::keyClick(index->FilterField(), Qt::Key_Return);
        QCOMPARE(index->Listed(), row.listed);
        QCOMPARE(offered, row.offered);
        QCOMPARE(window->CurrentTopic(), row.topic);
    }

    // Built on first use; the status counts the topics; the topic opens with its words marked, and the marks
    // stay behind when the reader goes on.
    void search() {
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
        QCOMPARE(window->CurrentTopic(), "/sub/kopieren.htm");
        // A word also marks where it begins a longer one, never inside one.
        QCOMPARE(window->Browser()->Highlighted(),
                 (QStringList{"Gruppe", "kopieren", "Gruppe", "Kopieren", "Kopieren"}));
        window->ShowTopic(QStringLiteral("start.htm"));
        QCOMPARE(window->Browser()->Highlighted(), QStringList());
    }

    // Find in the page, on from the selection, around either end; Escape gives the page the focus.
    // The page: "Anderes Thema", "Erster Teil.", "Teil 2", "Zweiter Teil mit Umlauten: äöü ß."
    void findInPage() {
        HelpWindow* window = Open();
        QVERIFY(window);
        window->ShowTopic(QStringLiteral("sub/other.htm"));
        HelpFindBar* bar = window->FindBar();
        QVERIFY(bar->isHidden());
        // clang-format off
        const QList<std::tuple<QKeySequence, QString, int, QString>> steps{ // key, typed, selected from, status
            {QKeySequence::Find, "TEIL", 21, ""},
            {Qt::Key_F3, "", 27, ""},
            {Qt::Key_F3, "", 42, ""},
            {Qt::Key_F3, "", 21, "Continued from the top"},
            {Qt::SHIFT | Qt::Key_F3, "", 42, "Continued from the end"},
            {QKeySequence::Find, "qqq", 42, "Not found"}};
        // clang-format on
        for (const auto& [key, typed, selectionStart, status] : steps) {
            QTest::keySequence(QApplication::focusWidget(), key);
            if (!typed.isEmpty()) {
                QCOMPARE(QApplication::focusWidget(), bar->Field());
                QTest::keyClicks(bar->Field(), typed);
            }
            QCOMPARE(window->Browser()->textCursor().selectionStart(), selectionStart);
            QCOMPARE(bar->Status()->text(), status);
        }
        QTest::keyClick(bar->Field(), Qt::Key_Escape);
        QVERIFY(bar->isHidden());
        QCOMPARE(QApplication::focusWidget(), window->Browser());
    }

    // The contents tree follows the page to the entry nearest it without moving the page to that
    // entry; a tree entry chosen opens its topic. Zoom is kept for the windows opened after it, and
    // Ctrl+0 takes it back.
    void contentsAndZoom() {
        HelpWindow* window = Open();
        QVERIFY(window);
        QTreeWidget* tree = window->ContentsTree();
        window->ShowTopic(QStringLiteral("sub/other.htm"));
        QCOMPARE(window->CurrentTopic(), "/sub/other.htm");
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Anderes Thema"));
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Home); // Start
        QCOMPARE(window->CurrentTopic(), "/start.htm");
        const qreal size = window->Browser()->font().pointSizeF();
        for (const auto key : {QKeySequence::ZoomIn, QKeySequence::ZoomIn, QKeySequence::ZoomOut})
            QTest::keySequence(window, key);
        const qreal zoomed = window->Browser()->font().pointSizeF();
        QVERIFY(zoomed > size);
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY((window = Open()));
        QCOMPARE(window->Browser()->font().pointSizeF(), zoomed);
        QTest::keySequence(window, QKeySequence(Qt::CTRL | Qt::Key_0));
        QCOMPARE(window->Browser()->font().pointSizeF(), size);
    }

    // Ctrl+P: the dialog comes from the print module, loaded now; cancelled, it prints nothing.
    // Printed to a PDF file, the topic makes a page.
    void printToPdf() {
        HelpWindow* window = Open();
        QVERIFY(window);
        QString dialogTitle;
        QTimer::singleShot(0, window, [&dialogTitle] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            dialogTitle = dialog ? dialog->windowTitle() : QString();
            if (dialog)
                dialog->reject();
        });
        QTest::keySequence(window, QKeySequence::Print);
        QCOMPARE(dialogTitle, QStringLiteral("Print topic"));
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_prefix->Work() + "/thema.pdf");
        window->PrintTo(printer);
        QFile pdf(printer.outputFileName());
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        QVERIFY(bytes.startsWith("%PDF-") && (bytes.contains("/Type /Page") || bytes.contains("/Type/Page")));
    }
};

QTEST_MAIN(tst_HelpWindow)
#include "tst_HelpWindow.moc"
