#include "help/FAbout.h"
#include "help/MHelp.h"

#include "platform/help/HelpWindow.h"
#include "platform/help/HtmlHelp.h"
#include "platform/registry/Registry.h"
#include "platform/windows/MessageBox.h"
#include "texts/MResources.h"

#include "common/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QLocale>

namespace {

const QString MakerKey = QStringLiteral("SOFTWARE\\HALVERN GmbH");

void Set(HKEY root, const QString& key, const RegValue& value) {
    QCOMPARE(RegistryStore::SetValue(root, key, value), long(ERROR_SUCCESS));
}

} // namespace

// The Help menu: the toolbox's help, and the about box's registry reads and system information.
class tst_HelpMenu : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSupport::TempPrefix> m_prefix;
    QStringList m_boxes;

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
        QCOMPARE(HtmlHelp::WindowCount(), 0);
        MessageBox::SetHook({});
        MResources::ResetForTesting();
        m_prefix.reset();
    }

    // No common folder: the help system's own complaint, naming the file as the program gave it.
    // With the shipped help file: one window, at the topic of the last call (the toolbox's page for
    // the toolbox's context).
    void initHelp() {
        const QString drive = m_prefix->Path() + "/drives/c/"; // the help file in lower case on the disk
        QVERIFY(QDir().mkpath(drive + "studio/helpfiles"));
        QVERIFY(QFile::copy(qEnvironmentVariable("KX4_BUILD_DIR") + "/share/kx4toolbox/help/Toolbox.chm",
                            drive + "studio/helpfiles/toolbox.chm"));
        MHelp::InitHelp();
        MHelp::ShowHelp(0, 60002);
        QCOMPARE(HtmlHelp::WindowCount(), 0);
        QCOMPARE(m_boxes.size(), 1);
        QVERIFY2(m_boxes.first().contains("\"\\HelpFiles\\Toolbox.chm\": the file does not exist"),
                 qPrintable(m_boxes.first()));
        Set(HKEY_LOCAL_MACHINE, MakerKey, RegValue::String("Common", "C:\\Studio"));
        MHelp::InitHelp();
        QCOMPARE(MHelp::AppHelpFile(), "C:\\Studio\\HelpFiles\\Toolbox.chm");
        MHelp::ShowHelp(0, 60003);
        MHelp::ShowHelp(0, 60002);
        QCOMPARE(HtmlHelp::WindowCount(), 1);
        QCOMPARE(m_boxes.size(), 1);
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<HelpWindow*>(widget))
                QCOMPARE(window->windowTitle() + ' ' + window->CurrentTopic(),
                         "KX4ToolBox Hilfe /toolbox.htm");
    }

    void getKeyValue_data() {
        QTest::addColumn<quint32>("type"); // REG_NONE: no value
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("text");
        const QString path = QString::fromUtf8("C:\\Programme\\Übersicht.exe");
        const QByteArray stored = EncodeRegString(path);
        const QString x1023(1023, 'x');
        // clang-format off
        QTest::newRow("string with terminator")    << quint32(REG_SZ) << stored << true << path;
        QTest::newRow("string without terminator") << quint32(REG_SZ) << stored.chopped(2) << true << path;
        QTest::newRow("string filling the buffer") << quint32(REG_SZ) << EncodeRegString(x1023) << true << x1023;
        QTest::newRow("string over the buffer")    << quint32(REG_SZ) << EncodeRegString(x1023 + 'x') << false << "";
        QTest::newRow("number")                    << quint32(REG_DWORD) << QByteArray::fromHex("00010000") << true << "256";
        QTest::newRow("other type keeps the text") << quint32(REG_BINARY) << QByteArray("\x01\x02", 2) << true << "vorher";
        QTest::newRow("missing value")             << quint32(REG_NONE) << QByteArray() << false << "";
        // clang-format on
    }
    void getKeyValue() {
        QFETCH(quint32, type);
        QFETCH(QByteArray, data);
        const QString key = QStringLiteral("SOFTWARE\\Test\\Werte");
        Set(HKEY_LOCAL_MACHINE, key, RegValue::String("Anderer", "x"));
        if (type != REG_NONE)
            Set(HKEY_LOCAL_MACHINE, key, RegValue{"Wert", type, data});
        QString value = QStringLiteral("vorher");
        QTEST(FAbout::GetKeyValue(HKEY_LOCAL_MACHINE, key, "Wert", value), "read");
        QTEST(value, "text");
    }

    void startSysInfo_data() {
        QTest::addColumn<QString>("path");    // PATH under MSINFO, empty for none
        QTest::addColumn<QString>("folder");  // MSINFO under Shared Tools Location, empty for none
        QTest::addColumn<QString>("program"); // the program's file below drive c, empty for none
        QTest::addColumn<bool>("executable");
        QTest::addColumn<bool>("started");
        const QString tools = QStringLiteral("C:\\Programme\\Gemeinsame Dateien\\MSInfo");
        const QString exe = tools + "\\msinfo32.exe";
        const QString onDisk = QStringLiteral("programme/gemeinsame dateien/msinfo/msinfo32.exe");
        // clang-format off
        QTest::newRow("program named by its path in quotes") << '"' + exe + '"' << ""         << onDisk << true   << true;
        QTest::newRow("program in the folder of the second key") << "" << tools << onDisk.toUpper() << true  << true;
        QTest::newRow("path to a file that is no program") << exe << ""         << onDisk << false  << false;
        QTest::newRow("folder without the program")        << ""  << tools      << ""     << true   << false;
        QTest::newRow("no key at all")                     << ""  << ""         << ""     << true   << false;
        // clang-format on
    }
    void startSysInfo() {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(QString, program);
        QFETCH(bool, executable);
        QFETCH(bool, started);
        const QString shared = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools");
        if (!path.isEmpty())
            Set(HKEY_LOCAL_MACHINE, shared + "\\MSINFO", RegValue::String("PATH", path));
        if (!folder.isEmpty())
            Set(HKEY_LOCAL_MACHINE, shared + " Location", RegValue::String("MSINFO", folder));
        const QString drive = m_prefix->Path() + "/drives/c/";
        if (!program.isEmpty()) {
            const QByteArray mark = QFile::encodeName(m_prefix->Work() + "/started");
            QVERIFY(TestSupport::WriteFile(drive + program, "#!/bin/sh\necho x > \"" + mark + "\"\n"));
            QVERIFY(QFile::setPermissions(drive + program, executable ? QFile::ReadOwner | QFile::ExeOwner
                                                                      : QFile::ReadOwner));
        }
        FAbout::StartSysInfo();
        QCOMPARE(m_boxes, started
                              ? QStringList()
                              : QStringList{"KX4ToolBox: Systeminformationen sind momentan nicht verfügbar"});
        QTest::qWait(started ? 0 : 100); // long enough for a program wrongly started
        QTRY_COMPARE_WITH_TIMEOUT(QFile::exists(m_prefix->Work() + "/started"), started, 10000);
    }
};

QTEST_MAIN(tst_HelpMenu)
#include "tst_HelpMenu.moc"
