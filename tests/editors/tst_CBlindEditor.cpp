#include "TestComponents.h"

#include "common/TestSupport.h"
#include "editors/CBlindEditor.h"

#include <QtTest>
#include <memory>

namespace {
const QString Project = QStringLiteral("C:\\Projekte\\Anlage\\Anlage.kxs");
} // namespace

class tst_CBlindEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        m_prefix = std::make_unique<TestSupport::TempPrefix>();
        QVERIFY(TestComponents::RegisterAll());
        m_logFile = m_prefix->Work() + QStringLiteral("/calls.log");
        TestComponents::Configure(m_logFile);
    }
    void cleanup() { m_prefix.reset(); }

    // Start, a message and release: which calls reach the component ("!" failed), and what a script sees.
    void lifecycle_data() {
        QTest::addColumn<QString>("component");
        QTest::addColumn<QString>("editorValue"); // "-": none registered
        QTest::addColumn<QStringList>("failures");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QString>("failure");
        const QString f = "440: ";
        const QString connectFailed = "connecting to \"" + Project + "\" failed: project file is locked";
        const QString notSet =
            "91: object not set: Start without an editor component \"%1\" for \"" + Project + "\" (%2)";
        // clang-format off
        QTest::newRow("works") << "KXLanguage" << "-" << QStringList() << "Connect Startup StartEditor Message Disconnect" << "";
        QTest::newRow("no Editor value") << "KXOther" << "-" << QStringList() << "" << notSet.arg("KXOther", "no \"Editor\" value under HKEY_LOCAL_MACHINE\\Software\\HALVERN GmbH\\Kestrix\\4.0\\ServerComponents\\KXOther");
        QTest::newRow("no component name") << "" << "-" << QStringList() << "" << notSet.arg("", "no component name given");
        QTest::newRow("unregistered class") << "KXOther" << "KXMissing" << QStringList() << "" << notSet.arg("KXOther", "cannot create object \"KXMissing.Connect\": not registered (no HKEY_CLASSES_ROOT\\KXMissing.Connect\\InprocServer32)");
        QTest::newRow("no add-in interface") << "KXOther" << "KXTestNoAddIn" << QStringList() << "" << notSet.arg("KXOther", "the component offers no editor add-in interface (kx4.EditorAddIn/1)");
        QTest::newRow("failing Connect skips Startup, still disconnects") << "KXLanguage" << "-" << QStringList{"Connect=project file is locked"} << "Connect! StartEditor Disconnect" << f + "no project connected (" + connectFailed + ")";
        QTest::newRow("a repeated connect failure is said once") << "KXLanguage" << "-" << QStringList{"Connect=project file is locked", "StartEditor=project file is locked"} << "Connect! StartEditor! Disconnect" << f + connectFailed;
        QTest::newRow("failing Startup leaves it usable, failing Disconnect is only logged") << "KXLanguage" << "-" << QStringList{"Startup=no licence", "Disconnect=busy"} << "Connect Startup! StartEditor Message Disconnect!" << "";
        QTest::newRow("StartEditor fails") << "KXLanguage" << "-" << QStringList{"StartEditor=main key IDX0 unknown"} << "Connect Startup StartEditor! Disconnect" << f + "main key IDX0 unknown";
        QTest::newRow("Message fails") << "KXLanguage" << "-" << QStringList{"Message Copy=group \"Alarme\" not found"} << "Connect Startup StartEditor Message! Disconnect" << f + "group \"Alarme\" not found";
        QTest::newRow("Message fails without a description") << "KXLanguage" << "-" << QStringList{"Message Copy="} << "Connect Startup StartEditor Message! Disconnect" << f + "the editor component \"KXLanguage\" reported a failure in Message \"Copy\" on \"" + Project + "\"";
        QTest::newRow("throwing Connect and Disconnect are caught") << "KXLanguage" << "-" << QStringList{"Connect=throw", "Disconnect=throw"} << "Connect! StartEditor Disconnect!" << f + "no project connected (connecting to \"" + Project + "\" threw)";
        // clang-format on
    }
    void lifecycle() {
        QFETCH(QString, component);
        QFETCH(QString, editorValue);
        QFETCH(QStringList, failures);
        QFETCH(QString, calls);
        QFETCH(QString, failure);
        if (editorValue != "-")
            QVERIFY(TestComponents::RegisterComponent(component, editorValue));
        TestComponents::Configure(m_logFile, failures);
        auto editor = std::make_unique<CBlindEditor>();
        editor->CreateBlindEditor(component, Project);
        const auto caught = TestSupport::FailureOf([&] {
            editor->Start(QStringLiteral("IDX0"));
            editor->GlobalMessage(QStringLiteral("Copy"), QVariantList{"<IndexGroups>", "Alarme"});
        });
        QCOMPARE(caught ? QString::number(caught->Number()) + ": " + caught->Description() : QString(),
                 failure);
        editor.reset();
        QStringList called;
        for (const QString& line : TestSupport::ReadLines(m_logFile))
            called << line.mid(Project.size() + 2).section('(', 0, 0) + (line.endsWith(" failed") ? "!" : "");
        QCOMPARE(called.join(' '), calls);
    }

private:
    std::unique_ptr<TestSupport::TempPrefix> m_prefix;
    QString m_logFile;
};

QTEST_GUILESS_MAIN(tst_CBlindEditor)
#include "tst_CBlindEditor.moc"
