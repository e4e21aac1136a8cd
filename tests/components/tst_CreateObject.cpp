#include "TestComponents.h"

#include "common/TestSupport.h"
#include "studio/CreateObject.h"
#include "studio/Failure.h"
#include "studio/IEditorAddIn.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class tst_CreateObject : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_prefix;

private Q_SLOTS:
    void init() {
        m_prefix = std::make_unique<QTemporaryDir>();
        qputenv("KX4_PREFIX", m_prefix->path().toLocal8Bit());
        TestComponents::Configure(QString());
    }

    void failures_data() {
        QTest::addColumn<QString>("progId");
        QTest::addColumn<QString>("plugin"); // "<text>": a text file
        QTest::addColumn<QString>("reason");
        // clang-format off
        QTest::newRow("registered without a file") << "KXEmpty.Connect" << "" << "names no plugin file";
        QTest::newRow("relative file missing beside the program") << "KXGone.Connect" << "libgone.so" << "/lib/kx4toolbox/libgone.so\" not found";
        QTest::newRow("text file is not a plugin") << "KXText.Connect" << "<text>" << "is not a component plugin";
        QTest::newRow("plugin without class factory") << "KXPlain.Connect" << KX4_TEST_PLAIN_PLUGIN << "offers no class factory";
        QTest::newRow("plugin without that class") << "KXBogus.Connect" << KX4_TEST_EDITOR_PLUGIN << "has no class \"KXBogus.Connect\"";
        // clang-format on
    }
    void failures() {
        QFETCH(QString, progId);
        QFETCH(QString, plugin);
        QFETCH(QString, reason);
        if (plugin == "<text>") {
            plugin = m_prefix->filePath("readme.so");
            QVERIFY(TestSupport::WriteFile(plugin, "not a plugin\n"));
        }
        QVERIFY(TestComponents::RegisterClass(progId, plugin));
        const std::optional<Failure> failure = TestSupport::FailureOf([&] { CreateObject(progId); });
        QVERIFY(failure && failure->Number() == int(Failure::CannotCreateObject));
        QVERIFY2(failure->Description().startsWith(QString("cannot create object \"%1\": ").arg(progId)) &&
                     failure->Description().contains(reason),
                 qPrintable(failure->Description()));
    }

    // By absolute path, and by a Windows path on a drive in other case (drives/c of the prefix is
    // the folder the plugin was built in); the identifier in other case. By file name alone, as
    // TestComponents::RegisterAll registers, the editor tests make it.
    void creates() {
        const QString plugin = KX4_TEST_EDITOR_PLUGIN;
        QVERIFY(QDir(m_prefix->path()).mkpath("drives"));
        QVERIFY(QFile::link(QFileInfo(plugin).absolutePath(), m_prefix->filePath("drives/c")));
        for (const QString& written : {plugin, QString("C:\\LIBKX4TESTEDITOR.SO")}) {
            QVERIFY(TestComponents::RegisterClass("KXTestEditor.Connect", written));
            const ObjectRef object = CreateObject("kxtesteditor.CONNECT");
            QVERIFY(object && !object->parent() && ObjectFactory::Query<IEditorAddIn>(object));
        }
    }

    void objectEndsWithItsLastReference() {
        QVERIFY(TestComponents::RegisterAll());
        ObjectRef first = CreateObject(TestComponents::EditorProgId);
        ObjectRef second = first;
        QPointer<QObject> watch = first.get();
        first.reset();
        QVERIFY(watch);
        second.reset();
        QVERIFY(!watch);
    }
};

QTEST_GUILESS_MAIN(tst_CreateObject)
#include "tst_CreateObject.moc"
