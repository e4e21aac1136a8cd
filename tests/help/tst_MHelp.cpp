#include "help/MHelp.h"

#include "platform/help/HelpWindow.h"
#include "platform/help/HtmlHelp.h"
#include "platform/registry/Registry.h"
#include "platform/windows/MessageBox.h"

#include "common/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QTest>

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

class tst_MHelp : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSupport::TempPrefix> m_prefix;
    QStringList m_boxes;

    void SetCommon(const QString& common) {
        QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, MakerKey, RegValue::String("Common", common)),
                 ERROR_SUCCESS);
    }
    // The help file where a studio installation puts it, in lower case on the disk.
    void InstallHelpFile(const QString& source) {
        const QString folder = m_prefix->Path() + "/drives/c/studio/helpfiles";
        QVERIFY(QDir().mkpath(folder));
        QVERIFY2(QFile::copy(source, folder + "/toolbox.chm"), qPrintable(source));
    }

private Q_SLOTS:
    void initTestCase() {
        // The help system's complaints follow the system's language; these tests read its English.
        QLocale::setDefault(QLocale(QLocale::English));
    }

    void init() {
        m_prefix = std::make_unique<TestSupport::TempPrefix>();
        m_boxes.clear();
        MessageBox::SetHook([this](const QString& text, const QString& title, MessageBox::Icon) {
            m_boxes.append(title + ": " + text);
        });
    }

    void cleanup() {
        MHelp::CloseHelp();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(HelpWindows().isEmpty());
        MessageBox::SetHook({});
        m_prefix.reset();
    }

    void initHelp_data() {
        QTest::addColumn<QString>("common"); // null: no value
        QTest::addColumn<QString>("appHelpFile");
        QTest::addColumn<bool>("found");
        // clang-format off
        QTest::newRow("common folder")                       << "C:\\Studio"   << "C:\\Studio\\HelpFiles\\Toolbox.chm"   << true;
        QTest::newRow("common folder ending in a backslash") << "C:\\Studio\\" << "C:\\Studio\\\\HelpFiles\\Toolbox.chm" << true;
        QTest::newRow("no common value")                     << QString()       << "\\HelpFiles\\Toolbox.chm"             << false;
        QTest::newRow("common folder without the help file") << "C:\\Anderswo" << "C:\\Anderswo\\HelpFiles\\Toolbox.chm" << false;
        // clang-format on
    }

    // With the shipped help file: one window, at the topic of the last call (the toolbox's page
    // for the toolbox's context), until CloseHelp.
    void initHelp() {
        QFETCH(QString, common);
        QFETCH(QString, appHelpFile);
        QFETCH(bool, found);
        InstallHelpFile(ShippedHelpFile());
        QVERIFY(QDir().mkpath(m_prefix->Path() + "/drives/c/anderswo"));
        if (!common.isNull())
            SetCommon(common);
        MHelp::InitHelp();
        QCOMPARE(MHelp::AppHelpFile(), appHelpFile);
        MHelp::ShowHelp(0, 60003);
        MHelp::ShowHelp(0, 60002);
        QCOMPARE(HelpWindows().size(), int(found));
        QCOMPARE(HtmlHelp::WindowCount(), int(found));
        if (found) {
            QVERIFY(m_boxes.isEmpty());
            QPointer<HelpWindow> window = HelpWindows().first();
            QCOMPARE(window->windowTitle() + ' ' + window->CurrentTopic(),
                     QStringLiteral("KX4ToolBox Hilfe /toolbox.htm"));
            MHelp::CloseHelp();
            QVERIFY(HelpWindows().isEmpty());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!window);
        } else { // the help system's own complaint, naming the file as the program gave it
            QCOMPARE(m_boxes.size(), 2);
            QVERIFY2(m_boxes.first().contains("\"" + appHelpFile + "\": the file does not exist"),
                     qPrintable(m_boxes.first()));
        }
    }
};

QTEST_MAIN(tst_MHelp)
#include "tst_MHelp.moc"
