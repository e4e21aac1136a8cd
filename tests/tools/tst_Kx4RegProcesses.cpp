#include "platform/registry/Registry.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>
#include <sqlite3.h>
#include <vector>

// kx4reg as separate processes on one prefix: a writer killed with SIGKILL, and many at once.
class tst_Kx4RegProcesses : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void killedImport_data();
    void killedImport();
    void concurrentWriters();
    void readerSeesOtherProcessesChanges_data();
    void readerSeesOtherProcessesChanges();

private:
    static QString Kx4Reg() { return qEnvironmentVariable("KX4_BUILD_DIR") + "/bin/kx4reg"; }
    QTemporaryDir m_files;
    QString m_bigFile;
    std::unique_ptr<QTemporaryDir> m_prefix;
};

namespace {

constexpr int KeysPerHive = 300;
constexpr int ValuesPerKey = 100;

// Rows of a hive file's table, after SQLite's own recovery and integrity check.
qint64 CountRows(const QString& file, const char* table, QString* problem) {
    sqlite3* db = nullptr;
    qint64 count = -1;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        *problem = "cannot open " + file;
        sqlite3_close(db);
        return -1;
    }
    sqlite3_busy_timeout(db, 10000);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
    if (sqlite3_step(st) != SQLITE_ROW ||
        qstrcmp(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "ok"))
        *problem = file + ": integrity check failed: " + sqlite3_errmsg(db);
    sqlite3_finalize(st);
    const QByteArray sql = QByteArray("SELECT count(*) FROM ") + table;
    sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
    if (sqlite3_step(st) == SQLITE_ROW)
        count = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return count;
}

} // namespace

void tst_Kx4RegProcesses::initTestCase() {
    QVERIFY(m_files.isValid());
    QVERIFY2(QFile::exists(Kx4Reg()), qPrintable(Kx4Reg()));
    // One file over both hives, so the commit must be atomic across two database files.
    m_bigFile = m_files.path() + "/big.reg";
    QFile file(m_bigFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QByteArray text = "Windows Registry Editor Version 5.00\r\n\r\n";
    for (const char* root : {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"}) {
        for (int k = 0; k < KeysPerHive; ++k) {
            text += QByteArray("[") + root + "\\Software\\Big\\K" + QByteArray::number(k) + "]\r\n";
            for (int v = 0; v < ValuesPerKey; ++v)
                text += "\"v" + QByteArray::number(v) + "\"=\"some text of a value " + QByteArray::number(v) +
                        "\"\r\n";
            text += "\r\n";
        }
    }
    QVERIFY(file.write(text) == text.size());
}

void tst_Kx4RegProcesses::init() {
    m_prefix = std::make_unique<QTemporaryDir>();
    QVERIFY(m_prefix->isValid());
    qputenv("KX4_PREFIX", QFile::encodeName(m_prefix->path()));
}

void tst_Kx4RegProcesses::cleanup() {
    qunsetenv("KX4_PREFIX");
    m_prefix.reset();
}

void tst_Kx4RegProcesses::killedImport_data() {
    QTest::addColumn<int>("delayMs"); // -1: let it finish
    QTest::newRow("finished import holds everything") << -1;
    QTest::newRow("killed at once") << 0;
    for (int delay : {60, 150, 300, 500, 800, 1200})
        QTest::newRow(qPrintable(QString("killed after %1 ms").arg(delay))) << delay;
}

void tst_Kx4RegProcesses::killedImport() {
    QFETCH(int, delayMs);
    // A value already there in each hive, which must survive whatever happens.
    QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "Software\\Before", RegValue::Dword("m", 1)),
             long(ERROR_SUCCESS));
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "Software\\Before", RegValue::Dword("u", 1)),
             long(ERROR_SUCCESS));

    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(Kx4Reg(), {"import", m_bigFile});
    QVERIFY(process.waitForStarted());
    bool killed = false;
    if (delayMs >= 0) {
        QThread::msleep(delayMs);
        killed = process.state() == QProcess::Running;
        process.kill(); // SIGKILL: no handler, no cleanup
    }
    QVERIFY(process.waitForFinished(120000));
    if (!killed)
        QCOMPARE(process.exitCode(), 0);

    const qint64 all = qint64(KeysPerHive) * ValuesPerKey + 1;
    QList<qint64> counts;
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        const QString file = RegistryStore::HiveFilePath(root);
        if (!QFile::exists(file)) {
            counts << 1; // never created, so only the earlier value... which needs the file
            QFAIL("a hive file written before the import is gone");
        }
        QString problem;
        const qint64 values = CountRows(file, "vals", &problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        counts << values;
    }
    // Both hives hold all of the import, or neither holds any of it.
    QVERIFY2((counts == QList<qint64>{all, all}) || (counts == QList<qint64>{1, 1}),
             qPrintable(QString("values per hive: %1, %2").arg(counts[0]).arg(counts[1])));
    qInfo("%s; the import is %s", killed ? "killed while running" : "had finished",
          counts.first() == all ? "all there" : "not there");
    if (!killed)
        QCOMPARE(counts, (QList<qint64>{all, all}));

    // The registry goes on working.
    RegValue v;
    QCOMPARE(RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, "Software\\Before", "m", &v), long(ERROR_SUCCESS));
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "Software\\After", RegValue::Dword("a", 1)),
             long(ERROR_SUCCESS));
}

void tst_Kx4RegProcesses::concurrentWriters() {
    constexpr int Importers = 6;
    constexpr int ValuesPerFile = 25;
    constexpr int Adders = 12;
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < Importers; ++i) {
        const QString path = m_prefix->path() + QString("/part%1.reg").arg(i);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray text = "REGEDIT4\n\n";
        for (const char* root : {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"}) {
            text += QByteArray("[") + root + "\\Software\\Shared]\n";
            for (int v = 0; v < ValuesPerFile; ++v)
                text += QString("\"p%1_%2\"=dword:%3\n").arg(i).arg(v).arg(v, 8, 16, QChar('0')).toLatin1();
        }
        file.close();
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        processes.push_back(std::make_unique<QProcess>());
        processes.back()->setProgram(Kx4Reg());
        processes.back()->setArguments({"import", path});
    }
    for (int i = 0; i < Adders; ++i) {
        processes.push_back(std::make_unique<QProcess>());
        processes.back()->setProgram(Kx4Reg());
        processes.back()->setArguments({"add", i % 2 ? "HKCU\\Software\\Shared" : "HKLM\\Software\\Shared",
                                        "/v", QString("a%1").arg(i), "/d", "x", "/f"});
    }
    for (auto& process : processes) {
        process->setStandardInputFile(QProcess::nullDevice());
        process->start();
    }
    for (auto& process : processes) {
        QVERIFY(process->waitForFinished(120000));
        QVERIFY2(process->exitCode() == 0, process->readAllStandardError().constData());
    }
    QList<RegValue> machine;
    QList<RegValue> user;
    QCOMPARE(RegistryStore::EnumValues(HKEY_LOCAL_MACHINE, "Software\\Shared", &machine),
             long(ERROR_SUCCESS));
    QCOMPARE(RegistryStore::EnumValues(HKEY_CURRENT_USER, "Software\\Shared", &user), long(ERROR_SUCCESS));
    QCOMPARE(machine.size(), Importers * ValuesPerFile + Adders / 2);
    QCOMPARE(user.size(), Importers * ValuesPerFile + Adders / 2);
}

void tst_Kx4RegProcesses::readerSeesOtherProcessesChanges_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("keyAfter");
    QTest::addColumn<QString>("textAfter"); // of value "v"; empty when it is gone
    QTest::newRow("value replaced") << QStringList{"add", "HKCU\\Software\\R", "/v", "v", "/d", "new", "/f"}
                                    << true << "new";
    QTest::newRow("value deleted") << QStringList{"delete", "HKCU\\Software\\R", "/v", "V", "/f"} << true
                                   << "";
    QTest::newRow("key deleted") << QStringList{"delete", "HKCU\\Software\\R", "/f"} << false << "";
    QTest::newRow("value added in another case")
        << QStringList{"add", "HKCU\\SOFTWARE\\r", "/v", "V", "/d", "case", "/f"} << true << "case";
}

// A process that has read a key (and keeps it cached) sees what another process changed.
void tst_Kx4RegProcesses::readerSeesOtherProcessesChanges() {
    QFETCH(QStringList, args);
    QFETCH(bool, keyAfter);
    QFETCH(QString, textAfter);
    QCOMPARE(RegistryStore::SetValue(HKEY_CURRENT_USER, "Software\\R", RegValue::String("v", "old")),
             long(ERROR_SUCCESS));
    for (int i = 0; i < 3; ++i) { // warm
        RegValue v;
        QCOMPARE(RegistryStore::QueryValue(HKEY_CURRENT_USER, "Software\\R", "v", &v), long(ERROR_SUCCESS));
        QCOMPARE(v.Text(), QString("old"));
    }
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(Kx4Reg(), args);
    QVERIFY(process.waitForFinished(30000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    QCOMPARE(RegistryStore::KeyExists(HKEY_CURRENT_USER, "Software\\R"), keyAfter);
    RegValue v;
    const long rc = RegistryStore::QueryValue(HKEY_CURRENT_USER, "Software\\R", "v", &v);
    QCOMPARE(rc, textAfter.isEmpty() ? long(ERROR_FILE_NOT_FOUND) : long(ERROR_SUCCESS));
    QCOMPARE(v.Text(), textAfter);
}

QTEST_GUILESS_MAIN(tst_Kx4RegProcesses)
#include "tst_Kx4RegProcesses.moc"
