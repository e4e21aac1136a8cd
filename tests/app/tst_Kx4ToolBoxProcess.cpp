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
    Outcome Run(const QStringList& arguments, const QString& program = "kx4toolbox") {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // Leave as soon as the frame has been painted.
        environment.insert("KX4_BENCH_QUIT_AFTER_PAINT", "1");
        environment.insert("KX4_PREFIX", m_prefix->path());
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        process.setProcessEnvironment(environment);
        process.start(qEnvironmentVariable("KX4_BUILD_DIR") + "/bin/" + program, arguments);
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

    // A failing silent run says what and where in exactly one line, whatever failed; arguments
    // that Qt would take for itself stay the user's.
    void failures_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("message");
        const QByteArray failing = "rem a\n\ncopy \"Alarme\" \"Alarme\"\ndelete \"never reached\"\n";
        QTest::newRow("missing script file") << QStringList{"/s", "\"MISSING\""} << failing
                                             << "KX4ToolBox: 53: cannot open the script file \"";
        QTest::newRow("no script named") << QStringList{"/s", "\"\""} << failing << "KX4ToolBox: 53: ";
        QTest::newRow("-reverse is the script's name")
            << QStringList{"/s", "-reverse"} << failing
            << "KX4ToolBox: 53: cannot open the script file \"-reverse\"";
        QTest::newRow("-style X is the script's name")
            << QStringList{"/s", "-style", "X"} << failing
            << "KX4ToolBox: 53: cannot open the script file \"-style X\"";
        QTest::newRow("failing line")
            << QStringList{"/s", "SCRIPT"} << failing << "KX4ToolBox: 91: SCRIPT, line 3 (copy)";
        QTest::newRow("component failing on an unregistered project")
            << QStringList{"/s", "SCRIPT"}
            << QByteArray("set dbread \"x dbwrite y\"\nset dbwrite \"x dbwrite y\"\ncopy \"A\" \"B\"\n")
            << "KX4ToolBox: 440: SCRIPT, line 3 (copy): connecting to \"x dbwrite y\" failed: project "
               "\"x dbwrite y\" is not registered\n";
    }
    void failures() {
        QCOMPARE(Run({"setup"}, "kx4studio").status, 0);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, script);
        const QString path = Script(script);
        for (QString& argument : arguments)
            argument.replace("SCRIPT", path).replace("MISSING", m_prefix->path() + "/none.txt");
        const Outcome outcome = Run(arguments);
        QCOMPARE(outcome.status, 1);
        QFETCH(QString, message);
        message.replace("SCRIPT", path);
        QVERIFY2(outcome.errors.startsWith(message), qPrintable(outcome.errors));
        QCOMPARE(outcome.errors.count('\n'), 1);
        QVERIFY(outcome.errors.endsWith('\n'));
    }

    // The frame on a set-up studio with a registered project: painted, and not a word on stderr.
    void goodFrameStartIsQuiet() {
        QCOMPARE(Run({"setup"}, "kx4studio").status, 0);
        const QString project = m_prefix->path() + "/Demo.kxs";
        QCOMPARE(Run({"new", project, "--language", "1031"}, "kx4studio").status, 0);
        QCOMPARE(Run({"register", project}, "kx4studio").status, 0);
        const Outcome outcome = Run({"Demo"});
        QCOMPARE(outcome.errors, QString());
        QCOMPARE(outcome.status, 0);
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
