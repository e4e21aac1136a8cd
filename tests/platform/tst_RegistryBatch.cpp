#include "platform/registry/Registry.h"
#include "platform/registry/RegistryBatch.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class tst_RegistryBatch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void endings_data();
    void endings();
    void onlyOpenedHivesChange_data();
    void onlyOpenedHivesChange();
    void readBatch();

private:
    std::unique_ptr<QTemporaryDir> m_prefix;
};

void tst_RegistryBatch::init() {
    m_prefix = std::make_unique<QTemporaryDir>();
    QVERIFY(m_prefix->isValid());
    qputenv("KX4_PREFIX", QFile::encodeName(m_prefix->path()));
    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "Software\\K", RegValue::Dword("n", 1)),
             long(ERROR_SUCCESS));
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "Software\\K", RegValue::Dword("n", 1)),
             long(ERROR_SUCCESS));
}

void tst_RegistryBatch::cleanup() {
    qunsetenv("KX4_PREFIX");
    m_prefix.reset();
}

void tst_RegistryBatch::endings_data() {
    QTest::addColumn<bool>("commit");
    QTest::newRow("committed: both hives changed") << true;
    QTest::newRow("dropped unfinished: neither hive changed") << false;
}

void tst_RegistryBatch::endings() {
    QFETCH(bool, commit);
    {
        RegistryBatch batch;
        QCOMPARE(batch.BeginWrite(true, true), long(ERROR_SUCCESS));
        QCOMPARE(batch.SetValue(HKEY_LOCAL_MACHINE, "Software\\K", RegValue::Dword("n", 2)),
                 long(ERROR_SUCCESS));
        QCOMPARE(batch.SetValue(HKEY_CLASSES_ROOT, ".kxs", RegValue::String("", "KX")), long(ERROR_SUCCESS));
        QCOMPARE(batch.DeleteTree(HKEY_CURRENT_USER, "Software\\K"), long(ERROR_SUCCESS));
        // The batch reads its own changes.
        QVERIFY(!batch.KeyExists(HKEY_CURRENT_USER, "Software\\K"));
        RegValue v;
        QCOMPARE(batch.QueryValue(HKEY_LOCAL_MACHINE, "Software\\K", "N", &v), long(ERROR_SUCCESS));
        QCOMPARE(v.Number(), 2u);
        if (commit)
            QCOMPARE(batch.Commit(), long(ERROR_SUCCESS));
    }
    RegValue v;
    QCOMPARE(RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, "Software\\K", "n", &v), long(ERROR_SUCCESS));
    QCOMPARE(v.Number(), commit ? 2u : 1u);
    QCOMPARE(RegistryStore::KeyExists(HKEY_CLASSES_ROOT, ".kxs"), commit);
    QCOMPARE(RegistryStore::KeyExists(HKEY_CURRENT_USER, "Software\\K"), !commit);
    // The hives take plain changes again afterwards.
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "Software\\After", RegValue::Dword("a", 1)),
             long(ERROR_SUCCESS));
    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "Software\\After", RegValue::Dword("a", 1)),
             long(ERROR_SUCCESS));
}

void tst_RegistryBatch::onlyOpenedHivesChange_data() {
    QTest::addColumn<bool>("machine");
    QTest::addColumn<quint32>("root");
    QTest::addColumn<long>("result");
    QTest::newRow("machine batch, machine key") << true << HKEY_LOCAL_MACHINE << long(ERROR_SUCCESS);
    QTest::newRow("machine batch, classes key") << true << HKEY_CLASSES_ROOT << long(ERROR_SUCCESS);
    QTest::newRow("machine batch, user key") << true << HKEY_CURRENT_USER << long(ERROR_ACCESS_DENIED);
    QTest::newRow("user batch, user key") << false << HKEY_CURRENT_USER << long(ERROR_SUCCESS);
    QTest::newRow("user batch, classes key") << false << HKEY_CLASSES_ROOT << long(ERROR_ACCESS_DENIED);
}

void tst_RegistryBatch::onlyOpenedHivesChange() {
    QFETCH(bool, machine);
    QFETCH(quint32, root);
    QFETCH(long, result);
    // The hive left out is read-only, and the batch must not need it.
    QVERIFY(QFile::setPermissions(
        RegistryStore::HiveFilePath(machine ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE), QFile::ReadOwner));
    RegistryBatch batch;
    QCOMPARE(batch.BeginWrite(machine, !machine), long(ERROR_SUCCESS));
    QCOMPARE(batch.SetValue(root, "Software\\B", RegValue::Dword("b", 1)), result);
    QCOMPARE(batch.Commit(), long(ERROR_SUCCESS));
    QCOMPARE(RegistryStore::KeyExists(root, "Software\\B"), result == ERROR_SUCCESS);

    RegistryBatch refused;
    QCOMPARE(refused.BeginWrite(true, true), long(ERROR_ACCESS_DENIED));
    QVERIFY2(refused.LastError().contains(machine ? "user.db" : "system.db"),
             qPrintable(refused.LastError()));
}

void tst_RegistryBatch::readBatch() {
    RegistryBatch reader;
    QCOMPARE(reader.BeginRead(), long(ERROR_SUCCESS));
    QStringList keys;
    QCOMPARE(reader.EnumKeys(HKEY_LOCAL_MACHINE, "Software", &keys), long(ERROR_SUCCESS));
    QCOMPARE(keys, QStringList{"K"});
    QVERIFY(reader.KeyExists(HKEY_CLASSES_ROOT, "")); // before any class was written
    QList<RegValue> values;
    QCOMPARE(reader.EnumValues(HKEY_CURRENT_USER, "Software\\K", &values), long(ERROR_SUCCESS));
    QCOMPARE(values, QList<RegValue>{RegValue::Dword("n", 1)});
    QCOMPARE(reader.EnumValues(HKEY_CURRENT_USER, "Software\\Missing", &values), long(ERROR_FILE_NOT_FOUND));
    QCOMPARE(reader.Commit(), long(ERROR_SUCCESS));
}

QTEST_GUILESS_MAIN(tst_RegistryBatch)
#include "tst_RegistryBatch.moc"
