#include "platform/windows/Shell.h"
#include "platform/windows/PlatformGuiLog.h"

#include "platform/core/Prefix.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>

bool Shell::StartDetached(const QString& program) {
    QString path = program.trimmed();
    if (path.size() >= 2 && path.startsWith(QLatin1Char('"')) && path.endsWith(QLatin1Char('"')))
        path = path.mid(1, path.size() - 2);
    if (path.isEmpty()) {
        qCWarning(lcShell) << "No program to start";
        return false;
    }
    const QString local = Prefix::ToLocalPathNoCase(path);
    const QFileInfo info(local);
    if (!info.isFile() || !info.isExecutable()) {
        qCWarning(lcShell) << "Cannot start" << program << "as" << local << "- no executable file";
        return false;
    }
    QProcess process;
    process.setProgram(info.absoluteFilePath());
    if (!process.startDetached()) {
        qCWarning(lcShell) << "Cannot start" << local << "-" << process.errorString();
        return false;
    }
    return true;
}
