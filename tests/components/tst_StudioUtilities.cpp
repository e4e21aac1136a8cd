#include "common/TestSupport.h"
#include "platform/registry/Registry.h"
#include "studio/IStudioUtilities.h"
#include "studio/Variant.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>

class tst_StudioUtilities : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_prefix;
    QString Drive(const QString& relative) const { return m_prefix->path() + "/drives/c/" + relative; }
    IRegistryService& Registry() { return StudioUtilities().Registry(); }

    void VerifyFailures(std::initializer_list<std::function<void()>> calls, int number, const QString& what) {
        for (const auto& call : calls) {
            const std::optional<Failure> failure = TestSupport::FailureOf(call);
            QVERIFY(failure && failure->Number() == number);
            QVERIFY2(failure->Description().contains(what), qPrintable(failure->Description()));
        }
    }

private Q_SLOTS:
    void init() {
        m_prefix = std::make_unique<QTemporaryDir>();
        qputenv("KX4_PREFIX", m_prefix->path().toUtf8());
        QVERIFY(QDir().mkpath(Drive("")));
    }

    void getValue_data() {
        QTest::addColumn<RegValue>("stored");
        QTest::addColumn<QVariant>("defaultValue");
        QTest::addColumn<QVariant>("expected");
        const RegValue none{QStringLiteral("other"), REG_SZ, {}};
        // clang-format off
        QTest::newRow("missing value gives the 16-bit default") << none << Variant::Int16(1031) << Variant::Int16(1031);
        QTest::newRow("missing value without default gives empty text") << none << Variant::MissingArgument() << QVariant(QString());
        QTest::newRow("string without terminator") << RegValue{"v", REG_SZ, QByteArray("A\0B\0", 4)} << QVariant() << QVariant("AB");
        QTest::newRow("dword above 2^31 is a 32-bit signed integer") << RegValue::Dword("v", 0xFFFFFFFFu) << QVariant(0) << QVariant(qint32(-1));
        // clang-format on
    }
    void getValue() {
        QFETCH(RegValue, stored);
        QFETCH(QVariant, defaultValue);
        QFETCH(QVariant, expected);
        QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, "Software\\T", stored), long(ERROR_SUCCESS));
        const QVariant got = Registry().GetValue(HKEY_LOCAL_MACHINE, "software\\t", "V", defaultValue);
        QCOMPARE(got.metaType(), expected.metaType());
        QCOMPARE(got, expected);
    }

    // SetValue writes a string; what is already gone is no failure to delete and has no subkeys.
    // A read-only hive fails deletions naming the key; a file that is
    // no hive fails every call naming the file, never reading as "absent".
    void writes() {
        Registry().SetValue(HKEY_LOCAL_MACHINE, "Software\\P\\B", QString("Path"), QString("C:\\P"), 1);
        RegValue value;
        QCOMPARE(RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, "Software\\P\\B", "Path", &value),
                 long(ERROR_SUCCESS));
        QCOMPARE(value.type, quint32(REG_SZ));
        QCOMPARE(value.data, EncodeRegString("C:\\P"));
        Registry().DeleteKey(HKEY_LOCAL_MACHINE, "Software\\Gone");
        Registry().DeleteKeys(HKEY_LOCAL_MACHINE, "Software\\P", {"Gone"});
        QVERIFY(Registry().EnumKeys(HKEY_LOCAL_MACHINE, "Software\\Gone").isEmpty());
        const QString hive = RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE);
        QVERIFY(QFile::setPermissions(hive, QFile::ReadOwner));
        // The store caches its connections per prefix; a fresh prefix path forces a reopen.
        qputenv("KX4_PREFIX", (m_prefix->path() + "/").toUtf8());
        VerifyFailures({[&] { Registry().DeleteKey(HKEY_LOCAL_MACHINE, "Software\\P\\B"); },
                        [&] { Registry().DeleteKeys(HKEY_LOCAL_MACHINE, "Software\\P", {"B"}); }},
                       5, "Software\\P\\B");
        QCOMPARE(Registry().EnumKeys(HKEY_LOCAL_MACHINE, "Software\\P"), QStringList{"B"});

        QVERIFY(QFile::remove(hive) && TestSupport::WriteFile(hive, QByteArray(1500, 'x')));
        qputenv("KX4_PREFIX", (m_prefix->path() + "//").toUtf8());
        VerifyFailures(
            {[&] { Registry().GetValue(HKEY_LOCAL_MACHINE, "Software\\T", "v", QString("default")); },
             [&] { Registry().EnumKeys(HKEY_LOCAL_MACHINE, "Software"); },
             [&] { Registry().DeleteKey(HKEY_LOCAL_MACHINE, "Software\\T"); }},
            int(ERROR_BADDB), RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE));
    }

    void folders() {
        StudioUtilities().Folders().CreateFolder("C:\\a\\b\\c");
        StudioUtilities().Folders().CreateFolder("C:\\a\\b\\c"); // existing: success
        QVERIFY(StudioUtilities().Folders().FolderExists("c:\\A\\..\\a\\b\\C"));
        QVERIFY(TestSupport::WriteFile(Drive("file"), {}));
        VerifyFailures({[] { StudioUtilities().Folders().CreateFolder("C:\\file\\sub"); }},
                       int(Failure::PathAccessError), "C:\\file\\sub");
        QVERIFY(!StudioUtilities().Folders().FolderExists("") &&
                !StudioUtilities().Folders().FolderExists("C:\\file"));
    }

    void projectPaths_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("expected"); // relative to drive C; empty: a failure
        // clang-format off
        QTest::newRow("windows path, extension in capitals") << "C:\\Prj\\Demo.KXS" << "Prj/Demo.KXS";
        QTest::newRow("registered name, other case") << "demo" << "Prj/demo.kxs";
        QTest::newRow("registered path ending in backslash") << "Slash" << "Prj/Slash.kxs";
        QTest::newRow("unknown name") << "Nobody" << "";
        QTest::newRow("empty") << "" << "";
        // clang-format on
    }
    void projectPaths() {
        QFETCH(QString, argument);
        QFETCH(QString, expected);
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Projects + "\\Demo",
                                RegValue::String("Path", "C:\\Prj"));
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Projects + "\\Slash",
                                RegValue::String("Path", "C:\\Prj\\"));
        const std::optional<Failure> failure = TestSupport::FailureOf([&] {
            QCOMPARE(QDir::cleanPath(StudioUtilities().Files().GetProjectPath(argument)), Drive(expected));
        });
        QVERIFY(expected.isEmpty() == (failure && failure->Description().contains("\"" + argument + "\"")));
        QVERIFY(TestSupport::WriteFile(Drive("Prj/Demo.kxs"), {}));
        QVERIFY(StudioUtilities().Files().FileExists("c:\\PRJ\\\\demo.KXS"));
        QVERIFY(StudioUtilities().Files().FileExists(Drive("Prj/Demo.kxs")));
        QVERIFY(!StudioUtilities().Files().FileExists("C:\\Prj") &&
                !StudioUtilities().Files().FileExists("\\Demo.kxs"));
    }
};

QTEST_GUILESS_MAIN(tst_StudioUtilities)
#include "tst_StudioUtilities.moc"
