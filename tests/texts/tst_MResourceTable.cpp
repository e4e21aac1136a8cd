#include "platform/registry/Registry.h"
#include "studio/IStudioUtilities.h"
#include "texts/MResources.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The whole table in both languages, as the user sees it.
class tst_MResourceTable : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void texts_data();
    void texts();
    void fillingTwiceKeepsTexts();

private:
    void FillFor(quint32 lcid);
    std::unique_ptr<QTemporaryDir> m_prefix;
};

void tst_MResourceTable::init() {
    m_prefix = std::make_unique<QTemporaryDir>();
    QVERIFY(m_prefix->isValid());
    qputenv("KX4_PREFIX", m_prefix->path().toUtf8());
    MResources::ResetForTesting();
}

void tst_MResourceTable::cleanup() {
    MResources::ResetForTesting();
    m_prefix.reset();
}

void tst_MResourceTable::FillFor(quint32 lcid) {
    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio, RegValue::Dword("LCID", lcid)),
             long(ERROR_SUCCESS));
    MResources::InitLanguage();
}

void tst_MResourceTable::texts_data() {
    QTest::addColumn<qint32>("id");
    QTest::addColumn<QString>("german");
    QTest::addColumn<QString>("english");

    const auto row = [](qint32 id, const char* use, const char* german, const char* english) {
        QTest::addRow("%d %s", id, use) << id << QString::fromUtf8(german) << QString::fromUtf8(english);
    };
    row(10, "open button", "OK", "OK");
    row(11, "cancel button", "Abbrechen", "Cancel");
    row(12, "help button", "&Hilfe", "&Help");
    row(13, "open caption", "Ö&ffnen", "&Open");
    row(80, "product name, German only", "KestrixStudio", "Resource 80 not found");
    row(90, "message title", "KestrixStudio ToolBox - Meldung @1@", "KestrixStudio ToolBox - Message @1@");
    row(91, "no installation path", "Es ist kein Installationspfad von KestrixStudio registriert.",
        "No KestrixStudio installation path is registered.");
    row(92, "missing installation folder",
        "Das registrierte Installationsverzeichnis von KestrixStudio existiert nicht:\\n@1@",
        "The registered KestrixStudio installation folder does not exist:\\n@1@");
    row(100, "main window", "KestrixStudio ToolBox", "KestrixStudio ToolBox");
    row(110, "File menu", "&Datei", "&File");
    row(111, "File Open", "Ö&ffnen", "&Open");
    row(112, "File Close", "&Schließen", "&Close");
    row(113, "File separator", "-", "-");
    row(114, "File End", "&Beenden", "&End");
    row(130, "Extras menu", "&Extras", "&Extras");
    row(131, "run a script file", "&Scriptdatei ausführen", "&Procedure Script file");
    row(140, "help menu", "&?", "&?");
    row(141, "help item", "&Hilfe", "&Help");
    row(142, "about item", "&Info", "&Info");
    row(200, "open dialog caption", "KestrixStudio ToolBox - Projekt öffnen",
        "KestrixStudio ToolBox - Open Project");
    row(201, "open dialog label", "Registrierte Projekte", "Registered Projects");
    row(210, "name column", "Name", "Name");
    row(211, "directory column", "Verzeichnis", "Directory");
    row(212, "type column", "Typ", "Type");
    row(300, "explorer window caption", "KestrixStudio Projekt-Explorer", "KestrixStudio Project Explorer");
}

void tst_MResourceTable::texts() {
    QFETCH(qint32, id);
    QFETCH(QString, german);
    QFETCH(QString, english);

    FillFor(1031);
    QCOMPARE(MResources::GetResString(id), german);

    MResources::ResetForTesting();
    FillFor(1033);
    QCOMPARE(MResources::GetResString(id), english);
}

void tst_MResourceTable::fillingTwiceKeepsTexts() {
    MResources::AddResource(10, {"Vorher", "Before"});
    FillFor(1033);
    QCOMPARE(MResources::GetResString(10), QString("Before"));
    FillFor(1031);
    QCOMPARE(MResources::GetResString(10), QString("Vorher"));
    QCOMPARE(MResources::GetResString(11), QString("Abbrechen"));
}

QTEST_GUILESS_MAIN(tst_MResourceTable)
#include "tst_MResourceTable.moc"
