#include "HiveFixture.h"
#include "common/TempPrefix.h"
#include "platform/registry/HiveReadCache.h"
#include "platform/registry/RawRegistry.h"
#include "platform/registry/RegErrorText.h"

#include <QTest>
#include <functional>
#include <optional>

using namespace HiveFixture;

namespace {

constexpr long NotFound = ERROR_FILE_NOT_FOUND;
constexpr long Denied = ERROR_ACCESS_DENIED;
constexpr long BadParameter = ERROR_INVALID_PARAMETER;

long Set(HKEY root, const QString& key, const RegValue& value) {
    return RegistryStore::SetValue(root, key, value);
}

// The value's number, or 0xffffffff when it cannot be read.
quint32 Number(HKEY root, const QString& key, const QString& name) {
    RegValue v;
    return RegistryStore::QueryValue(root, key, name, &v) == OK ? v.Number() : 0xffffffffu;
}

// The subkeys, or the error code alone.
QStringList Subkeys(HKEY root, const QString& key) {
    QStringList keys;
    const long result = RegistryStore::EnumKeys(root, key, &keys);
    return result == OK ? keys : QStringList{QString::number(result)};
}

// What every key of cacheFollowsCommits' tree reads as through batch, or RegistryStore's reads
// without one.
QStringList ReadAll(RegistryBatch* batch = nullptr) {
    const QStringList user{"", "A", "A\\B", "A\\C", "A\\D", "A\\D\\E", "A\\New", "A\\New\\Deep"};
    const QStringList machine{"", "Software", "Software\\Classes", "Software\\Classes\\X"};
    QStringList seen;
    for (const HKEY root : {HKCU, HKLM, HKCR}) {
        for (const QString& key : root == HKCU ? user : root == HKLM ? machine : QStringList{"", "X"}) {
            QStringList subkeys;
            QList<RegValue> values;
            const long found =
                batch ? batch->EnumKeys(root, key, &subkeys) : RegistryStore::EnumKeys(root, key, &subkeys);
            batch ? batch->EnumValues(root, key, &values) : RegistryStore::EnumValues(root, key, &values);
            QStringList names;
            for (const RegValue& value : values)
                names << value.name + u'=' + QString::number(value.Number());
            seen << key + " (" + QString::number(found) + "): " + subkeys.join(u',') + " | " +
                        names.join(u',');
        }
    }
    return seen;
}

// RegOpenKeyExA's arguments (with the machine hive read-only or not) and its result.
struct OpenRow {
    quint32 root;
    QByteArray subKey;
    quint32 access;
    bool readOnly;
    long result;
};

using Change = std::function<long()>; // a change to the store, its result

} // namespace

// The registry store, its batches and its raw reads; every test function gets a prefix of its own.
class tst_Registry : public QObject {
    Q_OBJECT
    std::optional<TestSupport::TempPrefix> m_prefix;

private Q_SLOTS:
    void init() { QVERIFY(m_prefix.emplace().IsValid()); } // a folder the first write creates
    void cleanup() { m_prefix.reset(); }

    void keyPaths_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<long>("result");
        QTest::addColumn<QString>("sameAs");
        // clang-format off
        QTest::newRow("leading and trailing backslashes") << "\\A\\B\\" << OK << "A\\B";
        QTest::newRow("empty component") << "A\\\\B" << BadParameter << "";
        QTest::newRow("name of 255 characters") << "A\\" + QString(255, 'n') << OK << "A\\" + QString(255, 'N');
        QTest::newRow("name of 256 characters") << "A\\" + QString(256, 'n') << BadParameter << "";
        QTest::newRow("beyond ASCII in another case") << QString::fromUtf8("Prüfung\\Σίγμα") << OK << QString::fromUtf8("PRÜFUNG\\σίγμα");
        // clang-format on
    }
    // Names compare without case; a key keeps the case it was made in, a value the case last
    // written. A refused path creates nothing.
    void keyPaths() {
        QFETCH(QString, key);
        QFETCH(long, result);
        QFETCH(QString, sameAs);
        QCOMPARE(Set(HKCU, key, RegValue::Dword("Wert", 1)), result);
        if (result != OK) {
            QCOMPARE(Subkeys(HKCU, ""), QStringList());
            return;
        }
        QCOMPARE(Set(HKCU, sameAs, RegValue::Dword("WERT", 2)), OK); // the one value changed
        QCOMPARE(Values(HKCU, key), QList<RegValue>{RegValue::Dword("WERT", 2)});
        QCOMPARE(Subkeys(HKCU, ""), QStringList{key.section('\\', 0, 0, QString::SectionSkipEmpty)});
    }

    void orderAndDeletion() {
        for (const char* name : {"z", "A", "m", ""})
            Set(HKCU, "K", RegValue::Dword(name, 1));
        Subkeys(HKCU, ""); // reads K's values ahead into the cache: their order must hold
        QCOMPARE(Values(HKCU, "K"), (QList<RegValue>{RegValue::Dword("z", 1), RegValue::Dword("A", 1),
                                                     RegValue::Dword("m", 1), RegValue::Dword("", 1)}));
        // Replacing keeps the position; deleting finds the name in any case.
        QCOMPARE(Set(HKCU, "K", RegValue::String("Z", "now text")), OK);
        QCOMPARE(RegistryStore::DeleteValue(HKCU, "K", "a"), OK);
        QCOMPARE(RegistryStore::DeleteValue(HKCU, "Nope", "a"), NotFound);
        QCOMPARE(Values(HKCU, "K"), (QList<RegValue>{RegValue::String("Z", "now text"),
                                                     RegValue::Dword("m", 1), RegValue::Dword("", 1)}));
        QCOMPARE(Set(HKCU, "K", RegValue::Dword(QString(16384, 'x'), 1)), BadParameter);
        QCOMPARE(Set(HKCU, "K", RegValue::Dword(QString(16383, 'x'), 1)), OK);
        // HKEY_CLASSES_ROOT is the machine's Software\Classes, nothing of the user's.
        QCOMPARE(Set(HKCR, "KX.Connect\\InprocServer32", RegValue::Dword("", 5)), OK);
        QCOMPARE(Number(HKLM, "SOFTWARE\\Classes\\KX.Connect\\InprocServer32", ""), 5u);

        // "A\B" must not take its look-alike neighbours "A\B2" and "A\B]" with it.
        for (const char* key : {"A\\B\\C\\D", "A\\B\\E", "A\\B2\\F", "A\\B]", "A\\Ba"})
            QCOMPARE(Set(HKCU, key, RegValue::Dword("v", 7)), OK);
        Set(HKCU, "A\\B", RegValue::Dword("own", 1));
        QCOMPARE(RegistryStore::DeleteTree(HKCU, "a\\b"), OK);
        QVERIFY(!RegistryStore::KeyExists(HKCU, "A\\B\\C\\D"));
        QCOMPARE(Subkeys(HKCU, "A"), (QStringList{"B2", "B]", "Ba"}));
        // A re-created key starts empty: no orphaned values come back.
        QCOMPARE(RegistryStore::CreateKey(HKCU, "A\\B\\C\\D"), OK);
        QCOMPARE(Values(HKCU, "A\\B\\C\\D") + Values(HKCU, "A\\B"), QList<RegValue>());
        QCOMPARE(RegistryStore::DeleteTree(HKCU, "A\\Missing"), NotFound);
        QCOMPARE(RegistryStore::DeleteTree(HKCU, ""), OK); // the root is emptied, not removed
        QCOMPARE(Subkeys(HKCU, ""), QStringList());
    }

    // Reads of an empty prefix create nothing; prefixes switched by the variable, more of them than
    // connections are kept, read and write their own hives.
    void prefixes() {
        QCOMPARE(Number(HKLM, "Software", "x"), 0xffffffffu);
        QCOMPARE(Subkeys(HKLM, ""), QStringList());
        QCOMPARE(Subkeys(HKLM, "Software") + Subkeys(0x80000003u, ""),
                 (QStringList{QString::number(NotFound), QString::number(ERROR_INVALID_HANDLE)}));
        QVERIFY(!QFile::exists(m_prefix->Path()));
        std::vector<std::unique_ptr<TestSupport::TempPrefix>> prefixes(12);
        for (quint32 i = 0; i < 12; ++i) {
            prefixes[i] = std::make_unique<TestSupport::TempPrefix>();
            QCOMPARE(Set(HKCU, "K", RegValue::Dword("n", i)) + Set(HKLM, "K", RegValue::Dword("n", i)), OK);
        }
        for (quint32 i = 0; i < 12; ++i) {
            qputenv("KX4_PREFIX", QFile::encodeName(prefixes[i]->Path()));
            QCOMPARE(Number(HKCU, "K", "n"), i);
            QCOMPARE(Number(HKLM, "K", "n"), i);
        }
        qputenv("KX4_PREFIX", QFile::encodeName(m_prefix->Path()));
    }

    // A read-only hive refuses every change and keeps its values; a batch of the other hive alone
    // neither needs nor touches it; one of both is refused, naming the file.
    void readOnlyHive() {
        QCOMPARE(Set(HKLM, "Software\\K", RegValue::Dword("v", 3)), OK);
        QVERIFY(QFile::setPermissions(RegistryStore::HiveFilePath(HKLM), QFile::ReadOwner));
        QVERIFY(!RegistryStore::IsWritable(HKCR) && RegistryStore::IsWritable(HKCU));
        QCOMPARE(Set(HKLM, "Software\\K", RegValue::Dword("v", 9)), Denied);
        QCOMPARE(RegistryStore::CreateKey(HKCR, "New"), Denied);
        QCOMPARE(Number(HKLM, "Software\\K", "v"), 3u);
        {
            RegistryBatch user; // the user's hive alone neither needs nor touches the machine's
            QCOMPARE(user.BeginWrite(false, true) + user.SetValue(HKCU, "K", RegValue::Dword("v", 5)), OK);
            QCOMPARE(user.SetValue(HKCR, "X", RegValue::Dword("v", 5)), Denied);
            QCOMPARE(user.Commit(), OK);
        }
        QCOMPARE(Number(HKCU, "K", "v"), 5u);
        RegistryBatch refused;
        QCOMPARE(refused.BeginWrite(true, true), Denied);
        QVERIFY2(refused.LastError().contains("system.db"), qPrintable(refused.LastError()));
    }

    // Committed, both hives change; dropped unfinished, neither does.
    void batchEndings() {
        for (const bool commit : {false, true}) {
            for (const HKEY root : {HKLM, HKCU})
                QCOMPARE(Set(root, "Software\\K", RegValue::Dword("n", 1)), OK);
            {
                RegistryBatch batch;
                QCOMPARE(batch.BeginWrite(true, true) +
                             batch.SetValue(HKLM, "Software\\K", RegValue::Dword("n", 2)) +
                             batch.SetValue(HKCR, ".kxs", RegValue::String("", "KX")) +
                             batch.DeleteTree(HKCU, "Software\\K"),
                         OK);
                RegValue v; // the batch reads its own changes
                QVERIFY(!batch.KeyExists(HKCU, "Software\\K") &&
                        batch.QueryValue(HKLM, "Software\\K", "N", &v) == OK && v.Number() == 2);
                if (commit)
                    QCOMPARE(batch.Commit(), OK);
            }
            QCOMPARE(Number(HKLM, "Software\\K", "n"), commit ? 2u : 1u);
            QCOMPARE(RegistryStore::KeyExists(HKCR, ".kxs"), commit);
            QCOMPARE(RegistryStore::KeyExists(HKCU, "Software\\K"), !commit);
            for (const HKEY root : {HKLM, HKCU}) // the hives take plain changes again afterwards
                QCOMPARE(Set(root, "Software\\After", RegValue::Dword("a", 1)), OK);
        }
    }

    void damagedHive_data() {
        QTest::addColumn<HiveFixture::Damage>("damage");
        QTest::addColumn<long>("expected");
        // clang-format off
        QTest::newRow("subkey index overwritten") << HiveFixture::Damage::IndexPageOverwritten << long(ERROR_REGISTRY_CORRUPT);
        QTest::newRow("another program's database") << HiveFixture::Damage::ForeignDatabase << long(ERROR_BADDB);
        QTest::newRow("not a database") << HiveFixture::Damage::NotADatabase << long(ERROR_BADDB);
        // clang-format on
    }
    // A hive that cannot be read fails every call with a code that says so, never "not found", and
    // is left as it was.
    void damagedHive() {
        QFETCH(HiveFixture::Damage, damage);
        QFETCH(long, expected);
        QVERIFY(HiveFixture::Make(damage));
        const QString hive = RegistryStore::HiveFilePath(HKLM);
        const QByteArray before = TestSupport::ReadFile(hive);
        QVERIFY(!before.isEmpty());
        QStringList keys;
        QCOMPARE(RegistryStore::EnumKeys(HKCR, "", &keys), expected);
        QCOMPARE(Set(HKLM, "Software\\New", RegValue::Dword("v", 1)), expected);
        if (expected == ERROR_BADDB) // keys still open by path in a hive only partly damaged
            QCOMPARE(RegistryStore::OpenKey(HKLM, ""), expected);
        RegistryBatch batch;
        const long begun = batch.BeginRead();
        QCOMPARE(begun == OK ? batch.EnumKeys(HKLM, "Software", &keys) : begun, expected);
        QVERIFY2(begun == OK || batch.LastError().contains(hive), qPrintable(batch.LastError()));
        QVERIFY2(TestSupport::ReadFile(hive) == before, "the refused file is unchanged");
    }

    // Another connection (as another process's) holds the hive's write lock past the busy wait
    // (15 s): the change fails as locked, naming the hive, and nothing is stored; reads go on
    // meanwhile, and changes once the lock is gone.
    void lockedElsewhere() {
        QCOMPARE(Set(HKLM, "Software\\K", RegValue::Dword("n", 1)), OK);
        const QString file = RegistryStore::HiveFilePath(HKLM);
        {
            SqliteDb holder;
            QCOMPARE(holder.Open(file, 1000) + holder.Exec("BEGIN IMMEDIATE"), 0);
            QCOMPARE(Set(HKLM, "Software\\K", RegValue::Dword("n", 2)), long(ERROR_BUSY));
            QVERIFY(RegistryStore::Describe(ERROR_BUSY, HKLM).contains(file));
            QCOMPARE(Number(HKLM, "Software\\K", "n"), 1u);
        }
        QCOMPARE(Set(HKLM, "Software\\K", RegValue::Dword("n", 3)), OK);
    }

    // Past its limit the read cache starts afresh and what it was given reads right; a commit
    // anywhere (a new change counter) empties it.
    void readCacheLimit() {
        HiveReadCache cache;
        cache.Validate(7);
        QList<RegValue> values;
        for (quint32 i = 0; i < 20; ++i)
            values << RegValue::Dword(QString::number(i), i);
        cache.Store("a", true, QList<RegValue>(HiveReadCache::MaxValues - 10));
        QVERIFY(cache.Find("a"));
        const HiveReadCache::Key* b = cache.Store("b", true, values);
        QVERIFY(!cache.Find("a"));
        QCOMPARE(cache.ValueCount(), 20);
        QCOMPARE(cache.Find("b"), b);
        QCOMPARE(b->values.at(b->index.value("19")).Number(), 19u);
        cache.Validate(7);
        QCOMPARE(cache.Find("b"), b);
        cache.Validate(8);
        QVERIFY(!cache.Find("b"));
    }

    void cacheFollowsCommits_data() {
        QTest::addColumn<Change>("change");
        namespace S = RegistryStore;
        // clang-format off
        QTest::newRow("a value in a key read as missing") << Change([] { return Set(HKCU, "a\\new\\DEEP", RegValue::Dword("n", 5)); });
        QTest::newRow("a value in a key") << Change([] { return Set(HKCU, "A\\B", RegValue::Dword("V", 6)); });
        QTest::newRow("trees deleted in one change") << Change([] { return S::DeleteTrees(HKCU, "A", {"b", "D", "gone"}); });
        QTest::newRow("the root emptied") << Change([] { return S::DeleteTree(HKCU, ""); });
        QTest::newRow("HKEY_CLASSES_ROOT emptied") << Change([] { return S::DeleteTree(HKCR, ""); });
        // clang-format on
    }
    // Changes of this process keep the rest of the read cache; what they touch must read anew. A
    // batch's own connection reads the file and is the judge.
    void cacheFollowsCommits() {
        QFETCH(Change, change);
        {
            RegistryBatch batch;
            QCOMPARE(batch.BeginWrite(true, true), OK);
            batch.SetValue(HKCR, "X", RegValue::Dword("x", 7));
            batch.SetValue(HKCU, "A", RegValue::Dword("y", 1));
            batch.SetValue(HKCU, "A\\B", RegValue::Dword("v", 2));
            batch.SetValue(HKCU, "A\\D\\E", RegValue::Dword("x", 4));
            QCOMPARE(batch.Commit(), OK);
        }
        ReadAll(); // fills the cache, missing keys too
        QCOMPARE(change(), OK);
        RegistryBatch judge;
        QCOMPARE(judge.BeginRead(), OK);
        QCOMPARE(ReadAll(), ReadAll(&judge));
    }

    void rawOpenKey_data() {
        QTest::addColumn<OpenRow>("row");
        const QByteArray key("SOFTWARE\\Shared Tools\\MSINFO");
        const QByteArray missing("SOFTWARE\\Nothing");
        // clang-format off
        QTest::newRow("missing key on a read-only hive is still missing") << OpenRow{HKLM, missing, 0x2003Fu, true, NotFound};
        QTest::newRow("read access to a read-only hive") << OpenRow{HKLM, key, KEY_READ, true, OK};
        QTest::newRow("about box access to a read-only hive") << OpenRow{HKLM, key, 0x2003Fu, true, Denied};
        QTest::newRow("null subkey opens the root") << OpenRow{HKCU, QByteArray(), KEY_ALL_ACCESS, false, OK};
        QTest::newRow("not a root") << OpenRow{0x80000003u, QByteArray("x"), KEY_READ, false, long(ERROR_INVALID_HANDLE)};
        // clang-format on
    }
    void rawOpenKey() {
        QFETCH(OpenRow, row);
        QCOMPARE(Set(HKLM, "SOFTWARE\\Shared Tools\\MSINFO", RegValue::String("PATH", "C:\\m.exe")), OK);
        QVERIFY(!row.readOnly || QFile::setPermissions(RegistryStore::HiveFilePath(HKLM), QFile::ReadOwner));
        HKEY handle = 0xdead;
        const char* subKey = row.subKey.isNull() ? nullptr : row.subKey.constData();
        QCOMPARE(RegOpenKeyExA(row.root, subKey, 0, row.access, &handle), row.result);
        QCOMPARE(handle == 0, row.result != OK);
        QVERIFY(!RegistryStore::IsRoot(handle));
        QCOMPARE(RegCloseKey(handle), row.result == OK ? OK : long(ERROR_INVALID_HANDLE));
    }

    void rawQueryValue_data() {
        QTest::addColumn<RegValue>("stored");
        QTest::addColumn<QByteArray>("name"); // as asked, ANSI
        QTest::addColumn<QByteArray>("bytes");
        // clang-format off
        QTest::newRow("string without terminator has none") << RegValue{"S", REG_SZ, QByteArray("a\0b\0", 4)} << QByteArray("S") << QByteArray("ab");
        QTest::newRow("non-ASCII becomes UTF-8, the terminator kept") << RegValue::String("S", QString::fromUtf8("Größe")) << QByteArray("s") << QByteArray("Gr\xc3\xb6\xc3\x9f" "e\0", 8);
        QTest::newRow("non-ASCII value name") << RegValue::String(QString::fromUtf8("Prüfung"), "x") << QByteArray("PR\xc3\x9c" "FUNG") << QByteArray("x\0", 2);
        QTest::newRow("multi string keeps its zeros") << RegValue{"M", REG_MULTI_SZ, QByteArray("a\0\0\0b\0\0\0\0\0", 10)} << QByteArray("M") << QByteArray("a\0b\0\0", 5);
        QTest::newRow("dword passes raw") << RegValue::Dword("D", 0x01020304) << QByteArray("D") << QByteArray("\x04\x03\x02\x01", 4);
        QTest::newRow("default value by null name") << RegValue::String("", "def") << QByteArray() << QByteArray("def\0", 4);
        // clang-format on
    }
    void rawQueryValue() {
        QFETCH(RegValue, stored);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Set(HKCU, "", stored), OK); // read through the root's handle
        const char* valueName = name.isNull() ? nullptr : name.constData();
        quint32 gotType = 0;
        quint32 size = 0;
        QCOMPARE(RegQueryValueExA(HKCU, valueName, nullptr, &gotType, nullptr, &size), OK);
        QCOMPARE(gotType, stored.type);
        QCOMPARE(size, quint32(bytes.size()));
        QByteArray buffer(64, 'X');
        size = quint32(buffer.size());
        auto* data = reinterpret_cast<uchar*>(buffer.data());
        QCOMPARE(RegQueryValueExA(HKCU, valueName, nullptr, &gotType, data, &size), OK);
        QCOMPARE(buffer.left(size), bytes);
        QCOMPARE(buffer.at(size), 'X'); // nothing written past the data
    }

    // A buffer too small says how much is needed; handles open relative to others and close once.
    void rawBuffersAndHandles() {
        Set(HKCU, "Software\\K\\Sub", RegValue::String("s", "abcd"));
        HKEY software = 0;
        HKEY key = 0;
        QCOMPARE(RegOpenKeyExA(HKCU, "software", 0, KEY_READ, &software), OK);
        QCOMPARE(RegOpenKeyExA(software, "K\\SUB", 0, KEY_READ, &key), OK);
        QCOMPARE(RegCloseKey(software), OK);
        QByteArray buffer(8, '\0');
        auto* data = reinterpret_cast<uchar*>(buffer.data());
        for (const auto& [given, result] : {std::pair{5u, OK}, std::pair{4u, long(ERROR_MORE_DATA)}}) {
            quint32 size = given;
            QCOMPARE(RegQueryValueExA(key, "s", nullptr, nullptr, data, &size), result);
            QCOMPARE(size, 5u); // the size needed, or written
        }
        quint32 reserved = 0;
        quint32 size = 8;
        QCOMPARE(RegQueryValueExA(key, "s", &reserved, nullptr, nullptr, &size), BadParameter);
        QCOMPARE(RegQueryValueExA(key, "s", nullptr, nullptr, data, nullptr), BadParameter);
        QCOMPARE(RegQueryValueExA(key, "missing", nullptr, nullptr, nullptr, &size), NotFound);
        QCOMPARE(RegCloseKey(key), OK);
        QCOMPARE(RegQueryValueExA(key, "s", nullptr, nullptr, nullptr, &size), long(ERROR_INVALID_HANDLE));
        QCOMPARE(RegCloseKey(HKLM), OK);
    }
};

QTEST_GUILESS_MAIN(tst_Registry)

#include "tst_Registry.moc"
