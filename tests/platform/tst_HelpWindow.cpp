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
    HelpWindow* m_window = nullptr; // the fixture's, opened for each test

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
        QVERIFY(QFile::copy(QStringLiteral(KX4_HELP_FIXTURE), folder + "/fixture.chm"));
        QVERIFY(QFile::copy(QStringLiteral(KX4_HELP_FIXTURE), folder + "/zweite.chm"));
        m_boxes.clear();
        MessageBox::SetHook([this](const QString& text, const QString& title, MessageBox::Icon) {
            m_boxes.append(title + ": " + text);
        });
        QVERIFY((m_window = Open()));
    }

    void cleanup() {
        HtmlHelpA(0, nullptr, HH_CLOSE_ALL, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(HelpWindows().isEmpty());
        MessageBox::SetHook({});
        m_prefix.reset();
    }

    // A window of its own that does not keep the program running; an unmapped
    // number opens the start topic and says so. A second request for the file (in any spelling)
    // reuses the window; another file gets its own; a closed window is not reused (closing all:
    // cleanup).
    void oneWindowPerFile() {
        const qint32 first = m_window->Id();
        QCOMPARE(Show(FixturePath, -5), first);
        QCOMPARE(m_window->CurrentTopic(), "/start.htm");
        QVERIFY(m_window->statusBar()->currentMessage().startsWith("Context number -5 is not in the map"));
        QVERIFY(!m_window->testAttribute(Qt::WA_QuitOnClose));
        QCOMPARE(Show("c:\\STUDIO\\helpfiles\\FIXTURE.CHM", 1234), first);
        QCOMPARE(m_window->CurrentTopic(), "/sub/topic.htm");
        QCOMPARE(m_window->statusBar()->currentMessage(), QString()); // the complaint is gone
        const qint32 second = Show("C:\\Studio\\HelpFiles\\Zweite.chm", 1234);
        QVERIFY(second != 0 && second != first);
        QCOMPARE(HtmlHelp::WindowCount(), 2);
        m_window->close();
        const qint32 third = Show(FixturePath, 1234);
        QVERIFY(third != first && HtmlHelp::Window(third)->isVisible());
        // No file, or a command it does not know: nothing opens.
        QCOMPARE(HtmlHelpA(0, nullptr, HH_HELP_CONTEXT, 1234), 0);
        QCOMPARE(HtmlHelpA(0, FixturePath, 0x0001, 0), 0);
        QVERIFY(HtmlHelp::WindowCount() == 2 && m_boxes.isEmpty());
    }

    // Pictures and stylesheets come from the file, relative to the page, never from the disk. Links
    // followed go back and forth; a missing topic keeps the page and says so; a link to another help file
    // beside this one opens that file's window.
    void linksAndHistory() {
        HelpBrowser* browser = m_window->Browser();
        QImage image;
        QVERIFY(image.loadFromData(
            browser->loadResource(QTextDocument::ImageResource, QUrl("dot.png")).toByteArray()));
        QCOMPARE(image.pixelColor(3, 3), QColor("#cc0000"));
        QVERIFY(browser->loadResource(QTextDocument::ImageResource, QUrl::fromLocalFile(KX4_HELP_FIXTURE))
                    .isNull());
        const QTextBlock heading = browser->document()->begin();
        QCOMPARE(heading.begin().fragment().charFormat().foreground().color(), QColor("#204a87"));
        auto* back = m_window->findChild<QAction*>("back");
        auto* forward = m_window->findChild<QAction*>("forward");
        QVERIFY(back && forward && !back->isEnabled());
        browser->setSource(QUrl("other.htm#teil2"));
        QCOMPARE(m_window->CurrentTopic(), "/sub/other.htm#teil2");
        QVERIFY(back->isEnabled() && !forward->isEnabled());
        back->trigger();
        QCOMPARE(m_window->CurrentTopic(), "/sub/topic.htm");
        forward->trigger();
        QCOMPARE(m_window->CurrentTopic(), "/sub/other.htm#teil2");
        browser->setSource(QUrl("fehlt.htm"));
        QCOMPARE(m_window->CurrentTopic(), "/sub/other.htm#teil2");
        QCOMPARE(m_window->statusBar()->currentMessage(),
                 "The topic /sub/fehlt.htm is not in this help file.");

        browser->setSource(QUrl("ms-its:Zweite.chm::/sub/other.htm"));
        QCOMPARE(m_window->CurrentTopic(), "/sub/other.htm#teil2");
        const QList<HelpWindow*> windows = HelpWindows();
        QCOMPARE(windows.size(), 2);
        HelpWindow* other = windows.first() == m_window ? windows.last() : windows.first();
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
        HelpIndexPane* index = m_window->IndexPane();
        m_window->Tabs()->setCurrentWidget(index);
        QTest::keyClicks(index->FilterField(), row.filter);
        QStringList offered; // the chooser, when it comes up: what it offers; the row picked, or cancelled
        QTimer::singleShot(0, index, [index, row, &offered] {
            auto* chooser = index->findChild<QDialog*>(QStringLiteral("topicChooser"));
            if (!chooser || !chooser->isVisible())
                return;
            auto* topics = chooser->findChild<QListWidget*>(QStringLiteral("topics"));
            for (int i = 0; i < topics->count(); ++i)
                offered.append(topics->item(i)->text());
            topics->setCurrentRow(row.choice);
            if (row.choice < 0)
                chooser->reject();
            else
                chooser->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        if (row.down)
            QTest::keyClick(index->FilterField(), Qt::Key_Down);
        QTest::keyClick(index->FilterField(), Qt::Key_Return);
        QCOMPARE(index->Listed(), row.listed);
        QCOMPARE(offered, row.offered);
        QCOMPARE(m_window->CurrentTopic(), row.topic);
    }

    // Built on first use; the status counts the topics; the topic opens with its words marked, and the marks
    // stay behind when the reader goes on.
    void search() {
        HelpSearchPane* search = m_window->SearchPane();
        QVERIFY(!search->IndexReady());
        QSignalSpy built(search, &HelpSearchPane::IndexBuilt);
        m_window->Tabs()->setCurrentWidget(search);
        // clang-format off
    for (const auto& [query, results, status] : {std::tuple{"kopieren nirgendwo", QStringList{}, "No topic holds every word."},
                                                 {"kopieren", {"Gruppen kopieren 4", "Thema 1"}, "2 topics found"},
                                                 {"gruppe kopieren", {"Gruppen kopieren 7"}, "1 topic found"}}) {
            // clang-format on
            search->QueryField()->setText(query);
            QTest::keyClick(search->QueryField(), Qt::Key_Return);
            QVERIFY(search->IndexReady() || built.wait(5000));
            QStringList rows;
            for (int i = 0; i < search->Results()->topLevelItemCount(); ++i)
                rows << search->Results()->topLevelItem(i)->text(0) + " " +
                            search->Results()->topLevelItem(i)->text(1);
            QCOMPARE(rows, results);
            QCOMPARE(search->Status()->text(), QString(status));
        }
        search->Results()->setFocus();
        QTest::keyClick(search->Results(), Qt::Key_Return);
        QCOMPARE(m_window->CurrentTopic(), "/sub/kopieren.htm");
        // A word also marks where it begins a longer one, never inside one.
        QCOMPARE(m_window->Browser()->Highlighted(),
                 (QStringList{"Gruppe", "kopieren", "Gruppe", "Kopieren", "Kopieren"}));
        m_window->ShowTopic(QStringLiteral("start.htm"));
        QCOMPARE(m_window->Browser()->Highlighted(), QStringList());
    }

    // Find in the page, on from the selection, around either end; Escape gives the page the focus.
    // The page: "Anderes Thema", "Erster Teil.", "Teil 2", "Zweiter Teil mit Umlauten: äöü ß."
    void findInPage() {
        m_window->ShowTopic(QStringLiteral("sub/other.htm"));
        HelpFindBar* bar = m_window->FindBar();
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
            QCOMPARE(m_window->Browser()->textCursor().selectionStart(), selectionStart);
            QCOMPARE(bar->Status()->text(), status);
        }
        QTest::keyClick(bar->Field(), Qt::Key_Escape);
        QVERIFY(bar->isHidden());
        QCOMPARE(QApplication::focusWidget(), m_window->Browser());
    }

    // The contents tree follows the page to the entry nearest it without moving the page to that
    // entry; a tree entry chosen opens its topic. Zoom is kept for the windows opened after it, and
    // Ctrl+0 takes it back.
    void contentsAndZoom() {
        QTreeWidget* tree = m_window->ContentsTree();
        m_window->ShowTopic(QStringLiteral("sub/other.htm"));
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Anderes Thema"));
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Home); // Start
        QCOMPARE(m_window->CurrentTopic(), "/start.htm");
        const qreal size = m_window->Browser()->font().pointSizeF();
        for (const auto key : {QKeySequence::ZoomIn, QKeySequence::ZoomIn, QKeySequence::ZoomOut})
            QTest::keySequence(m_window, key);
        const qreal zoomed = m_window->Browser()->font().pointSizeF();
        QVERIFY(zoomed > size);
        m_window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY((m_window = Open()));
        QCOMPARE(m_window->Browser()->font().pointSizeF(), zoomed);
        QTest::keySequence(m_window, QKeySequence(Qt::CTRL | Qt::Key_0));
        QCOMPARE(m_window->Browser()->font().pointSizeF(), size);
    }

    // Ctrl+P: the dialog comes from the print module, loaded now; cancelled, it prints nothing.
    // Printed to a PDF file, the topic makes a page.
    void printToPdf() {
        QString dialogTitle;
        QTimer::singleShot(0, m_window, [&dialogTitle] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                dialogTitle = dialog->windowTitle();
                dialog->reject();
            }
        });
        QTest::keySequence(m_window, QKeySequence::Print);
        QCOMPARE(dialogTitle, QStringLiteral("Print topic"));
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_prefix->Work() + "/thema.pdf");
        m_window->PrintTo(printer);
        const QByteArray bytes = TestSupport::ReadFile(printer.outputFileName());
        QVERIFY(bytes.startsWith("%PDF-") && (bytes.contains("/Type /Page") || bytes.contains("/Type/Page")));
    }
};

QTEST_MAIN(tst_HelpWindow)
#include "tst_HelpWindow.moc"
