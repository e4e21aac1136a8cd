#include "TestComponents.h"

#include "common/TestSupport.h"
#include "studio/CreateObject.h"
#include "studio/Failure.h"
#include "studio/IEditorAddIn.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class tst_CreateObject : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void failures_data();
    void failures();
    void creates_data();
    void creates();
    void objectEndsWithItsLastReference();

private:
    std::unique_ptr<QTemporaryDir> m_prefix;
};

void tst_CreateObject::init() {
    m_prefix = std::make_unique<QTemporaryDir>();
    QVERIFY(m_prefix->isValid());
    qputenv("KX4_PREFIX", m_prefix->path().toLocal8Bit());
    TestComponents::Configure(QString());
}

void tst_CreateObject::cleanup() { m_prefix.reset(); }

void tst_CreateObject::failures_data() {
    QTest::addColumn<QString>("progId");
    // What to register for progId; "-" registers nothing, "<text>" a text file.
    QTest::addColumn<QString>("plugin");
    QTest::addColumn<QString>("reason");
    const QString library = qEnvironmentVariable("KX4_BUILD_DIR") + "/lib/kx4toolbox/libkx4platform.so";
    // clang-format off
    QTest::newRow("not registered") << "KXNothing.Connect" << "-" << "not registered";
    QTest::newRow("registered without a file") << "KXEmpty.Connect" << "" << "names no plugin file";
    QTest::newRow("absolute file missing") << "KXGone.Connect" << "/nonexistent/libgone.so" << "plugin file \"/nonexistent/libgone.so\" not found";
    QTest::newRow("relative file missing beside the program") << "KXGone.Connect" << "libgone.so" << "/lib/kx4toolbox/libgone.so\" not found";
    QTest::newRow("text file is not a plugin") << "KXText.Connect" << "<text>" << "is not a component plugin";
    QTest::newRow("shared library is not a plugin") << "KXLib.Connect" << library << "is not a component plugin";
    QTest::newRow("plugin without class factory") << "KXPlain.Connect" << TestComponents::PlainPlugin() << "offers no class factory";
    QTest::newRow("plugin without that class") << "KXBogus.Connect" << TestComponents::EditorPlugin() << "has no class \"KXBogus.Connect\"";
    // clang-format on
}

void tst_CreateObject::failures() {
    QFETCH(QString, progId);
    QFETCH(QString, plugin);
    QFETCH(QString, reason);

    if (plugin == QLatin1String("<text>")) {
        plugin = m_prefix->filePath(QStringLiteral("readme.so"));
        QFile text(plugin);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a plugin\n");
    }
    if (plugin != QLatin1String("-"))
        QVERIFY(TestComponents::RegisterClass(progId, plugin));

    QString why;
    QVERIFY(!ObjectFactory::Create(progId, &why));
    QVERIFY2(why.contains(reason), qPrintable(why));

    const std::optional<Failure> failure = TestSupport::FailureOf([&] { CreateObject(progId); });
    QVERIFY(failure && failure->Number() == int(Failure::CannotCreateObject));
    QVERIFY2(failure->Description().startsWith(QString("cannot create object \"%1\": ").arg(progId)) &&
                 failure->Description().contains(reason),
             qPrintable(failure->Description()));
}

void tst_CreateObject::creates_data() {
    QTest::addColumn<QString>("progIdAsAsked");
    QTest::addColumn<QString>("progIdAsRegistered");
    QTest::addColumn<QString>("written"); // the plugin as registered: "absolute", "relative", or a path
    QTest::addColumn<bool>("addIn");
    // clang-format off
    QTest::newRow("absolute plugin path") << "KXTestEditor.Connect" << "KXTestEditor.Connect" << "absolute" << true;
    QTest::newRow("identifier in other case, file beside the program") << "kxtesteditor.CONNECT" << "KXTestEditor.Connect" << "relative" << true;
    QTest::newRow("object without add-in") << "KXTestNoAddIn.Connect" << "KXTestNoAddIn.Connect" << "relative" << false;
    // drives/c of the prefix is linked to the folder the plugin was built in.
    QTest::newRow("Windows path on a drive, other case") << "KXTestEditor.Connect" << "KXTestEditor.Connect" << "C:\\LIBKX4TESTEDITOR.SO" << true;
    // clang-format on
}

void tst_CreateObject::creates() {
    QFETCH(QString, progIdAsAsked);
    QFETCH(QString, progIdAsRegistered);
    QFETCH(QString, written);
    QFETCH(bool, addIn);

    const QString plugin = TestComponents::EditorPlugin();
    QVERIFY(QDir(m_prefix->path()).mkpath(QStringLiteral("drives")));
    QVERIFY(QFile::link(QFileInfo(plugin).absolutePath(), m_prefix->filePath(QStringLiteral("drives/c"))));
    if (written == QLatin1String("absolute"))
        written = plugin;
    else if (written == QLatin1String("relative"))
        written = QFileInfo(plugin).fileName();
    QVERIFY(TestComponents::RegisterClass(progIdAsRegistered, written));
    const ObjectRef object = CreateObject(progIdAsAsked);
    QVERIFY(object);
    QCOMPARE(ObjectFactory::Query<IEditorAddIn>(object) != nullptr, addIn);
    QVERIFY(!object->parent());
}

void tst_CreateObject::objectEndsWithItsLastReference() {
    QVERIFY(TestComponents::RegisterAll());
    ObjectRef first = CreateObject(TestComponents::EditorProgId);
    ObjectRef second = first;
    QPointer<QObject> watch = first.get();
    first.reset();
    QVERIFY(watch);
    second.reset();
    QVERIFY(!watch);
    // Made again after every object of the plugin is gone.
    QVERIFY(ObjectFactory::Query<IEditorAddIn>(CreateObject(TestComponents::EditorProgId)));
}

QTEST_GUILESS_MAIN(tst_CreateObject)
#include "tst_CreateObject.moc"
