#include "platform/registry/RawRegistry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class tst_RawRegistry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void openKey_data();
    void openKey();
    void openRelativeToHandle();
    void closeKey();
    void queryValue_data();
    void queryValue();
    void bufferSizes_data();
    void bufferSizes();
    void aboutBoxRead_data();
    void aboutBoxRead();

private:
    std::unique_ptr<QTemporaryDir> m_prefix;
};

namespace {

const char* const Key = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";

void MakeReadOnly(HKEY root) {
    QVERIFY(QFile::setPermissions(RegistryStore::HiveFilePath(root), QFile::ReadOwner | QFile::ReadOther));
}

} // namespace

void tst_RawRegistry::init() {
    m_prefix = std::make_unique<QTemporaryDir>();
    QVERIFY(m_prefix->isValid());
    qputenv("KX4_PREFIX", QFile::encodeName(m_prefix->path()));
    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, Key, RegValue::String("PATH", "C:\\msinfo32.exe")),
             long(ERROR_SUCCESS));
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "Software\\K", RegValue::Dword("n", 1)),
             long(ERROR_SUCCESS));
}

void tst_RawRegistry::cleanup() {
    qunsetenv("KX4_PREFIX");
    m_prefix.reset();
}

void tst_RawRegistry::openKey_data() {
    QTest::addColumn<quint32>("root");
    QTest::addColumn<QByteArray>("subKey");
    QTest::addColumn<quint32>("access");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<long>("result");
    QTest::newRow("existing key, about box access")
        << HKEY_LOCAL_MACHINE << QByteArray(Key) << 0x2003Fu << false << long(ERROR_SUCCESS);
    QTest::newRow("names in another case")
        << HKEY_LOCAL_MACHINE << QByteArray("software\\MICROSOFT\\shared tools\\msinfo") << KEY_READ << false
        << long(ERROR_SUCCESS);
    QTest::newRow("missing key") << HKEY_LOCAL_MACHINE << QByteArray("SOFTWARE\\Nothing") << KEY_READ << false
                                 << long(ERROR_FILE_NOT_FOUND);
    QTest::newRow("missing key on a read-only hive is still missing")
        << HKEY_LOCAL_MACHINE << QByteArray("SOFTWARE\\Nothing") << 0x2003Fu << true
        << long(ERROR_FILE_NOT_FOUND);
    QTest::newRow("read access to a read-only hive")
        << HKEY_LOCAL_MACHINE << QByteArray(Key) << KEY_READ << true << long(ERROR_SUCCESS);
    QTest::newRow("about box access to a read-only hive")
        << HKEY_LOCAL_MACHINE << QByteArray(Key) << 0x2003Fu << true << long(ERROR_ACCESS_DENIED);
    QTest::newRow("set value alone is a write")
        << HKEY_LOCAL_MACHINE << QByteArray(Key) << KEY_SET_VALUE << true << long(ERROR_ACCESS_DENIED);
    QTest::newRow("create link is a write")
        << HKEY_LOCAL_MACHINE << QByteArray(Key) << KEY_CREATE_LINK << true << long(ERROR_ACCESS_DENIED);
    QTest::newRow("generic write is a write")
        << HKEY_LOCAL_MACHINE << QByteArray(Key) << GENERIC_WRITE << true << long(ERROR_ACCESS_DENIED);
    QTest::newRow("classes root lives in the machine hive")
        << HKEY_CLASSES_ROOT << QByteArray("") << KEY_WRITE << true << long(ERROR_ACCESS_DENIED);
    QTest::newRow("null subkey opens the root")
        << HKEY_CURRENT_USER << QByteArray() << KEY_ALL_ACCESS << false << long(ERROR_SUCCESS);
    QTest::newRow("empty name inside the path") << HKEY_LOCAL_MACHINE << QByteArray("SOFTWARE\\\\Microsoft")
                                                << KEY_READ << false << long(ERROR_INVALID_PARAMETER);
    QTest::newRow("not a root") << 0x80000003u << QByteArray("x") << KEY_READ << false
                                << long(ERROR_INVALID_HANDLE);
}

void tst_RawRegistry::openKey() {
    QFETCH(quint32, root);
    QFETCH(QByteArray, subKey);
    QFETCH(quint32, access);
    QFETCH(bool, readOnly);
    QFETCH(long, result);
    if (readOnly)
        MakeReadOnly(HKEY_LOCAL_MACHINE);
    HKEY handle = 0xdead;
    QCOMPARE(RegOpenKeyExA(root, subKey.isNull() ? nullptr : subKey.constData(), 0, access, &handle), result);
    if (result != ERROR_SUCCESS) {
        QCOMPARE(handle, HKEY(0));
        return;
    }
    QVERIFY(handle != 0);
    QVERIFY(handle != HKEY_LOCAL_MACHINE && handle != HKEY_CURRENT_USER && handle != HKEY_CLASSES_ROOT);
    QCOMPARE(RegCloseKey(handle), long(ERROR_SUCCESS));
}

void tst_RawRegistry::openRelativeToHandle() {
    HKEY software = 0;
    QCOMPARE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft", 0, KEY_READ, &software),
             long(ERROR_SUCCESS));
    HKEY msinfo = 0;
    QCOMPARE(RegOpenKeyExA(software, "Shared Tools\\MSINFO", 0, KEY_READ, &msinfo), long(ERROR_SUCCESS));
    QVERIFY(msinfo != software);
    quint32 size = 0;
    QCOMPARE(RegQueryValueExA(msinfo, "PATH", nullptr, nullptr, nullptr, &size), long(ERROR_SUCCESS));
    QCOMPARE(size, quint32(sizeof("C:\\msinfo32.exe")));
    RegCloseKey(msinfo);
    RegCloseKey(software);
}

void tst_RawRegistry::closeKey() {
    HKEY handle = 0;
    QCOMPARE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\K", 0, KEY_READ, &handle), long(ERROR_SUCCESS));
    QCOMPARE(RegCloseKey(handle), long(ERROR_SUCCESS));
    QCOMPARE(RegCloseKey(handle), long(ERROR_INVALID_HANDLE));
    quint32 size = 4;
    QCOMPARE(RegQueryValueExA(handle, "n", nullptr, nullptr, nullptr, &size), long(ERROR_INVALID_HANDLE));
    QCOMPARE(RegCloseKey(HKEY_LOCAL_MACHINE), long(ERROR_SUCCESS));
}

void tst_RawRegistry::queryValue_data() {
    QTest::addColumn<RegValue>("stored");
    QTest::addColumn<QByteArray>("name"); // as asked, ANSI
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("string keeps its terminator") << RegValue::String("PATH", "C:\\x") << QByteArray("path")
                                                 << quint32(REG_SZ) << QByteArray("C:\\x\0", 5);
    QTest::newRow("string without terminator has none")
        << RegValue{"S", REG_SZ, QByteArray("a\0b\0", 4)} << QByteArray("S") << quint32(REG_SZ)
        << QByteArray("ab");
    QTest::newRow("non-ASCII becomes UTF-8")
        << RegValue::String("S", QString::fromUtf8("Größe")) << QByteArray("S") << quint32(REG_SZ)
        << QByteArray("Gr\xc3\xb6\xc3\x9f"
                      "e\0",
                      8);
    QTest::newRow("non-ASCII value name") << RegValue::String(QString::fromUtf8("Prüfung"), "x")
                                          << QByteArray("PR\xc3\x9c"
                                                        "FUNG")
                                          << quint32(REG_SZ) << QByteArray("x\0", 2);
    QTest::newRow("expand string converted too")
        << RegValue::String("E", "%TEMP%", REG_EXPAND_SZ) << QByteArray("E") << quint32(REG_EXPAND_SZ)
        << QByteArray("%TEMP%\0", 7);
    QTest::newRow("multi string keeps its zeros")
        << RegValue{"M", REG_MULTI_SZ, QByteArray("a\0\0\0b\0\0\0\0\0", 10)} << QByteArray("M")
        << quint32(REG_MULTI_SZ) << QByteArray("a\0b\0\0", 5);
    QTest::newRow("dword passes raw") << RegValue::Dword("D", 0x01020304) << QByteArray("D")
                                      << quint32(REG_DWORD) << QByteArray("\x04\x03\x02\x01", 4);
    QTest::newRow("binary passes raw") << RegValue{"B", REG_BINARY, QByteArray("\0\xff", 2)}
                                       << QByteArray("B") << quint32(REG_BINARY) << QByteArray("\0\xff", 2);
    QTest::newRow("default value by null name")
        << RegValue::String("", "def") << QByteArray() << quint32(REG_SZ) << QByteArray("def\0", 4);
}

void tst_RawRegistry::queryValue() {
    QFETCH(RegValue, stored);
    QFETCH(QByteArray, name);
    QFETCH(quint32, type);
    QFETCH(QByteArray, bytes);
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "Software\\Q", stored), long(ERROR_SUCCESS));
    HKEY key = 0;
    QCOMPARE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Q", 0, KEY_READ, &key), long(ERROR_SUCCESS));
    const char* valueName = name.isNull() ? nullptr : name.constData();
    quint32 gotType = 0;
    quint32 size = 0;
    QCOMPARE(RegQueryValueExA(key, valueName, nullptr, &gotType, nullptr, &size), long(ERROR_SUCCESS));
    QCOMPARE(gotType, type);
    QCOMPARE(size, quint32(bytes.size()));
    QByteArray buffer(64, 'X');
    size = quint32(buffer.size());
    QCOMPARE(RegQueryValueExA(key, valueName, nullptr, &gotType,
                              reinterpret_cast<unsigned char*>(buffer.data()), &size),
             long(ERROR_SUCCESS));
    QCOMPARE(buffer.left(size), bytes);
    QCOMPARE(buffer.at(size), 'X'); // nothing written past the data
    RegCloseKey(key);
}

void tst_RawRegistry::bufferSizes_data() {
    QTest::addColumn<quint32>("bufferSize");
    QTest::addColumn<long>("result");
    QTest::newRow("exact size") << 5u << long(ERROR_SUCCESS);
    QTest::newRow("one byte short") << 4u << long(ERROR_MORE_DATA);
    QTest::newRow("zero-sized buffer") << 0u << long(ERROR_MORE_DATA);
    QTest::newRow("larger buffer") << 100u << long(ERROR_SUCCESS);
}

void tst_RawRegistry::bufferSizes() {
    QFETCH(quint32, bufferSize);
    QFETCH(long, result);
    RegistryStore::SetValue(HKEY_CURRENT_USER, "Software\\K", RegValue::String("s", "abcd"));
    QByteArray buffer(128, '\0');
    quint32 size = bufferSize;
    QCOMPARE(RegQueryValueExA(HKEY_CURRENT_USER, "s", nullptr, nullptr, nullptr, &size),
             long(ERROR_FILE_NOT_FOUND));
    HKEY key = 0;
    RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\K", 0, KEY_READ, &key);
    size = bufferSize;
    QCOMPARE(
        RegQueryValueExA(key, "s", nullptr, nullptr, reinterpret_cast<unsigned char*>(buffer.data()), &size),
        result);
    QCOMPARE(size, 5u); // the size needed, or written
    quint32 reserved = 0;
    QCOMPARE(RegQueryValueExA(key, "s", &reserved, nullptr, nullptr, &size), long(ERROR_INVALID_PARAMETER));
    QCOMPARE(RegQueryValueExA(key, "s", nullptr, nullptr, reinterpret_cast<unsigned char*>(buffer.data()),
                              nullptr),
             long(ERROR_INVALID_PARAMETER));
    QCOMPARE(RegQueryValueExA(key, "missing", nullptr, nullptr, nullptr, &size), long(ERROR_FILE_NOT_FOUND));
    RegCloseKey(key);
}

// The about box opens with 0x2003F, reads into 1,024 bytes and cuts one trailing zero.
void tst_RawRegistry::aboutBoxRead_data() {
    QTest::addColumn<RegValue>("stored");
    QTest::addColumn<long>("result");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("terminated string")
        << RegValue::String("PATH", "C:\\m.exe") << long(ERROR_SUCCESS) << QByteArray("C:\\m.exe");
    QTest::newRow("unterminated string reads the same")
        << RegValue{"PATH", REG_SZ, EncodeRegString("C:\\m.exe").chopped(2)} << long(ERROR_SUCCESS)
        << QByteArray("C:\\m.exe");
    QTest::newRow("1,023 characters and terminator fit")
        << RegValue::String("PATH", QString(1023, 'a')) << long(ERROR_SUCCESS) << QByteArray(1023, 'a');
    QTest::newRow("1,024 characters and terminator do not fit")
        << RegValue::String("PATH", QString(1024, 'a')) << long(ERROR_MORE_DATA) << QByteArray();
}

void tst_RawRegistry::aboutBoxRead() {
    QFETCH(RegValue, stored);
    QFETCH(long, result);
    QFETCH(QByteArray, text);
    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, Key, stored), long(ERROR_SUCCESS));
    HKEY key = 0;
    QCOMPARE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, Key, 0, 0x2003F, &key), long(ERROR_SUCCESS));
    QByteArray buffer(1024, '\0');
    quint32 size = 1024;
    quint32 type = 0;
    QCOMPARE(
        RegQueryValueExA(key, "PATH", nullptr, &type, reinterpret_cast<unsigned char*>(buffer.data()), &size),
        result);
    if (result == ERROR_SUCCESS) {
        buffer.truncate(size);
        if (buffer.endsWith('\0'))
            buffer.chop(1);
        QCOMPARE(buffer, text);
        QCOMPARE(type, quint32(REG_SZ));
    }
    QCOMPARE(RegCloseKey(key), long(ERROR_SUCCESS));
}

QTEST_GUILESS_MAIN(tst_RawRegistry)
#include "tst_RawRegistry.moc"
