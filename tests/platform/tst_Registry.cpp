#include "HiveFixture.h"
#include "platform/registry/RegErrorText.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryBatch.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Every test function gets a prefix of its own.
class tst_Registry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void valueEncoding_data();
    void valueEncoding();
    void parseRoot_data();
    void parseRoot();
    void keyPaths_data();
    void keyPaths();
    void caseRules_data();
    void caseRules();
    void enumerationOrder();
    void replaceKeepsPosition();
    void classesRootIsMachineClasses();
    void deleteTree();
    void deleteValue();
    void emptyPrefixReads();
    void prefixSwitch();
    void readOnlyHive();
    void readsSeeBatchChanges();
    void manyPrefixesInTurn();
    void hiveFileReplaced();
    void damagedHive_data();
    void damagedHive();
    void cacheFollowsOwnChanges_data();
    void cacheFollowsOwnChanges();

private:
    std::unique_ptr<QTemporaryDir> m_prefix;
};

void tst_Registry::init() {
    m_prefix = std::make_unique<QTemporaryDir>();
    QVERIFY(m_prefix->isValid());
    // A folder that does not exist yet: the first write creates it.
    qputenv("KX4_PREFIX", QFile::encodeName(m_prefix->path() + "/prefix"));
}

void tst_Registry::cleanup() {
    qunsetenv("KX4_PREFIX");
    m_prefix.reset();
}

void tst_Registry::valueEncoding_data() {
    QTest::addColumn<RegValue>("value");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("number");
    QTest::newRow("string with terminator")
        << RegValue::String("a", "Hi") << QByteArray("H\0i\0\0\0", 6) << "Hi" << 0u;
    QTest::newRow("empty string is one zero unit")
        << RegValue::String("a", "") << QByteArray("\0\0", 2) << "" << 0u;
    QTest::newRow("non-ASCII as UTF-16LE")
        << RegValue::String("a", QString::fromUtf8("Ü€")) << QByteArray("\xdc\0\xac\x20\0\0", 6)
        << QString::fromUtf8("Ü€") << 0u;
    QTest::newRow("text stops at the first zero")
        << RegValue{"a", REG_SZ, QByteArray("a\0\0\0b\0", 6)} << QByteArray("a\0\0\0b\0", 6) << "a" << 0u;
    QTest::newRow("text without terminator")
        << RegValue{"a", REG_SZ, QByteArray("a\0b\0", 4)} << QByteArray("a\0b\0", 4) << "ab" << 0u;
    QTest::newRow("dword little-endian")
        << RegValue::Dword("d", 0x12345678) << QByteArray("\x78\x56\x34\x12", 4) << "" << 0x12345678u;
    QTest::newRow("short dword reads as zero")
        << RegValue{"d", REG_DWORD, QByteArray("\x01\x02", 2)} << QByteArray("\x01\x02", 2) << "" << 0u;
}

void tst_Registry::valueEncoding() {
    QFETCH(RegValue, value);
    QFETCH(QByteArray, data);
    QFETCH(QString, text);
    QFETCH(quint32, number);
    QCOMPARE(value.data, data);
    if (value.type == REG_SZ)
        QCOMPARE(value.Text(), text);
    else
        QCOMPARE(value.Number(), number);
    // Stored and read back byte for byte.
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "Software\\T", value), long(ERROR_SUCCESS));
    RegValue back;
    QCOMPARE(RegistryStore::QueryValue(HKEY_CURRENT_USER, "Software\\T", value.name, &back),
             long(ERROR_SUCCESS));
    QCOMPARE(back, value);
}

void tst_Registry::parseRoot_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("known");
    QTest::addColumn<quint32>("root");
    QTest::newRow("short machine") << "HKLM" << true << HKEY_LOCAL_MACHINE;
    QTest::newRow("long machine") << "HKEY_LOCAL_MACHINE" << true << HKEY_LOCAL_MACHINE;
    QTest::newRow("short user, lower case") << "hkcu" << true << HKEY_CURRENT_USER;
    QTest::newRow("long user") << "HKEY_CURRENT_USER" << true << HKEY_CURRENT_USER;
    QTest::newRow("short classes") << "HKCR" << true << HKEY_CLASSES_ROOT;
    QTest::newRow("long classes") << "HKEY_CLASSES_ROOT" << true << HKEY_CLASSES_ROOT;
    QTest::newRow("users hive is not kept") << "HKU" << false << 0u;
    QTest::newRow("empty") << "" << false << 0u;
}

void tst_Registry::parseRoot() {
    QFETCH(QString, name);
    QFETCH(bool, known);
    QFETCH(quint32, root);
    HKEY parsed = 0;
    QCOMPARE(RegistryStore::ParseRoot(name, &parsed), known);
    if (known) {
        QCOMPARE(parsed, root);
        HKEY back = 0;
        QVERIFY(RegistryStore::ParseRoot(RegistryStore::RootName(root), &back));
        QCOMPARE(back, root);
    }
}

void tst_Registry::keyPaths_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<long>("result");
    QTest::addColumn<QString>("sameAs");
    QTest::newRow("plain") << "A\\B" << long(ERROR_SUCCESS) << "A\\B";
    QTest::newRow("leading and trailing backslashes") << "\\A\\B\\" << long(ERROR_SUCCESS) << "A\\B";
    QTest::newRow("empty component") << "A\\\\B" << long(ERROR_INVALID_PARAMETER) << "";
    QTest::newRow("name of 255 characters")
        << "A\\" + QString(255, 'n') << long(ERROR_SUCCESS) << "A\\" + QString(255, 'N');
    QTest::newRow("name of 256 characters")
        << "A\\" + QString(256, 'n') << long(ERROR_INVALID_PARAMETER) << "";
    QTest::newRow("spaces and dots are names") << "A\\ . \\x.y" << long(ERROR_SUCCESS) << "a\\ . \\X.Y";
}

void tst_Registry::keyPaths() {
    QFETCH(QString, key);
    QFETCH(long, result);
    QFETCH(QString, sameAs);
    QCOMPARE(RegistryStore::CreateKey(HKEY_CURRENT_USER, key), result);
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, key, RegValue::Dword("v", 1)), result);
    if (result == ERROR_SUCCESS) {
        QVERIFY(RegistryStore::KeyExists(HKEY_CURRENT_USER, sameAs));
        RegValue v;
        QCOMPARE(RegistryStore::QueryValue(HKEY_CURRENT_USER, sameAs, "V", &v), long(ERROR_SUCCESS));
    } else {
        QStringList top;
        QCOMPARE(RegistryStore::EnumKeys(HKEY_CURRENT_USER, "", &top), long(ERROR_SUCCESS));
        QVERIFY2(top.isEmpty(), "a refused path created nothing");
    }
}

void tst_Registry::caseRules_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("asked");
    QTest::newRow("ASCII") << "Software\\Kestrix"
                           << "SOFTWARE\\kestrix";
    QTest::newRow("umlaut") << QString::fromUtf8("Prüfung\\Übersicht")
                            << QString::fromUtf8("PRÜFUNG\\übersicht");
    QTest::newRow("Greek") << QString::fromUtf8("Σίγμα") << QString::fromUtf8("σίγμα");
    QTest::newRow("Cyrillic") << QString::fromUtf8("Ключ") << QString::fromUtf8("КЛЮЧ");
}

void tst_Registry::caseRules() {
    QFETCH(QString, written);
    QFETCH(QString, asked);
    const QString valueName = written.section('\\', -1) + "Wert";
    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, written, RegValue::String(valueName, "x")),
             long(ERROR_SUCCESS));
    QVERIFY(RegistryStore::KeyExists(HKEY_LOCAL_MACHINE, asked));
    RegValue v;
    QCOMPARE(RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, asked, valueName.toUpper(), &v),
             long(ERROR_SUCCESS));
    QCOMPARE(v.name, valueName); // kept as written

    // Writing under another case changes the one key and value, not a second one.
    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, asked, RegValue::String(valueName.toLower(), "y")),
             long(ERROR_SUCCESS));
    QList<RegValue> values;
    QCOMPARE(RegistryStore::EnumValues(HKEY_LOCAL_MACHINE, written, &values), long(ERROR_SUCCESS));
    QCOMPARE(values.size(), 1);
    QCOMPARE(values.first().Text(), QString("y"));
    QStringList top;
    RegistryStore::EnumKeys(HKEY_LOCAL_MACHINE, "", &top);
    QCOMPARE(top, QStringList{written.section('\\', 0, 0)});
}

void tst_Registry::enumerationOrder() {
    for (const char* name : {"beta", "Alpha", "gamma", "ALPHA2", "Delta"})
        QCOMPARE(RegistryStore::CreateKey(HKEY_CURRENT_USER, QString("K\\") + name), long(ERROR_SUCCESS));
    QCOMPARE(RegistryStore::CreateKey(HKEY_CURRENT_USER, "K\\beta\\deeper"), long(ERROR_SUCCESS));
    QStringList keys;
    QCOMPARE(RegistryStore::EnumKeys(HKEY_CURRENT_USER, "k", &keys), long(ERROR_SUCCESS));
    QCOMPARE(keys, (QStringList{"Alpha", "ALPHA2", "beta", "Delta", "gamma"}));

    for (const char* name : {"z", "A", "m", ""})
        RegistryStore::SetValue(HKEY_CURRENT_USER, "K", RegValue::Dword(name, 1));
    // Enumerating the parent reads K's values ahead into the cache; their order must hold.
    QStringList top;
    QCOMPARE(RegistryStore::EnumKeys(HKEY_CURRENT_USER, "", &top), long(ERROR_SUCCESS));
    QList<RegValue> values;
    QCOMPARE(RegistryStore::EnumValues(HKEY_CURRENT_USER, "K", &values), long(ERROR_SUCCESS));
    QStringList names;
    for (const RegValue& v : values)
        names << v.name;
    QCOMPARE(names, (QStringList{"z", "A", "m", ""}));
}

void tst_Registry::replaceKeepsPosition() {
    for (const char* name : {"first", "second", "third"})
        RegistryStore::SetValue(HKEY_CURRENT_USER, "K", RegValue::Dword(name, 1));
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "K", RegValue::String("FIRST", "now text")),
             long(ERROR_SUCCESS));
    QList<RegValue> values;
    RegistryStore::EnumValues(HKEY_CURRENT_USER, "K", &values);
    QCOMPARE(values.size(), 3);
    QCOMPARE(values.at(0), RegValue::String("FIRST", "now text"));
    QCOMPARE(values.at(2).name, QString("third"));
}

void tst_Registry::classesRootIsMachineClasses() {
    QCOMPARE(RegistryStore::SetValue(HKEY_CLASSES_ROOT, "KXLanguage.Connect\\InprocServer32",
                                     RegValue::String("", "/lib/x.so")),
             long(ERROR_SUCCESS));
    RegValue v;
    QCOMPARE(RegistryStore::QueryValue(HKEY_LOCAL_MACHINE,
                                       "SOFTWARE\\Classes\\KXLanguage.Connect\\InprocServer32", "", &v),
             long(ERROR_SUCCESS));
    QCOMPARE(v.Text(), QString("/lib/x.so"));
    QCOMPARE(RegistryStore::QueryValue(HKEY_CURRENT_USER,
                                       "Software\\Classes\\KXLanguage.Connect\\InprocServer32", "", &v),
             long(ERROR_FILE_NOT_FOUND));
    QCOMPARE(RegistryStore::HiveFilePath(HKEY_CLASSES_ROOT), RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE));
    QVERIFY(RegistryStore::HiveFilePath(HKEY_CURRENT_USER) !=
            RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE));
}

void tst_Registry::deleteTree() {
    // "A\B" must not take its look-alike neighbours "A\B2" and "A\B]" with it.
    for (const char* key : {"A\\B\\C\\D", "A\\B\\E", "A\\B2\\F", "A\\B]", "A\\Ba"})
        QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, key, RegValue::Dword("v", 7)),
                 long(ERROR_SUCCESS));
    RegistryStore::SetValue(HKEY_CURRENT_USER, "A\\B", RegValue::Dword("own", 1));
    QCOMPARE(RegistryStore::DeleteTree(HKEY_CURRENT_USER, "a\\b"), long(ERROR_SUCCESS));
    QVERIFY(!RegistryStore::KeyExists(HKEY_CURRENT_USER, "A\\B"));
    QVERIFY(!RegistryStore::KeyExists(HKEY_CURRENT_USER, "A\\B\\C\\D"));
    QStringList rest;
    RegistryStore::EnumKeys(HKEY_CURRENT_USER, "A", &rest);
    QCOMPARE(rest, (QStringList{"B2", "B]", "Ba"}));
    RegValue v;
    QCOMPARE(RegistryStore::QueryValue(HKEY_CURRENT_USER, "A\\B2\\F", "v", &v), long(ERROR_SUCCESS));
    // A re-created key starts empty: no orphaned values come back.
    QCOMPARE(RegistryStore::CreateKey(HKEY_CURRENT_USER, "A\\B\\C\\D"), long(ERROR_SUCCESS));
    QCOMPARE(RegistryStore::QueryValue(HKEY_CURRENT_USER, "A\\B\\C\\D", "v", &v), long(ERROR_FILE_NOT_FOUND));
    QCOMPARE(RegistryStore::QueryValue(HKEY_CURRENT_USER, "A\\B", "own", &v), long(ERROR_FILE_NOT_FOUND));

    QCOMPARE(RegistryStore::DeleteTree(HKEY_CURRENT_USER, "A\\Missing"), long(ERROR_FILE_NOT_FOUND));
    // The root itself is emptied, not removed.
    QCOMPARE(RegistryStore::DeleteTree(HKEY_CURRENT_USER, ""), long(ERROR_SUCCESS));
    RegistryStore::EnumKeys(HKEY_CURRENT_USER, "", &rest);
    QVERIFY(rest.isEmpty());
    QVERIFY(RegistryStore::KeyExists(HKEY_CURRENT_USER, ""));
}

void tst_Registry::deleteValue() {
    RegistryStore::SetValue(HKEY_CURRENT_USER, "K", RegValue::Dword("a", 1));
    RegistryStore::SetValue(HKEY_CURRENT_USER, "K", RegValue::Dword("b", 2));
    QCOMPARE(RegistryStore::DeleteValue(HKEY_CURRENT_USER, "K", "A"), long(ERROR_SUCCESS));
    QCOMPARE(RegistryStore::DeleteValue(HKEY_CURRENT_USER, "K", "a"), long(ERROR_FILE_NOT_FOUND));
    QCOMPARE(RegistryStore::DeleteValue(HKEY_CURRENT_USER, "Nope", "a"), long(ERROR_FILE_NOT_FOUND));
    QList<RegValue> values;
    RegistryStore::EnumValues(HKEY_CURRENT_USER, "K", &values);
    QCOMPARE(values, QList<RegValue>{RegValue::Dword("b", 2)});
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "K", RegValue::Dword(QString(16384, 'x'), 1)),
             long(ERROR_INVALID_PARAMETER));
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "K", RegValue::Dword(QString(16383, 'x'), 1)),
             long(ERROR_SUCCESS));
}

void tst_Registry::emptyPrefixReads() {
    // Reads of a prefix that holds nothing yet find nothing and create nothing.
    RegValue v;
    QCOMPARE(RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, "Software", "x", &v), long(ERROR_FILE_NOT_FOUND));
    QVERIFY(!RegistryStore::KeyExists(HKEY_LOCAL_MACHINE, "Software"));
    QVERIFY(RegistryStore::KeyExists(HKEY_LOCAL_MACHINE, ""));
    QStringList keys;
    QCOMPARE(RegistryStore::EnumKeys(HKEY_LOCAL_MACHINE, "", &keys), long(ERROR_SUCCESS));
    QCOMPARE(RegistryStore::EnumKeys(HKEY_LOCAL_MACHINE, "Software", &keys), long(ERROR_FILE_NOT_FOUND));
    QVERIFY(!QFile::exists(qEnvironmentVariable("KX4_PREFIX")));
    QCOMPARE(RegistryStore::EnumKeys(0x80000003u, "", &keys), long(ERROR_INVALID_HANDLE));
}

void tst_Registry::prefixSwitch() {
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "K", RegValue::Dword("v", 1)), long(ERROR_SUCCESS));
    QTemporaryDir other;
    qputenv("KX4_PREFIX", QFile::encodeName(other.path()));
    QVERIFY(!RegistryStore::KeyExists(HKEY_CURRENT_USER, "K"));
    QVERIFY(QFile::exists(m_prefix->path() + "/prefix/user.db"));
}

void tst_Registry::readOnlyHive() {
    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "Software\\K", RegValue::Dword("v", 3)),
             long(ERROR_SUCCESS));
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "Software\\K", RegValue::Dword("v", 4)),
             long(ERROR_SUCCESS));
    const QString file = RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE);
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(!RegistryStore::IsWritable(HKEY_LOCAL_MACHINE));
    QVERIFY(!RegistryStore::IsWritable(HKEY_CLASSES_ROOT));
    QVERIFY(RegistryStore::IsWritable(HKEY_CURRENT_USER));

    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "Software\\K", RegValue::Dword("v", 9)),
             long(ERROR_ACCESS_DENIED));
    QCOMPARE(RegistryStore::CreateKey(HKEY_CLASSES_ROOT, "New"), long(ERROR_ACCESS_DENIED));
    QCOMPARE(RegistryStore::DeleteValue(HKEY_LOCAL_MACHINE, "Software\\K", "v"), long(ERROR_ACCESS_DENIED));
    QCOMPARE(RegistryStore::DeleteTree(HKEY_LOCAL_MACHINE, "Software"), long(ERROR_ACCESS_DENIED));
    RegValue v;
    QCOMPARE(RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, "Software\\K", "v", &v), long(ERROR_SUCCESS));
    QCOMPARE(v.Number(), 3u);
    // The other hive is unaffected.
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "Software\\K", RegValue::Dword("v", 5)),
             long(ERROR_SUCCESS));
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "Software\\K", RegValue::Dword("v", 9)),
             long(ERROR_SUCCESS));
}

// Reads are cached; a change through another connection of this process must show at once.
void tst_Registry::readsSeeBatchChanges() {
    RegistryStore::SetValue(HKEY_CURRENT_USER, "K", RegValue::Dword("n", 1));
    RegValue v;
    QCOMPARE(RegistryStore::QueryValue(HKEY_CURRENT_USER, "K", "n", &v), long(ERROR_SUCCESS));
    QCOMPARE(v.Number(), 1u);
    QVERIFY(!RegistryStore::KeyExists(HKEY_CURRENT_USER, "K\\Sub"));
    QStringList subkeys;
    QCOMPARE(RegistryStore::EnumKeys(HKEY_CURRENT_USER, "K", &subkeys), long(ERROR_SUCCESS));
    QVERIFY(subkeys.isEmpty());
    {
        RegistryBatch batch;
        QCOMPARE(batch.BeginWrite(false, true), long(ERROR_SUCCESS));
        QCOMPARE(batch.SetValue(HKEY_CURRENT_USER, "K", RegValue::Dword("n", 2)), long(ERROR_SUCCESS));
        QCOMPARE(batch.CreateKey(HKEY_CURRENT_USER, "K\\Sub"), long(ERROR_SUCCESS));
        QCOMPARE(batch.Commit(), long(ERROR_SUCCESS));
    }
    QCOMPARE(RegistryStore::QueryValue(HKEY_CURRENT_USER, "K", "n", &v), long(ERROR_SUCCESS));
    QCOMPARE(v.Number(), 2u);
    QVERIFY(RegistryStore::KeyExists(HKEY_CURRENT_USER, "K\\Sub"));
    QCOMPARE(RegistryStore::EnumKeys(HKEY_CURRENT_USER, "K", &subkeys), long(ERROR_SUCCESS));
    QCOMPARE(subkeys, QStringList{"Sub"});
    {
        RegistryBatch batch; // rolled back: nothing changes, nothing stale either
        QCOMPARE(batch.BeginWrite(false, true), long(ERROR_SUCCESS));
        QCOMPARE(batch.DeleteTree(HKEY_CURRENT_USER, "K"), long(ERROR_SUCCESS));
    }
    QCOMPARE(RegistryStore::QueryValue(HKEY_CURRENT_USER, "K", "n", &v), long(ERROR_SUCCESS));
    QCOMPARE(v.Number(), 2u);
}

// More prefixes than connections are kept open, then back to the first.
void tst_Registry::manyPrefixesInTurn() {
    std::vector<std::unique_ptr<QTemporaryDir>> dirs;
    for (int i = 0; i < 12; ++i) {
        dirs.push_back(std::make_unique<QTemporaryDir>());
        qputenv("KX4_PREFIX", QFile::encodeName(dirs.back()->path()));
        QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "K", RegValue::Dword("n", quint32(i))),
                 long(ERROR_SUCCESS));
        QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "K", RegValue::Dword("n", quint32(i))),
                 long(ERROR_SUCCESS));
    }
    for (int i = 0; i < 12; ++i) {
        qputenv("KX4_PREFIX", QFile::encodeName(dirs.at(i)->path()));
        RegValue v;
        QCOMPARE(RegistryStore::QueryValue(HKEY_CURRENT_USER, "K", "n", &v), long(ERROR_SUCCESS));
        QCOMPARE(v.Number(), quint32(i));
        QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "K", RegValue::Dword("n", 100)),
                 long(ERROR_SUCCESS));
    }
}

// A prefix reset behind the store's back (files removed, or replaced by a copy) reads anew.
void tst_Registry::hiveFileReplaced() {
    const QString file = RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE);
    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "K", RegValue::Dword("n", 1)), long(ERROR_SUCCESS));
    QVERIFY(QFile::copy(file, file + ".saved"));
    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "K", RegValue::Dword("n", 2)), long(ERROR_SUCCESS));
    RegValue v;
    QCOMPARE(RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, "K", "n", &v), long(ERROR_SUCCESS));
    QCOMPARE(v.Number(), 2u);

    QVERIFY(QFile::remove(file));
    QVERIFY(!RegistryStore::KeyExists(HKEY_LOCAL_MACHINE, "K"));
    QVERIFY(QFile::rename(file + ".saved", file));
    QCOMPARE(RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, "K", "n", &v), long(ERROR_SUCCESS));
    QCOMPARE(v.Number(), 1u);
}

void tst_Registry::damagedHive_data() {
    QTest::addColumn<HiveFixture::Damage>("damage");
    QTest::addColumn<long>("expected");
    QTest::newRow("subkey index overwritten")
        << HiveFixture::Damage::IndexPageOverwritten << long(ERROR_REGISTRY_CORRUPT);
    QTest::newRow("another program's database") << HiveFixture::Damage::ForeignDatabase << long(ERROR_BADDB);
    QTest::newRow("not a database") << HiveFixture::Damage::NotADatabase << long(ERROR_BADDB);
}

// A hive that cannot be read fails every call with a code that says so, never "not found", and
// is left as it was.
void tst_Registry::damagedHive() {
    QFETCH(HiveFixture::Damage, damage);
    QFETCH(long, expected);
    QVERIFY(HiveFixture::Make(damage));
    const QString file = RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE);
    QFile hive(file);
    QVERIFY(hive.open(QIODevice::ReadOnly));
    const QByteArray before = hive.readAll();
    hive.close();

    QStringList keys;
    QCOMPARE(RegistryStore::EnumKeys(HKEY_LOCAL_MACHINE, "Software", &keys), expected);
    QCOMPARE(RegistryStore::EnumKeys(HKEY_CLASSES_ROOT, "", &keys), expected);
    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "Software\\New", RegValue::Dword("v", 1)), expected);
    if (expected == ERROR_BADDB) {
        RegValue v;
        QCOMPARE(RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, "Software", "v", &v), expected);
        QCOMPARE(RegistryStore::OpenKey(HKEY_LOCAL_MACHINE, ""), expected);
    }
    {
        RegistryBatch batch;
        long rc = batch.BeginRead();
        if (rc == ERROR_SUCCESS)
            rc = batch.EnumKeys(HKEY_LOCAL_MACHINE, "Software", &keys);
        else
            QVERIFY2(batch.LastError().contains(file), qPrintable(batch.LastError()));
        QCOMPARE(rc, expected);
    }
    QStringList findings;
    QCOMPARE(RegistryStore::CheckHive(HKEY_LOCAL_MACHINE, &findings), expected);
    QVERIFY(!findings.isEmpty());
    QVERIFY(RegistryStore::Describe(expected, HKEY_LOCAL_MACHINE).contains(file));
    // The other hive works on.
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "Software", RegValue::Dword("v", 1)),
             long(ERROR_SUCCESS));
    QCOMPARE(RegistryStore::CheckHive(HKEY_CURRENT_USER, &findings), long(ERROR_SUCCESS));
    QVERIFY(findings.isEmpty());

    QVERIFY(hive.open(QIODevice::ReadOnly));
    QVERIFY2(hive.readAll() == before, "the refused file is unchanged");
}

namespace {

enum class Change {
    SetInNewKey,
    SetInKey,
    CreateKey,
    DeleteValue,
    DeleteTree,
    DeleteTrees,
    EmptyRoot,
    EmptyClasses
};

} // namespace

void tst_Registry::cacheFollowsOwnChanges_data() {
    QTest::addColumn<int>("change");
    QTest::newRow("a value in a key read as missing") << int(Change::SetInNewKey);
    QTest::newRow("a value in a key") << int(Change::SetInKey);
    QTest::newRow("a new key") << int(Change::CreateKey);
    QTest::newRow("a value deleted") << int(Change::DeleteValue);
    QTest::newRow("a tree deleted") << int(Change::DeleteTree);
    QTest::newRow("trees deleted in one change") << int(Change::DeleteTrees);
    QTest::newRow("the root emptied") << int(Change::EmptyRoot);
    QTest::newRow("HKEY_CLASSES_ROOT emptied") << int(Change::EmptyClasses);
}

// Changes of this process keep the rest of the read cache; what they touch must read anew. A
// batch's own connection reads the file and is the judge.
void tst_Registry::cacheFollowsOwnChanges() {
    QFETCH(int, change);
    const QStringList keys{"", "A", "A\\B", "A\\C", "A\\D", "A\\D\\E", "A\\New", "A\\New\\Deep"};
    const QStringList machineKeys{"", "Software", "Software\\Classes", "Software\\Classes\\X"};
    {
        RegistryBatch batch;
        QCOMPARE(batch.BeginWrite(true, true), long(ERROR_SUCCESS));
        batch.SetValue(HKEY_CLASSES_ROOT, "X", RegValue::Dword("x", 7));
        batch.SetValue(HKEY_CURRENT_USER, "A", RegValue::Dword("y", 1));
        batch.SetValue(HKEY_CURRENT_USER, "A\\B", RegValue::Dword("v", 2));
        batch.SetValue(HKEY_CURRENT_USER, "A\\B", RegValue::Dword("w", 3));
        batch.SetValue(HKEY_CURRENT_USER, "A\\D\\E", RegValue::Dword("x", 4));
        QCOMPARE(batch.Commit(), long(ERROR_SUCCESS));
    }
    auto read = [&](auto& store) {
        QStringList seen;
        for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            for (const QString& key : root == HKEY_CURRENT_USER ? keys : machineKeys) {
                QStringList subkeys;
                QList<RegValue> values;
                const long found = store.EnumKeys(root, key, &subkeys);
                store.EnumValues(root, key, &values);
                QStringList names;
                for (const RegValue& value : values)
                    names << value.name + u'=' + QString::number(value.Number());
                seen << QStringLiteral("%1 (%2): %3 | %4")
                            .arg(key)
                            .arg(found)
                            .arg(subkeys.join(u','), names.join(u','));
            }
        }
        return seen;
    };
    struct Store { // RegistryStore's reads, shaped as the batch's
        long EnumKeys(HKEY root, const QString& key, QStringList* out) {
            return RegistryStore::EnumKeys(root, key, out);
        }
        long EnumValues(HKEY root, const QString& key, QList<RegValue>* out) {
            return RegistryStore::EnumValues(root, key, out);
        }
    } store;
    read(store); // fills the cache, missing keys too
    switch (Change(change)) {
    case Change::SetInNewKey:
        QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "a\\new\\DEEP", RegValue::Dword("n", 5)),
                 long(ERROR_SUCCESS));
        break;
    case Change::SetInKey:
        QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "A\\B", RegValue::Dword("V", 6)),
                 long(ERROR_SUCCESS));
        break;
    case Change::CreateKey:
        QCOMPARE(RegistryStore::CreateKey(HKEY_CURRENT_USER, "A\\C"), long(ERROR_SUCCESS));
        break;
    case Change::DeleteValue:
        QCOMPARE(RegistryStore::DeleteValue(HKEY_CURRENT_USER, "A\\B", "W"), long(ERROR_SUCCESS));
        break;
    case Change::DeleteTree:
        QCOMPARE(RegistryStore::DeleteTree(HKEY_CURRENT_USER, "A\\D"), long(ERROR_SUCCESS));
        break;
    case Change::DeleteTrees:
        QCOMPARE(RegistryStore::DeleteTrees(HKEY_CURRENT_USER, "A", {"b", "D", "gone"}), long(ERROR_SUCCESS));
        break;
    case Change::EmptyRoot:
        QCOMPARE(RegistryStore::DeleteTree(HKEY_CURRENT_USER, ""), long(ERROR_SUCCESS));
        break;
    case Change::EmptyClasses:
        QCOMPARE(RegistryStore::DeleteTree(HKEY_CLASSES_ROOT, ""), long(ERROR_SUCCESS));
        break;
    }
    RegistryBatch judge;
    QCOMPARE(judge.BeginRead(), long(ERROR_SUCCESS));
    QCOMPARE(read(store), read(judge));
}

QTEST_GUILESS_MAIN(tst_Registry)
#include "tst_Registry.moc"
