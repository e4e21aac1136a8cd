#include "platform/help/ChmFile.h"
#include "platform/help/HelpBrowser.h"
#include "platform/help/HelpWindow.h"
#include "platform/help/HtmlHelp.h"
#include "platform/windows/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QPointer>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTreeWidget>

// Help windows over the fixture, which maps context 1234 to /sub/topic.htm and nothing else.
class tst_HtmlHelp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void showContext_data();
    void showContext();
    void contentsTree();
    void oneWindowPerFile();
    void unopenableFile_data();
    void unopenableFile();
    void linksAndHistory();
    void picturesAndStylesheets();

private:
    qint32 Show(const QString& file, qint32 contextId);

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

} // namespace

void tst_HtmlHelp::initTestCase() {
    // The viewer speaks the system's language; these tests read its English.
    QLocale::setDefault(QLocale(QLocale::English));
}

void tst_HtmlHelp::init() {
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

void tst_HtmlHelp::cleanup() {
    HtmlHelpA(0, nullptr, HH_CLOSE_ALL, 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(HelpWindows().isEmpty());
    MessageBox::SetHook({});
    m_prefix.reset();
}

qint32 tst_HtmlHelp::Show(const QString& file, qint32 contextId) {
    return HtmlHelpA(0, file.toUtf8().constData(), HH_HELP_CONTEXT, quintptr(quint32(contextId)));
}

void tst_HtmlHelp::showContext_data() {
    QTest::addColumn<qint32>("contextId");
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("status");
    // clang-format off
    QTest::newRow("mapped number opens its topic") << 1234 << "/sub/topic.htm" << "";
    QTest::newRow("unmapped number opens the default topic and says so") << -5 << "/start.htm" << "Context number -5 is not in the map of this help file; showing the start topic.";
    // clang-format on
}

// A window of its own, titled by the file, that does not keep the program running.
void tst_HtmlHelp::showContext() {
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

void tst_HtmlHelp::contentsTree() {
    HelpWindow* window = HtmlHelp::Window(Show(FixturePath, 1234));
    QVERIFY(window);
    QTreeWidget* tree = window->ContentsTree();
    QCOMPARE(tree->topLevelItemCount(), 2);
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("Start"));
    QTreeWidgetItem* folder = tree->topLevelItem(1);
    QCOMPARE(folder->text(0), QStringLiteral("Unterordner"));
    QCOMPARE(folder->childCount(), 2);
    QCOMPARE(folder->child(0)->text(0), QStringLiteral("Thema"));
    QCOMPARE(folder->child(1)->text(0), QStringLiteral("Anderes Thema"));
    // The entry of the page shown is the current one.
    QCOMPARE(tree->currentItem(), folder->child(0));

    tree->scrollToItem(folder->child(1));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(folder->child(1)).center());
    QCOMPARE(window->CurrentTopic(), QStringLiteral("/sub/other.htm#teil2"));
    QCOMPARE(tree->currentItem(), folder->child(1));
    // A heading without a page leaves the page as it is.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(folder).center());
    QCOMPARE(window->CurrentTopic(), QStringLiteral("/sub/other.htm#teil2"));
}

// A second request for a file (in any spelling) reuses its window; another file gets its own;
// a closed window is not reused; closing all closes every window.
void tst_HtmlHelp::oneWindowPerFile() {
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

void tst_HtmlHelp::unopenableFile_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("why");
    // clang-format off
    QTest::newRow("missing file") << "D:\\Nirgends\\Toolbox.chm" << "the file does not exist";
    QTest::newRow("no help file") << "C:\\Studio\\HelpFiles\\Liesmich.txt" << "it is not a compiled help file";
    QTest::newRow("a folder") << "C:\\Studio\\HelpFiles" << "it is not a file";
    // clang-format on
}

void tst_HtmlHelp::unopenableFile() {
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
void tst_HtmlHelp::linksAndHistory() {
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

void tst_HtmlHelp::picturesAndStylesheets() {
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

QTEST_MAIN(tst_HtmlHelp)
#include "tst_HtmlHelp.moc"
