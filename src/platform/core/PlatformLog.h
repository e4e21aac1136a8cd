#pragma once

#include <QLoggingCategory>

// The platform core's logging categories; warnings and above by default, QT_LOGGING_RULES
// turns on the rest for diagnosis.
Q_DECLARE_LOGGING_CATEGORY(lcRegistry)
Q_DECLARE_LOGGING_CATEGORY(lcObjectFactory)
