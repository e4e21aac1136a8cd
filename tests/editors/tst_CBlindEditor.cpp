#include "TestComponents.h"

#include "editors/CBlindEditor.h"
#include "studio/Failure.h"
#include "studio/Variant.h"

#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <optional>

namespace {
const QString Project = QStringLiteral("C:\\Projekte\\Anlage\\Anlage.kxs");
const QString P = QStringLiteral("C:\\Projekte\\Anlage\\Anlage.kxs: ");
const QString Connected =
    P + QStringLiteral("Connect(QString:\"C:\\Projekte\\Anlage\\Anlage.kxs\", QString:\"\", null, null)");
} // namespace

class tst_CBlindEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void connectsStartsMessagesAndDisconnects();
    void setUp_data();
    void setUp();
    void componentFailures_data();
    void componentFailures();

private:
    QStringList Log() const { return TestComponents::ReadLog(m_logFile); }
    // The failure fn throws, if any.
    template <class Fn> static std::optional<Failure> FailureOf(Fn fn) {
        try {
            fn();
        } catch (const Failure& failure) {
            return failure;
        }
        return std::nullopt;
    }

    std::unique_ptr<QTemporaryDir> m_prefix;
    QString m_logFile;
};

void tst_CBlindEditor::init() {
    m_prefix = std::make_unique<QTemporaryDir>();
    QVERIFY(m_prefix->isValid());
    qputenv("KX4_PREFIX", m_prefix->path().toLocal8Bit());
    QVERIFY(TestComponents::RegisterAll());
    m_logFile = m_prefix->filePath(QStringLiteral("calls.log"));
    TestComponents::Configure(m_logFile);
}

void tst_CBlindEditor::cleanup() { m_prefix.reset(); }

void tst_CBlindEditor::connectsStartsMessagesAndDisconnects() {
    auto editor = std::make_unique<CBlindEditor>();
    QVERIFY(!editor->CreateBlindEditor(QStringLiteral("KXLanguage"), Project).isValid());
    QVERIFY(editor->HasComponent());
    QVERIFY(editor->HasAddIn());
    QCOMPARE(Log(), QStringList({Connected, P + "Startup()"}));

    QVERIFY(!editor->Start(QStringLiteral("IDX0")).isValid());
    const QVariant copy = editor->GlobalMessage(
        QStringLiteral("Copy"), QVariantList{QStringLiteral("<IndexGroups>"), QStringLiteral("Alarme")});
    QCOMPARE(copy, QVariant(QByteArray("copy of Alarme from " + Project.toUtf8())));
    // An empty answer comes back empty, and the parameters go over with their types.
    const QVariant none = editor->GlobalMessage(
        QStringLiteral("Paste"), QVariantList{copy, QVariant(true), Variant::Int16(0), QString()});
    QVERIFY(!none.isValid());
    editor.reset();

    QCOMPARE(Log(),
             QStringList(
                 {Connected, P + "Startup()", P + "StartEditor(QString:\"\", QString:\"IDX0\", QString:\"\")",
                  P + "Message(QString:\"GLOBAL\", QString:\"Copy\", "
                      "QVariantList[QString:\"<IndexGroups>\", QString:\"Alarme\"])",
                  P +
                      "Message(QString:\"GLOBAL\", QString:\"Paste\", QVariantList[QByteArray:\"copy of "
                      "Alarme from " +
                      Project + "\", bool:true, short:0, QString:\"\"])",
                  P + "Disconnect()"}));
}

void tst_CBlindEditor::setUp_data() {
    QTest::addColumn<QString>("component");
    QTest::addColumn<QString>("editorValue"); // "-": none registered for the component
    QTest::addColumn<QStringList>("failures");
    QTest::addColumn<bool>("created"); // what Create answers
    QTest::addColumn<bool>("hasAddIn");
    QTest::addColumn<QStringList>("setUpCalls");
    QTest::addColumn<int>("startFailure");  // 0: Start works
    QTest::addColumn<QString>("startText"); // in the failure's description
    QTest::addColumn<bool>("disconnects");

    const QString startup = P + "Startup()";
    QTest::newRow("no Editor value for the component")
        << "KXOther"
        << "-" << QStringList() << true << false << QStringList() << 91
        << "no \"Editor\" value under HKEY_LOCAL_MACHINE\\Software\\HALVERN "
           "GmbH\\Kestrix\\4.0\\ServerComponents\\KXOther"
        << false;
    QTest::newRow("empty Editor value")
        << "KXOther"
        << "" << QStringList() << true << false << QStringList() << 91 << "no \"Editor\" value" << false;
    QTest::newRow("no component name")
        << ""
        << "-" << QStringList() << true << false << QStringList() << 91 << "object not set" << false;
    QTest::newRow("Editor names an unregistered class")
        << "KXOther"
        << "KXMissing" << QStringList() << false << false << QStringList() << 91
        << "cannot create object \"KXMissing.Connect\": not registered" << false;
    QTest::newRow("component without add-in interface")
        << "KXOther"
        << "KXTestNoAddIn" << QStringList() << true << false << QStringList() << 91
        << "offers no editor add-in interface" << false;
    QTest::newRow("failing Connect skips Startup but disconnects")
        << "KXLanguage"
        << "-" << QStringList{"Connect=project file is locked"} << true << true
        << QStringList{Connected + " failed"} << int(Failure::ComponentFailure)
        << "no project connected (connecting to \"" + Project + "\" failed: project file is locked)" << true;
    QTest::newRow("a component repeating its connect failure is said once")
        << "KXLanguage"
        << "-" << QStringList{"Connect=project file is locked", "StartEditor=project file is locked"} << true
        << true << QStringList{Connected + " failed"} << int(Failure::ComponentFailure)
        << "connecting to \"" + Project + "\" failed: project file is locked" << true;
    QTest::newRow("failing Startup leaves the component usable")
        << "KXLanguage"
        << "-" << QStringList{"Startup=no licence"} << true << true
        << QStringList{Connected, startup + " failed"} << 0 << QString() << true;
}

void tst_CBlindEditor::setUp() {
    QFETCH(QString, component);
    QFETCH(QString, editorValue);
    QFETCH(QStringList, failures);
    QFETCH(bool, created);
    QFETCH(bool, hasAddIn);
    QFETCH(QStringList, setUpCalls);
    QFETCH(int, startFailure);
    QFETCH(QString, startText);
    QFETCH(bool, disconnects);

    if (editorValue != QLatin1String("-"))
        QVERIFY(TestComponents::RegisterComponent(component, editorValue));
    TestComponents::Configure(m_logFile, failures);

    QCOMPARE(CBlindEditor().Create(component), created);
    QVERIFY(Log().isEmpty());

    auto editor = std::make_unique<CBlindEditor>();
    QVERIFY(!editor->CreateBlindEditor(component, Project).isValid());
    QCOMPARE(editor->HasAddIn(), hasAddIn);
    QCOMPARE(Log(), setUpCalls);

    const std::optional<Failure> failure = FailureOf([&] { editor->Start(QStringLiteral("IDX0")); });
    QCOMPARE(failure ? failure->Number() : 0, startFailure);
    if (failure) {
        QVERIFY2(failure->Description().contains(startText), qPrintable(failure->Description()));
        // A wrapper adds only what the component did not say.
        for (const QString& configured : failures)
            QVERIFY2(failure->Description().count(configured.section('=', 1)) <= 1,
                     qPrintable(failure->Description()));
    }

    const qsizetype before = Log().size();
    editor.reset();
    const QStringList after = Log().mid(before);
    QCOMPARE(after, disconnects ? QStringList{P + "Disconnect()"} : QStringList());
}

void tst_CBlindEditor::componentFailures_data() {
    QTest::addColumn<QString>("failure");
    QTest::addColumn<bool>("inStart");
    QTest::addColumn<QString>("description");

    QTest::newRow("Message fails with its description")
        << "Message Copy=index group \"Alarme\" not found in Anlage.kxs" << false
        << "index group \"Alarme\" not found in Anlage.kxs";
    QTest::newRow("Message fails without a description")
        << "Message Copy=" << false
        << "the editor component \"KXLanguage\" reported a failure in Message \"Copy\" on \"" + Project +
               "\"";
    QTest::newRow("StartEditor fails")
        << "StartEditor=main key IDX0 unknown" << true << "main key IDX0 unknown";
}

void tst_CBlindEditor::componentFailures() {
    QFETCH(QString, failure);
    QFETCH(bool, inStart);
    QFETCH(QString, description);

    TestComponents::Configure(m_logFile, {failure});
    CBlindEditor editor;
    editor.CreateBlindEditor(QStringLiteral("KXLanguage"), Project);
    const std::optional<Failure> caught = FailureOf([&] {
        editor.Start(QStringLiteral("IDX0"));
        editor.GlobalMessage(QStringLiteral("Copy"),
                             QVariantList{QStringLiteral("<IndexGroups>"), QStringLiteral("Alarme")});
    });
    QVERIFY(caught);
    QCOMPARE(caught->Number(), int(Failure::ComponentFailure));
    QCOMPARE(caught->Description(), description);
    QCOMPARE(Log().last().startsWith(P + (inStart ? "StartEditor" : "Message")), true);
}

QTEST_GUILESS_MAIN(tst_CBlindEditor)
#include "tst_CBlindEditor.moc"
