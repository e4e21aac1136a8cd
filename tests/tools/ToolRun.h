#pragma once

#include "common/TempPrefix.h"

#include <QProcess>
#include <QTextStream>

// Running the command-line tools in a test: in this process, or as programs of the build.
namespace ToolRun {

// The exit status (-1 when a program did not end normally) and what the run printed.
struct Result {
    int status = -1;
    QString out;
    QString err;
};

// command(out, err), returning the exit status, run in this process.
template <typename Command> Result InProcess(Command&& command) {
    Result result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.status = command(out, err);
    out.flush();
    err.flush();
    return result;
}

inline QString Program(const QString& name) { return qEnvironmentVariable("KX4_BUILD_DIR") + "/bin/" + name; }

// Runs the program with no standard input to its end (a minute at most).
inline Result Run(const QString& program, const QStringList& args,
                  const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, args);
    const bool ended = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace ToolRun
