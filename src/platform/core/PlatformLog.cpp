#include "platform/core/PlatformLog.h"

Q_LOGGING_CATEGORY(lcRegistry, "kx4.registry", QtWarningMsg)
Q_LOGGING_CATEGORY(lcObjectFactory, "kx4.objectfactory", QtWarningMsg)
