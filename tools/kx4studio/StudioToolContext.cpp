#include "kx4studio/StudioToolContext.h"

#include <unistd.h>

StudioToolContext StudioToolContext::ForProgram(const QString& programDir) {
    StudioToolContext context;
    context.programDir = programDir;
    // What Debian offers for looking at the machine, graphical programs first.
    context.systemInfoPrograms = {
        QStringLiteral("/usr/bin/hardinfo"),          QStringLiteral("/usr/bin/gnome-system-monitor"),
        QStringLiteral("/usr/bin/kinfocenter"),       QStringLiteral("/usr/bin/mate-system-monitor"),
        QStringLiteral("/usr/bin/lshw-gtk"),          QStringLiteral("/usr/sbin/lshw-gtk"),
        QStringLiteral("/usr/bin/xfce4-taskmanager"),
    };
    context.userName = qEnvironmentVariable("USER");
    if (context.userName.isEmpty())
        context.userName = qEnvironmentVariable("LOGNAME", QStringLiteral("user"));
    context.progressOnError = ::isatty(STDERR_FILENO) == 1;
    context.outputOnTerminal = ::isatty(STDOUT_FILENO) == 1;
    return context;
}
