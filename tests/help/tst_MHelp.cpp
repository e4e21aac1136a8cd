#include "help/MHelp.h"

#include "platform/help/ChmFile.h"
#include "platform/help/HelpLink.h"
#include "platform/help/HelpWindow.h"
#include "platform/help/HtmlHelp.h"
#include "platform/registry/Registry.h"
#include "platform/windows/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

class tst_MHelp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void initHelp_data();
    void initHelp();
    void showHelpTwiceKeepsOneWindow();
    void closeHelpClosesTheWindows();
    void shippedHelpFileOpensAtTheToolboxTopic();
    void shippedHelpFileHasNoBrokenLinks();

private:
    void SetCommon(const QString& common);
    void InstallHelpFile(const QString& source);

    std::unique_ptr<QTemporaryDir> m_prefix;
    QStringList m_boxes;
};

namespace {

const QString MakerKey = QStringLiteral("SOFTWARE\\HALVERN GmbH");

QString ShippedHelpFile() {
    return qEnvironmentVariable("KX4_BUILD_DIR") + "/share/kx4toolbox/help/Toolbox.chm";
}

QList<HelpWindow*> HelpWindows() {
    QList<HelpWindow*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<HelpWindow*>(widget); window && window->isVisible())
            windows.append(window);
    return windows;
}

} // namespace

void tst_MHelp::initTestCase() {
    // The help system's complaints follow the system's language; these tests read its English.
    QLocale::setDefault(QLocale(QLocale::English));
}

void tst_MHelp::init() {
    m_prefix = std::make_unique<QTemporaryDir>();
    QVERIFY(m_prefix->isValid());
    qputenv("KX4_PREFIX", QFile::encodeName(m_prefix->path()));
    m_boxes.clear();
    MessageBox::SetHook([this](const QString& text, const QString& title, MessageBox::Icon) {
        m_boxes.append(title + ": " + text);
    });
}

void tst_MHelp::cleanup() {
    MHelp::CloseHelp();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(HelpWindows().isEmpty());
    MessageBox::SetHook({});
    m_prefix.reset();
}

void tst_MHelp::SetCommon(const QString& common) {
    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, MakerKey, RegValue::String("Common", common)),
             ERROR_SUCCESS);
}

// The help file where a studio installation puts it, in lower case on the disk.
void tst_MHelp::InstallHelpFile(const QString& source) {
    const QString folder = m_prefix->path() + "/drives/c/studio/helpfiles";
    QVERIFY(QDir().mkpath(folder));
    QVERIFY2(QFile::copy(source, folder + "/toolbox.chm"), qPrintable(source));
}

void tst_MHelp::initHelp_data() {
    QTest::addColumn<bool>("hasCommon");
    QTest::addColumn<QString>("common");
    QTest::addColumn<QString>("appHelpFile");
    QTest::addColumn<bool>("found");
    QTest::newRow("common folder") << true << "C:\\Studio"
                                   << "C:\\Studio\\HelpFiles\\Toolbox.chm" << true;
    QTest::newRow("common folder ending in a backslash") << true << "C:\\Studio\\"
                                                         << "C:\\Studio\\\\HelpFiles\\Toolbox.chm" << true;
    QTest::newRow("common folder in other case") << true << "c:\\STUDIO"
                                                 << "c:\\STUDIO\\HelpFiles\\Toolbox.chm" << true;
    QTest::newRow("no common value") << false << ""
                                     << "\\HelpFiles\\Toolbox.chm" << false;
    QTest::newRow("common folder without the help file") << true << "C:\\Anderswo"
                                                         << "C:\\Anderswo\\HelpFiles\\Toolbox.chm" << false;
}

void tst_MHelp::initHelp() {
    QFETCH(bool, hasCommon);
    QFETCH(QString, common);
    QFETCH(QString, appHelpFile);
    QFETCH(bool, found);
    InstallHelpFile(QStringLiteral(KX4_HELP_FIXTURE));
    QVERIFY(QDir().mkpath(m_prefix->path() + "/drives/c/anderswo"));
    if (hasCommon)
        SetCommon(common);
    MHelp::InitHelp();
    QCOMPARE(MHelp::AppHelpFile(), appHelpFile);

    MHelp::ShowHelp(0, 1234);
    if (found) {
        QVERIFY(m_boxes.isEmpty());
        const QList<HelpWindow*> windows = HelpWindows();
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows.first()->CurrentTopic(), QStringLiteral("/sub/topic.htm"));
    } else {
        // The help system's own complaint, naming the file as the program gave it.
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY2(m_boxes.first().contains("\"" + appHelpFile + "\": the file does not exist"),
                 qPrintable(m_boxes.first()));
        QVERIFY(HelpWindows().isEmpty());
    }
}

void tst_MHelp::showHelpTwiceKeepsOneWindow() {
    InstallHelpFile(QStringLiteral(KX4_HELP_FIXTURE));
    SetCommon("C:\\Studio");
    MHelp::InitHelp();
    MHelp::ShowHelp(0, 4321);
    MHelp::ShowHelp(0, 1234);
    const QList<HelpWindow*> windows = HelpWindows();
    QCOMPARE(windows.size(), 1);
    QCOMPARE(windows.first()->CurrentTopic(), QStringLiteral("/sub/topic.htm"));
    QCOMPARE(HtmlHelp::WindowCount(), 1);
}

void tst_MHelp::closeHelpClosesTheWindows() {
    InstallHelpFile(QStringLiteral(KX4_HELP_FIXTURE));
    SetCommon("C:\\Studio");
    MHelp::InitHelp();
    MHelp::ShowHelp(0, 1234);
    QPointer<HelpWindow> window = HelpWindows().value(0);
    QVERIFY(window);
    MHelp::CloseHelp();
    QVERIFY(HelpWindows().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!window);
}

void tst_MHelp::shippedHelpFileOpensAtTheToolboxTopic() {
    InstallHelpFile(ShippedHelpFile());
    SetCommon("C:\\Studio");
    MHelp::InitHelp();
    MHelp::ShowHelp(0, 60002);
    const QList<HelpWindow*> windows = HelpWindows();
    QCOMPARE(windows.size(), 1);
    HelpWindow* window = windows.first();
    QCOMPARE(window->windowTitle(), QStringLiteral("KX4ToolBox Hilfe"));
    QCOMPARE(window->CurrentTopic(), QStringLiteral("/toolbox.htm"));
    QVERIFY(window->ContentsTree()->topLevelItemCount() >= 4);
    // The page's own entry, not the entry of a part of it.
    QTreeWidget* tree = window->ContentsTree();
    QTreeWidgetItem* page = tree->currentItem();
    QVERIFY(page);
    QCOMPARE(page->text(0), QStringLiteral("Die ToolBox"));
    QTreeWidgetItem* part = page->child(0);
    QCOMPARE(part->text(0), QString::fromUtf8("Menüs und Symbolleiste"));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(part).center());
    QCOMPARE(window->CurrentTopic(), QStringLiteral("/toolbox.htm#menues"));
    QCOMPARE(tree->currentItem(), part);
    QVERIFY(m_boxes.isEmpty());
}

// Every contents entry, link, picture and stylesheet of the shipped help leads into the file.
void tst_MHelp::shippedHelpFileHasNoBrokenLinks() {
    QString why;
    const std::unique_ptr<ChmFile> file = ChmFile::Open(ShippedHelpFile(), &why);
    QVERIFY2(file, qPrintable(why));
    for (quint32 context : {60002u, 60003u, 60004u}) {
        const std::optional<QString> topic = file->ContextTopic(context);
        QVERIFY2(topic && !file->ResolveTopic(*topic).isEmpty(), qPrintable(QString::number(context)));
    }
    const std::optional<QByteArray> contents = file->Read(file->ContentsFile());
    QVERIFY(contents);
    static const QRegularExpression local(QStringLiteral("name=\"Local\" value=\"([^\"]+)\""));
    static const QRegularExpression reference(QStringLiteral("(?:href|src)=\"([^\"]+)\""));
    int checked = 0;
    for (auto it = local.globalMatch(QString::fromUtf8(*contents)); it.hasNext(); ++checked) {
        const QString topic = it.next().captured(1);
        QVERIFY2(!file->ResolveTopic(topic).isEmpty(), qPrintable(topic));
    }
    const QStringList pages{"/index.htm",   "/toolbox.htm",      "/projekt.htm", "/script.htm",
                            "/befehle.htm", "/befehlszeile.htm", "/info.htm"};
    for (const QString& page : pages) {
        const std::optional<QByteArray> html = file->Read(page);
        QVERIFY2(html, qPrintable(page));
        for (auto it = reference.globalMatch(QString::fromUtf8(*html)); it.hasNext(); ++checked) {
            const HelpLink link = HelpLink::Parse(it.next().captured(1), page, "Toolbox.chm");
            QCOMPARE(link.kind, HelpLink::Kind::Topic);
            QVERIFY2(!file->ResolveTopic(link.topic).isEmpty(), qPrintable(page + " -> " + link.topic));
        }
    }
    QVERIFY(checked > 20);
}

QTEST_MAIN(tst_MHelp)
#include "tst_MHelp.moc"
