#include "help/FAbout.h"

#include "platform/registry/Registry.h"
#include "platform/windows/MessageBox.h"
#include "texts/MResources.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

class tst_FAbout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void captions_data();
    void captions();
    void eachShowingLoadsTheBoxAgain();
    void oneBoxPerProcess();
    void escapeCloses();
    void getKeyValue_data();
    void getKeyValue();
    void getKeyValueOnReadOnlyHive();
    void startSysInfo_data();
    void startSysInfo();

private:
    // Shows the box modally and runs check on it once it is up; check must close it.
    void WhileShown(const std::function<void(FAbout*)>& check);
    void MakeProgram(const QString& localPath);

    std::unique_ptr<QTemporaryDir> m_prefix;
    QStringList m_boxes;
};

namespace {

const QString Location = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString MsInfo = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString Unavailable =
    QString::fromUtf8("KX4ToolBox: Systeminformationen sind momentan nicht verfügbar");

int AboutBoxes() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += qobject_cast<FAbout*>(widget) != nullptr;
    return count;
}

} // namespace

void tst_FAbout::init() {
    m_prefix = std::make_unique<QTemporaryDir>();
    QVERIFY(m_prefix->isValid());
    qputenv("KX4_PREFIX", QFile::encodeName(m_prefix->path()));
    m_boxes.clear();
    MessageBox::SetHook([this](const QString& text, const QString& title, MessageBox::Icon icon) {
        m_boxes.append(title + ": " + text);
        QCOMPARE(icon, MessageBox::Icon::None);
    });
}

void tst_FAbout::cleanup() {
    MessageBox::SetHook({});
    QVERIFY(!FAbout::Current());
    QCOMPARE(AboutBoxes(), 0);
    MResources::ResetForTesting();
    m_prefix.reset();
}

void tst_FAbout::WhileShown(const std::function<void(FAbout*)>& check) {
    bool ran = false;
    QTimer::singleShot(0, this, [&] {
        FAbout* box = FAbout::Current();
        ran = true;
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QVERIFY(box->isModal());
        check(box);
        // A failed check above leaves the box open: close it so the test does not hang.
        if (FAbout::Current())
            FAbout::Current()->reject();
    });
    FAbout::ShowModal();
    QVERIFY(ran);
    QVERIFY(!FAbout::Current());
}

void tst_FAbout::captions_data() {
    QTest::addColumn<quint32>("lcid");
    QTest::addColumn<QString>("helpMenu");
    QTest::newRow("German setting") << 1031u << "&Hilfe";
    QTest::newRow("English setting") << 1033u << "&Help";
}

void tst_FAbout::captions() {
    QFETCH(quint32, lcid);
    QFETCH(QString, helpMenu);
    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "Software\\HALVERN GmbH\\Kestrix\\4.0",
                                     RegValue::Dword("LCID", lcid)),
             ERROR_SUCCESS);
    MResources::InitLanguage();
    QCOMPARE(MResources::GetResString(141), helpMenu);

    WhileShown([](FAbout* box) {
        QCOMPARE(box->windowTitle(), QStringLiteral("Info zu KX4ToolBox"));
        QCOMPARE(box->lblTitle->text(), QStringLiteral("KX4ToolBox"));
        // Major, minor and revision of 4.4.0.2; not the build number.
        QCOMPARE(box->lblVersion->text(), QStringLiteral("Version 4.4.2"));
        QCOMPARE(box->lblDescription->text(),
                 QStringLiteral("Rahmenapplikation zum Zugriff auf die KestrixStudio-Editorkomponenten"));
        QCOMPARE(box->cmdOK->text(), QStringLiteral("OK"));
        QVERIFY(!box->picIcon->pixmap().isNull());
        QCOMPARE(box->picIcon->pixmap().size(), QSize(32, 32));
        QTest::mouseClick(box->cmdOK, Qt::LeftButton);
    });
}

void tst_FAbout::eachShowingLoadsTheBoxAgain() {
    WhileShown([](FAbout* box) {
        box->lblTitle->setText("verändert");
        box->setWindowTitle("verändert");
        box->cmdOK->click();
    });
    WhileShown([](FAbout* box) {
        QCOMPARE(box->lblTitle->text(), QStringLiteral("KX4ToolBox"));
        QCOMPARE(box->windowTitle(), QStringLiteral("Info zu KX4ToolBox"));
        box->cmdOK->click();
    });
}

void tst_FAbout::oneBoxPerProcess() {
    WhileShown([](FAbout* box) {
        FAbout::ShowModal(); // returns at once: the box is up already
        QCOMPARE(AboutBoxes(), 1);
        QCOMPARE(FAbout::Current(), box);
        box->cmdOK->click();
    });
}

void tst_FAbout::escapeCloses() {
    WhileShown([](FAbout* box) { QTest::keyClick(box, Qt::Key_Escape); });
}

void tst_FAbout::getKeyValue_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("read");
    QTest::addColumn<QString>("text");

    const QString key = QStringLiteral("SOFTWARE\\Test\\Werte");
    const QByteArray stored = EncodeRegString(QString::fromUtf8("C:\\Programme\\Übersicht.exe"));
    QTest::newRow("string with terminator")
        << key << quint32(REG_SZ) << stored << true << QString::fromUtf8("C:\\Programme\\Übersicht.exe");
    QTest::newRow("string without terminator") << key << quint32(REG_SZ) << stored.chopped(2) << true
                                               << QString::fromUtf8("C:\\Programme\\Übersicht.exe");
    QTest::newRow("empty string") << key << quint32(REG_SZ) << EncodeRegString("") << true << "";
    QTest::newRow("zero inside the string stays")
        << key << quint32(REG_SZ) << QByteArray("a\0\0\0b\0\0\0", 8) << true << QString::fromUtf8("a\0b", 3);
    QTest::newRow("two terminators lose only the last")
        << key << quint32(REG_SZ) << stored + QByteArray(2, '\0') << true
        << QString::fromUtf8("C:\\Programme\\Übersicht.exe") + QChar(0);
    QTest::newRow("string filling the buffer with its terminator")
        << key << quint32(REG_SZ) << EncodeRegString(QString(1023, 'x')) << true << QString(1023, 'x');
    QTest::newRow("string over the buffer")
        << key << quint32(REG_SZ) << EncodeRegString(QString(1024, 'x')) << false << "";
    QTest::newRow("number") << key << quint32(REG_DWORD) << QByteArray::fromHex("00010000") << true << "256";
    QTest::newRow("number with every bit set")
        << key << quint32(REG_DWORD) << QByteArray::fromHex("ffffffff") << true << "4294967295";
    QTest::newRow("number zero") << key << quint32(REG_DWORD) << QByteArray::fromHex("00000000") << true
                                 << "0";
    QTest::newRow("other type keeps the text")
        << key << quint32(REG_BINARY) << QByteArray("\x01\x02", 2) << true << "vorher";
    QTest::newRow("missing value") << key << quint32(REG_NONE) << QByteArray() << false << "";
    QTest::newRow("missing key") << "SOFTWARE\\Test\\Fehlt" << quint32(REG_NONE) << QByteArray() << false
                                 << "";
}

void tst_FAbout::getKeyValue() {
    QFETCH(QString, key);
    QFETCH(quint32, type);
    QFETCH(QByteArray, data);
    QFETCH(bool, read);
    QFETCH(QString, text);
    const QString stored = QStringLiteral("SOFTWARE\\Test\\Werte");
    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, stored, RegValue::String("Anderer", "x")),
             ERROR_SUCCESS);
    if (type != REG_NONE)
        QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, stored, RegValue{"Wert", type, data}),
                 ERROR_SUCCESS);

    QString value = QStringLiteral("vorher");
    QCOMPARE(FAbout::GetKeyValue(HKEY_LOCAL_MACHINE, key, "Wert", value), read);
    QCOMPARE(value, text);
}

void tst_FAbout::getKeyValueOnReadOnlyHive() {
    QCOMPARE(
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, MsInfo, RegValue::String("PATH", "C:\\msinfo32.exe")),
        ERROR_SUCCESS);
    QString value = QStringLiteral("vorher");
    QVERIFY(FAbout::GetKeyValue(HKEY_LOCAL_MACHINE, MsInfo, "PATH", value));
    QCOMPARE(value, QStringLiteral("C:\\msinfo32.exe"));

    // The box asks for write access too, which a read-only hive refuses.
    QFile hive(RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE));
    QVERIFY(hive.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    value = QStringLiteral("vorher");
    QVERIFY(!FAbout::GetKeyValue(HKEY_LOCAL_MACHINE, MsInfo, "PATH", value));
    QCOMPARE(value, QString());
    // The user's hive is another file and still answers.
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, MsInfo, RegValue::String("PATH", "D:\\x.exe")),
             ERROR_SUCCESS);
    QVERIFY(FAbout::GetKeyValue(HKEY_CURRENT_USER, MsInfo, "PATH", value));
    QCOMPARE(value, QStringLiteral("D:\\x.exe"));

    FAbout::StartSysInfo();
    QCOMPARE(m_boxes, QStringList{Unavailable});
    QVERIFY(hive.setPermissions(hive.permissions() | QFile::WriteOwner));
}

void tst_FAbout::MakeProgram(const QString& localPath) {
    QVERIFY(QDir().mkpath(QFileInfo(localPath).path()));
    QFile program(localPath);
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.write("#!/bin/sh\necho gestartet > \"" + QFile::encodeName(m_prefix->path()) + "/started\"\n");
    program.close();
    QVERIFY(program.setPermissions(program.permissions() | QFile::ExeOwner));
}

void tst_FAbout::startSysInfo_data() {
    QTest::addColumn<QString>("path");    // PATH under MSINFO, empty for none
    QTest::addColumn<QString>("folder");  // MSINFO under Shared Tools Location, empty for none
    QTest::addColumn<QString>("program"); // the program's file below the prefix's drive c, empty for none
    QTest::addColumn<bool>("executable");
    QTest::addColumn<bool>("started");

    const QString tools = QStringLiteral("C:\\Programme\\Gemeinsame Dateien\\MSInfo");
    const QString onDisk = QStringLiteral("programme/gemeinsame dateien/msinfo/");
    QTest::newRow("program named by its path") << tools + "\\msinfo32.exe"
                                               << "" << onDisk + "msinfo32.exe" << true << true;
    QTest::newRow("program in the folder of the second key")
        << "" << tools << onDisk + "MSINFO32.EXE" << true << true;
    QTest::newRow("folder name matched without regard to case")
        << ""
        << "c:\\PROGRAMME\\gemeinsame dateien\\msinfo" << onDisk + "msinfo32.exe" << true << true;
    QTest::newRow("first key wins over the second") << tools + "\\msinfo32.exe"
                                                    << "C:\\Leer" << onDisk + "msinfo32.exe" << true << true;
    QTest::newRow("folder without the program") << "" << tools << "" << true << false;
    QTest::newRow("path to a missing program") << tools + "\\msinfo32.exe"
                                               << ""
                                               << "" << true << false;
    QTest::newRow("path to a file that is no program") << tools + "\\msinfo32.exe"
                                                       << "" << onDisk + "msinfo32.exe" << false << false;
    QTest::newRow("no key at all") << ""
                                   << ""
                                   << "" << true << false;
}

void tst_FAbout::startSysInfo() {
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QFETCH(QString, program);
    QFETCH(bool, executable);
    QFETCH(bool, started);
    if (!path.isEmpty())
        QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, MsInfo, RegValue::String("PATH", path)),
                 ERROR_SUCCESS);
    if (!folder.isEmpty())
        QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, Location, RegValue::String("MSINFO", folder)),
                 ERROR_SUCCESS);
    if (!program.isEmpty()) {
        const QString local = m_prefix->path() + "/drives/c/" + program;
        MakeProgram(local);
        if (!executable)
            QVERIFY(QFile::setPermissions(local, QFile::ReadOwner | QFile::WriteOwner));
    }
    QVERIFY(QDir().mkpath(m_prefix->path() + "/drives/c/leer"));

    FAbout::StartSysInfo();
    if (started) {
        QVERIFY(m_boxes.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_prefix->path() + "/started"), 10000);
    } else {
        QCOMPARE(m_boxes, QStringList{Unavailable});
        QTest::qWait(100);
        QVERIFY(!QFile::exists(m_prefix->path() + "/started"));
    }
}

QTEST_MAIN(tst_FAbout)
#include "tst_FAbout.moc"
