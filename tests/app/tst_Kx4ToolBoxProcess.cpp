#include "platform/registry/Registry.h"
#include "studio/IStudioUtilities.h"

#include "common/TestSupport.h"

#include <QProcess>

// The program as a user starts it, on a temporary prefix and without a display: quiet when all
// is well, one line saying what and where when not.
class tst_Kx4ToolBoxProcess : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSupport::TempPrefix> m_prefix;

    struct Outcome {
        int status;
        QString errors;
    };
    Outcome Run(const QStringList& arguments, const QString& program = "kx4toolbox") {
        QProcess process;
        QProcessEnvironment environment = m_prefix->Environment();
        environment.remove("QT_QPA_PLATFORM");                 // the program chooses it itself
        environment.insert("KX4_BENCH_QUIT_AFTER_PAINT", "1"); // leave once the frame is painted
        process.setProcessEnvironment(environment);
        process.start(qEnvironmentVariable("KX4_BUILD_DIR") + "/bin/" + program, arguments);
        if (!process.waitForFinished(30000))
            return {-1, "did not finish"};
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

private Q_SLOTS:
    void init() {
        m_prefix.reset(); // first: its end unsets the prefix
        m_prefix = std::make_unique<TestSupport::TempPrefix>();
    }

    // Arguments that Qt would take for itself stay the user's. What a failing script line says
    // is the frame's test's; here only that it reaches stderr as one line.
    void runs() {
        const QString script = m_prefix->Work() + "/migrate.txt";
        QVERIFY(TestSupport::WriteFile(script, "rem\n"));
        const auto check = [](const Outcome& outcome, int status, const QString& message) {
            QCOMPARE(outcome.status, status);
            QVERIFY2(outcome.errors.startsWith(message), qPrintable(outcome.errors));
            QVERIFY(outcome.errors.count('\n') == 1 && outcome.errors.endsWith('\n'));
        };
        // No installation: reported in the LCID's English, chosen before the installation is read.
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio, RegValue::String("LCID", "1033"));
        check(Run({"/s", script}), 0, "KestrixStudio ToolBox - Message 91: ");
        QCOMPARE(Run({"setup"}, "kx4studio").status, 0);
        check(Run({"/s", "-style", "X"}), 1, "KX4ToolBox: 53: cannot open the script file \"-style X\"");
        // The frame on the set-up studio with a project: painted, and not a word on stderr.
        const QString project = m_prefix->Work() + "/Demo.kxs";
        QCOMPARE(Run({"new", project, "--language", "1031"}, "kx4studio").status, 0);
        const Outcome outcome = Run({project});
        QCOMPARE(outcome.errors, QString());
        QCOMPARE(outcome.status, 0);
    }
};

QTEST_GUILESS_MAIN(tst_Kx4ToolBoxProcess)
#include "tst_Kx4ToolBoxProcess.moc"
