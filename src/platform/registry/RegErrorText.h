#pragma once

#include "platform/registry/Registry.h"

#include <QString>

namespace RegistryStore {

// A RegError in words for a message, in lower case without a full stop: "not found", "access is
// denied: /p/system.db is read-only", "the registry hive /p/system.db is damaged ...". Where the
// hive file is the cause, the words name root's hive file (for an unknown root: "the registry").
QString Describe(long rc, HKEY root);

} // namespace RegistryStore
