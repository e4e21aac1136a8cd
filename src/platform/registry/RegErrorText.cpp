#include "platform/registry/RegErrorText.h"

namespace RegistryStore {

QString Describe(long rc, HKEY root) {
    const QString file = IsRoot(root) ? HiveFilePath(root) : QStringLiteral("the registry");
    switch (rc) {
    case ERROR_SUCCESS: return QStringLiteral("the operation completed successfully");
    case ERROR_FILE_NOT_FOUND: return QStringLiteral("not found");
    case ERROR_ACCESS_DENIED: return QStringLiteral("access is denied: %1 is read-only").arg(file);
    case ERROR_INVALID_HANDLE: return QStringLiteral("not a root key or open key");
    case ERROR_INVALID_PARAMETER:
        return QStringLiteral("the key or value name is not valid (an empty key name, or a name that is "
                              "too long)");
    case ERROR_DISK_FULL: return QStringLiteral("the disk is full: %1 cannot grow").arg(file);
    case ERROR_BUSY: return QStringLiteral("the registry in %1 stayed locked by another process").arg(file);
    case ERROR_MORE_DATA: return QStringLiteral("more data than the buffer holds");
    case ERROR_BADDB:
        return QStringLiteral("%1 is not a registry hive (another program's file, or one damaged at its "
                              "start)")
            .arg(file);
    case ERROR_REGISTRY_CORRUPT:
        return QStringLiteral("the registry hive %1 is damaged (the database disk image is malformed); "
                              "\"kx4reg check\" tells where")
            .arg(file);
    default:
        return QStringLiteral("the registry in %1 could not be read or written (error %2)").arg(file).arg(rc);
    }
}

} // namespace RegistryStore
