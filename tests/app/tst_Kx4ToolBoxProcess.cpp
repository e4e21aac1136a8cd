#include "platform/registry/Registry.h"
#include "studio/IStudioUtilities.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The program as a user starts it: the silent road on a temporary prefix, no display.
class tst_Kx4ToolBoxProcess : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_prefix;

    struct Outcome {
        int status;
        QString errors;
    };
    Outcome Run(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("KX4_PREFIX", m_prefix->path());
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        process.setProcessEnvironment(environment);
        process.start(qEnvironmentVariable("KX4_BUILD_DIR") + "/bin/kx4toolbox", arguments);
        if (!process.waitForFinished(30000))
            return {-1, "did not finish"};
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
                QString::fromLocal8Bit(process.readAllStandardError())};
    }
    QString Script(const QByteArray& content) {
        const QString path = m_prefix->path() + "/migrate.txt";
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(content);
        return path;
    }
    void Install() {
        QDir().mkpath(m_prefix->path() + "/drives/c/Studio");
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio,
                                RegValue::String("Path", "C:\\Studio"));
        RegistryStore::SetValue(HKEY_CURRENT_USER, StudioKeys::ShellFolders,
                                RegValue::String("Personal", "C:\\Docs"));
    }

private Q_SLOTS:
    void init() {
        m_prefix = std::make_unique<QTemporaryDir>();
        qputenv("KX4_PREFIX", m_prefix->path().toUtf8());
    }

    void emptyScriptEndsQuietly() {
        Install();
        const Outcome outcome = Run({"/s", Script("")});
        QCOMPARE(outcome.errors, QString());
        QCOMPARE(outcome.status, 0);
    }

    void noInstallationIsReportedAndTheRoadGoesOn() {
        const Outcome outcome = Run({"/s", Script("rem nothing to do\n")});
        QCOMPARE(outcome.status, 0);
        QVERIFY2(outcome.errors.contains("91"), qPrintable(outcome.errors));
        QVERIFY(!outcome.errors.contains("not found"));
    }

    void failures_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing script file") << QStringList{"/s", "\"MISSING\""} << "KX4ToolBox: 53: ";
        QTest::newRow("failing line")
            << QStringList{"/s", "SCRIPT"} << "KX4ToolBox: 91: SCRIPT, line 3 (copy)";
    }
    void failures() {
        Install();
        QFETCH(QStringList, arguments);
        const QString script = Script("rem a\n\ncopy \"Alarme\" \"Alarme\"\ndelete \"never reached\"\n");
        for (QString& argument : arguments)
            argument.replace("SCRIPT", script).replace("MISSING", m_prefix->path() + "/none.txt");
        const Outcome outcome = Run(arguments);
        QCOMPARE(outcome.status, 1);
        QFETCH(QString, message);
        message.replace("SCRIPT", script);
        QVERIFY2(outcome.errors.startsWith(message), qPrintable(outcome.errors));
    }

    void brokenLanguageSettingEndsStartUp() {
        Install();
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio, RegValue::String("LCID", "Deutsch"));
        const Outcome outcome = Run({"/s", Script("")});
        QCOMPARE(outcome.status, 1);
        QVERIFY2(outcome.errors.startsWith("KX4ToolBox: 13: "), qPrintable(outcome.errors));
    }
};

QTEST_GUILESS_MAIN(tst_Kx4ToolBoxProcess)
#include "tst_Kx4ToolBoxProcess.moc"
