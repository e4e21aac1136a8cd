#include "help/FAbout.h"

#include "platform/registry/Registry.h"
#include "platform/windows/MessageBox.h"
#include "texts/MResources.h"

#include "common/TestSupport.h"

#include <QDir>

namespace {

const QString Location = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString MsInfo = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString Unavailable =
    QString::fromUtf8("KX4ToolBox: Systeminformationen sind momentan nicht verfügbar");

void Set(HKEY root, const QString& key, const RegValue& value) {
    QCOMPARE(RegistryStore::SetValue(root, key, value), long(ERROR_SUCCESS));
}

} // namespace

class tst_FAbout : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSupport::TempPrefix> m_prefix;
    QStringList m_boxes;

private Q_SLOTS:
    void init() {
        m_prefix = std::make_unique<TestSupport::TempPrefix>();
        m_boxes.clear();
        MessageBox::SetHook([this](const QString& text, const QString& title, MessageBox::Icon icon) {
            m_boxes.append(title + ": " + text);
            QCOMPARE(icon, MessageBox::Icon::None);
        });
    }
    void cleanup() {
        MessageBox::SetHook({});
        MResources::ResetForTesting();
        m_prefix.reset();
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
        QTest::newRow("two terminators lose only the last") << quint32(REG_SZ) << stored + QByteArray(2, '\0') << true << path + QChar(0);
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
        value = QStringLiteral("vorher");
        QVERIFY(!FAbout::GetKeyValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Test\\Fehlt", "Wert", value));
        QCOMPARE(value, QString());
    }

    void startSysInfo_data() {
        QTest::addColumn<QString>("path");    // PATH under MSINFO, empty for none
        QTest::addColumn<QString>("folder");  // MSINFO under Shared Tools Location, empty for none
        QTest::addColumn<QString>("program"); // the program's file below drive c, empty for none
        QTest::addColumn<bool>("executable");
        QTest::addColumn<bool>("readOnly"); // the machine's hive: the box asks for write access too
        QTest::addColumn<bool>("started");
        const QString tools = QStringLiteral("C:\\Programme\\Gemeinsame Dateien\\MSInfo");
        const QString exe = tools + "\\msinfo32.exe";
        const QString onDisk = QStringLiteral("programme/gemeinsame dateien/msinfo/msinfo32.exe");
        // clang-format off
        QTest::newRow("program named by its path")         << exe << ""         << onDisk << true  << false << true;
        QTest::newRow("program in the folder of the second key") << "" << tools << onDisk.toUpper() << true << false << true;
        QTest::newRow("path to a file that is no program") << exe << ""         << onDisk << false << false << false;
        QTest::newRow("no key at all")                     << ""  << ""         << ""     << true  << false << false;
        QTest::newRow("read-only machine hive")            << exe << ""         << onDisk << true  << true  << false;
        // clang-format on
    }
    void startSysInfo() {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(QString, program);
        QFETCH(bool, executable);
        QFETCH(bool, readOnly);
        QFETCH(bool, started);
        if (!path.isEmpty())
            Set(HKEY_LOCAL_MACHINE, MsInfo, RegValue::String("PATH", path));
        if (!folder.isEmpty())
            Set(HKEY_LOCAL_MACHINE, Location, RegValue::String("MSINFO", folder));
        const QString drive = m_prefix->Path() + "/drives/c/";
        QVERIFY(QDir().mkpath(drive + "leer"));
        if (!program.isEmpty()) {
            QVERIFY(QDir().mkpath(QFileInfo(drive + program).path()));
            QFile file(drive + program);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("#!/bin/sh\necho gestartet > \"" + QFile::encodeName(m_prefix->Work()) +
                       "/started\"\n");
            file.close();
            QVERIFY(file.setPermissions(executable ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner));
        }
        QFile hive(RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE));
        QVERIFY(!readOnly || hive.setPermissions(QFile::ReadOwner));
        FAbout::StartSysInfo();
        QVERIFY(!readOnly || hive.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(m_boxes, started ? QStringList() : QStringList{Unavailable});
        if (started)
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_prefix->Work() + "/started"), 10000);
        QTest::qWait(started ? 0 : 100);
        QCOMPARE(QFile::exists(m_prefix->Work() + "/started"), started);
    }
};

QTEST_MAIN(tst_FAbout)
#include "tst_FAbout.moc"
