#include "platform/registry/Registry.h"
#include "studio/Failure.h"
#include "studio/IStudioUtilities.h"
#include "studio/Variant.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

class tst_StudioUtilities : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_prefix;
    QString Drive(const QString& relative = QString()) const {
        return m_prefix->path() + QStringLiteral("/drives/c") + (relative.isEmpty() ? "" : "/" + relative);
    }
    IRegistryService& Registry() { return StudioUtilities().Registry(); }

private Q_SLOTS:
    void init() {
        m_prefix = std::make_unique<QTemporaryDir>();
        qputenv("KX4_PREFIX", m_prefix->path().toUtf8());
        QVERIFY(QDir().mkpath(Drive()));
    }

    void getValue_data() {
        QTest::addColumn<RegValue>("stored");
        QTest::addColumn<QVariant>("defaultValue");
        QTest::addColumn<QVariant>("expected");
        const RegValue none{QStringLiteral("other"), REG_SZ, {}};
        QTest::newRow("missing value gives the 16-bit default")
            << none << Variant::Int16(1031) << Variant::Int16(1031);
        QTest::newRow("missing value without default gives empty text")
            << none << Variant::MissingArgument() << QVariant(QString());
        QTest::newRow("string") << RegValue::String("v", "C:\\Studio") << QVariant(QString())
                                << QVariant("C:\\Studio");
        QTest::newRow("string without terminator")
            << RegValue{"v", REG_SZ, QByteArray("A\0B\0", 4)} << QVariant() << QVariant("AB");
        QTest::newRow("dword is a 32-bit integer")
            << RegValue::Dword("v", 1033) << QVariant(0) << QVariant(qint32(1033));
        QTest::newRow("dword above 2^31 stays 32-bit signed")
            << RegValue::Dword("v", 0xFFFFFFFFu) << QVariant(0) << QVariant(qint32(-1));
    }
    void getValue() {
        QFETCH(RegValue, stored);
        QFETCH(QVariant, defaultValue);
        QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "Software\\T", stored), long(ERROR_SUCCESS));
        const QVariant got = Registry().GetValue(HKEY_LOCAL_MACHINE, "software\\t", "V", defaultValue);
        QFETCH(QVariant, expected);
        QCOMPARE(got.metaType(), expected.metaType());
        QCOMPARE(got, expected);
    }

    void missingKeyGivesDefault() {
        QCOMPARE(Registry().GetValue(HKEY_CURRENT_USER, "Software\\Nowhere", "x", QString("d")),
                 QVariant("d"));
        QVERIFY(Registry().EnumKeys(HKEY_LOCAL_MACHINE, "Software\\Nowhere").isEmpty());
    }

    void setValueWritesAString() {
        Registry().SetValue(HKEY_CURRENT_USER, "Software\\A\\B", QString("DefaultProjectsPath"),
                            QString("C:\\P"), 1);
        RegValue value;
        QCOMPARE(
            RegistryStore::QueryValue(HKEY_CURRENT_USER, "Software\\A\\B", "DefaultProjectsPath", &value),
            long(ERROR_SUCCESS));
        QCOMPARE(value.type, quint32(REG_SZ));
        QCOMPARE(value.data, EncodeRegString("C:\\P"));
    }

    void deleteKeyTakesTheSubtree() {
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "Software\\P\\Demo\\Sub", RegValue::String("x", "y"));
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "Software\\P\\Keep", RegValue::String("x", "y"));
        Registry().DeleteKey(HKEY_LOCAL_MACHINE, "Software\\P\\demo");
        QCOMPARE(Registry().EnumKeys(HKEY_LOCAL_MACHINE, "Software\\P"), QStringList{"Keep"});
        Registry().DeleteKey(HKEY_LOCAL_MACHINE, "Software\\P\\Demo"); // already gone: no failure
    }

    void deleteKeysIsOneChange() {
        for (const char* name : {"A", "B\\Sub", "C"})
            RegistryStore::SetValue(HKEY_LOCAL_MACHINE, QString("Software\\P\\") + name,
                                    RegValue::String("x", "y"));
        Registry().DeleteKeys(HKEY_LOCAL_MACHINE, "Software\\P", {"a", "B", "Gone"});
        QCOMPARE(Registry().EnumKeys(HKEY_LOCAL_MACHINE, "Software\\P"), QStringList{"C"});
        Registry().DeleteKeys(HKEY_LOCAL_MACHINE, "Software\\P", {}); // nothing to do
    }

    void deleteOnReadOnlyHiveNamesTheKey() {
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "Software\\P\\Demo", RegValue::String("x", "y"));
        QStringList hives = QDir(m_prefix->path()).entryList({"*.db"}, QDir::Files);
        QVERIFY(!hives.isEmpty());
        for (const QString& hive : hives)
            QFile::setPermissions(m_prefix->path() + "/" + hive,
                                  QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        // The store caches its connections per prefix; a fresh prefix path forces a reopen.
        qputenv("KX4_PREFIX", (m_prefix->path() + "/").toUtf8());
        try {
            Registry().DeleteKey(HKEY_LOCAL_MACHINE, "Software\\P\\Demo");
            QFAIL("deleting from a read-only hive succeeded");
        } catch (const Failure& failure) {
            QCOMPARE(failure.Number(), 5);
            QVERIFY2(failure.Description().contains("Software\\P\\Demo"), qPrintable(failure.Description()));
        }
        try {
            Registry().DeleteKeys(HKEY_LOCAL_MACHINE, "Software\\P", {"Demo"});
            QFAIL("deleting keys from a read-only hive succeeded");
        } catch (const Failure& failure) {
            QCOMPARE(failure.Number(), 5);
            QVERIFY2(failure.Description().contains("Software\\P\\Demo"), qPrintable(failure.Description()));
        }
        QCOMPARE(Registry().EnumKeys(HKEY_LOCAL_MACHINE, "Software\\P"), QStringList{"Demo"});
    }

    // A hive file that is no hive fails every registry call naming the file, never as "absent".
    void unreadableHiveNamesTheFile() {
        const QString hive = RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE);
        QFile file(hive);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("not a database\n").repeated(100));
        file.close();
        const std::function<void()> calls[] = {
            [&] { Registry().GetValue(HKEY_LOCAL_MACHINE, "Software\\T", "v", QString("default")); },
            [&] { Registry().EnumKeys(HKEY_LOCAL_MACHINE, "Software"); },
            [&] { Registry().DeleteKey(HKEY_LOCAL_MACHINE, "Software\\T"); },
        };
        for (const auto& call : calls) {
            try {
                call();
                QFAIL("a call on a file that is no hive succeeded");
            } catch (const Failure& failure) {
                QCOMPARE(failure.Number(), int(ERROR_BADDB));
                QVERIFY2(failure.Description().contains(hive), qPrintable(failure.Description()));
            }
        }
    }

    void createFolder() {
        StudioUtilities().Folders().CreateFolder("C:\\a\\b\\c");
        QVERIFY(QFileInfo(Drive("a/b/c")).isDir());
        StudioUtilities().Folders().CreateFolder("C:\\a\\b\\c"); // existing: success
        QVERIFY(StudioUtilities().Folders().FolderExists("c:\\A\\..\\a\\b"));
        QFile file(Drive("file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        try {
            StudioUtilities().Folders().CreateFolder("C:\\file\\sub");
            QFAIL("creating a folder below a file succeeded");
        } catch (const Failure& failure) {
            QVERIFY2(failure.Description().contains("C:\\file\\sub"), qPrintable(failure.Description()));
        }
        QVERIFY(!StudioUtilities().Folders().FolderExists(""));
        QVERIFY(!StudioUtilities().Folders().FolderExists("C:\\file"));
    }

    void getProjectPath_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("expected"); // relative to drive C; empty: a failure
        QTest::newRow("windows path") << "C:\\Prj\\Demo.kxs"
                                      << "Prj/Demo.kxs";
        QTest::newRow("extension in capitals") << "C:\\Prj\\Demo.KXS"
                                               << "Prj/Demo.KXS";
        QTest::newRow("registered name") << "Demo"
                                         << "Prj/Demo.kxs";
        QTest::newRow("registered name, other case") << "demo"
                                                     << "Prj/demo.kxs";
        QTest::newRow("path ending in backslash") << "Slash"
                                                  << "Prj/Slash.kxs";
        QTest::newRow("unknown name") << "Nobody"
                                      << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void getProjectPath() {
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Projects + "\\Demo",
                                RegValue::String("Path", "C:\\Prj"));
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Projects + "\\Slash",
                                RegValue::String("Path", "C:\\Prj\\"));
        QFETCH(QString, argument);
        QFETCH(QString, expected);
        if (expected.isEmpty()) {
            try {
                StudioUtilities().Files().GetProjectPath(argument);
                QFAIL("an unknown project resolved");
            } catch (const Failure& failure) {
                QVERIFY(failure.Description().contains("\"" + argument + "\""));
            }
            return;
        }
        QCOMPARE(QDir::cleanPath(StudioUtilities().Files().GetProjectPath(argument)), Drive(expected));
    }

    void fileExists() {
        QVERIFY(QDir().mkpath(Drive("Prj")));
        QFile file(Drive("Prj/Demo.kxs"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(StudioUtilities().Files().FileExists("C:\\Prj\\Demo.kxs"));
        QVERIFY(StudioUtilities().Files().FileExists("C:\\Prj\\\\Demo.kxs"));
        QVERIFY(!StudioUtilities().Files().FileExists("C:\\Prj"));
        QVERIFY(!StudioUtilities().Files().FileExists("\\Demo.kxs"));
        QVERIFY(StudioUtilities().Files().FileExists(Drive("Prj/Demo.kxs")));
    }
};

QTEST_GUILESS_MAIN(tst_StudioUtilities)
#include "tst_StudioUtilities.moc"
