#include "platform/windows/PlatformGuiLog.h"

Q_LOGGING_CATEGORY(lcWindows, "kx4.windows", QtWarningMsg)
Q_LOGGING_CATEGORY(lcShell, "kx4.shell", QtWarningMsg)
Q_LOGGING_CATEGORY(lcHtmlHelp, "kx4.help", QtWarningMsg)
Q_LOGGING_CATEGORY(lcHelpWindow, "kx4.help.window", QtWarningMsg)
Q_LOGGING_CATEGORY(lcHelpBrowser, "kx4.help.browser", QtWarningMsg)
Q_LOGGING_CATEGORY(lcChmFile, "kx4.help.chm", QtWarningMsg)
