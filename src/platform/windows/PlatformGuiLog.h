#pragma once

#include <QLoggingCategory>

// The platform GUI's logging categories; warnings and above by default, QT_LOGGING_RULES
// turns on the rest for diagnosis.
Q_DECLARE_LOGGING_CATEGORY(lcWindows)
Q_DECLARE_LOGGING_CATEGORY(lcShell)
Q_DECLARE_LOGGING_CATEGORY(lcHtmlHelp)
Q_DECLARE_LOGGING_CATEGORY(lcHelpWindow)
Q_DECLARE_LOGGING_CATEGORY(lcHelpBrowser)
Q_DECLARE_LOGGING_CATEGORY(lcChmFile)
