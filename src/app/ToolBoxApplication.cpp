#include "app/ToolBoxApplication.h"

#include "app/FMDIFrame.h"
#include "platform/windows/MessageBox.h"
#include "studio/Failure.h"

#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Quits once the watched window has had its first paint; its children paint in the same pass.
class QuitAfterPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

ToolBoxApplication::ToolBoxApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("KX4ToolBox"));
    setApplicationVersion(QStringLiteral(KX4_VERSION_STRING));
    setOrganizationName(QStringLiteral("KX4ToolBox"));
}

int ToolBoxApplication::Main(int argc, char** argv) {
    ChoosePlatform();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    static int programOnly = 1;
    ToolBoxApplication app(programOnly, argv);
    return app.Run(arguments);
}

void ToolBoxApplication::ChoosePlatform() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // On a server without a session Qt warns on every start; the silent road prints nothing
    // unless it fails, so take the folder Qt would fall back to, quietly.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray runtime = "/tmp/runtime-" + QByteArray::number(uint(getuid()));
        mkdir(runtime.constData(), 0700);
        struct stat info {};
        if (stat(runtime.constData(), &info) == 0 && info.st_uid == getuid() && (info.st_mode & 0077) == 0)
            qputenv("XDG_RUNTIME_DIR", runtime);
    }
}

void ToolBoxApplication::ReportUncaught(const Failure& failure) {
    MessageBox::Show(failure.Text(), QStringLiteral("KX4ToolBox"), MessageBox::Icon::Critical);
}

int ToolBoxApplication::Run(const QStringList& arguments) {
    FMDIFrame frame(arguments);
    try {
        frame.MDIForm_Load();
    } catch (const Failure& failure) {
        ReportUncaught(failure);
        return 1;
    } catch (const std::exception& error) {
        ReportUncaught(Failure(Failure::InternalError, QString::fromLocal8Bit(error.what())));
        return 1;
    }
    if (frame.IsUnloaded())
        return 0;
    frame.show();
    // Set by the benchmarks and the quiet-start test: leave once the frame has been painted.
    QuitAfterPaint quitAfterPaint;
    if (qEnvironmentVariableIsSet("KX4_BENCH_QUIT_AFTER_PAINT"))
        frame.installEventFilter(&quitAfterPaint);
    return exec();
}

bool ToolBoxApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const Failure& failure) {
        ReportUncaught(failure);
    } catch (const std::exception& error) {
        ReportUncaught(Failure(Failure::InternalError, QString::fromLocal8Bit(error.what())));
    }
    // As with every failure nothing catches, the program ends.
    exit(1);
    return true;
}
