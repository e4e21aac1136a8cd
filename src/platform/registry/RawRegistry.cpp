#include "platform/registry/RawRegistry.h"

#include "platform/core/Ansi.h"
#include "platform/registry/RegValueCodec.h"

#include <QHash>
#include <QMutex>

#include <cstring>

namespace {

struct OpenKey {
    HKEY root = 0;
    QString path;
};

QMutex g_mutex;
QHash<HKEY, OpenKey> g_handles;
// Handles count up from a small number, far from the predefined roots at 0x80000000.
HKEY g_nextHandle = 0x100;

// The root and path a handle stands for.
bool Lookup(HKEY key, OpenKey* out) {
    if (RegistryStore::IsRoot(key)) {
        *out = OpenKey{key, QString()};
        return true;
    }
    QMutexLocker lock(&g_mutex);
    const auto it = g_handles.constFind(key);
    if (it == g_handles.cend())
        return false;
    *out = *it;
    return true;
}

QString Join(const QString& base, const QString& sub) {
    if (base.isEmpty())
        return sub;
    if (sub.isEmpty())
        return base;
    return base + u'\\' + sub;
}

} // namespace

long RegOpenKeyExA(HKEY root, const char* subKey, quint32 options, quint32 samDesired, HKEY* result) {
    Q_UNUSED(options);
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    OpenKey base;
    if (!Lookup(root, &base))
        return ERROR_INVALID_HANDLE;
    const QString path = Join(base.path, subKey ? FromAnsi(QByteArray(subKey)) : QString());
    if (const long rc = RegistryStore::OpenKey(base.root, path); rc != ERROR_SUCCESS)
        return rc;
    if ((samDesired & KEY_WRITE_BITS) && !RegistryStore::IsWritable(base.root))
        return ERROR_ACCESS_DENIED;
    QMutexLocker lock(&g_mutex);
    HKEY handle = g_nextHandle;
    while (g_handles.contains(handle) || RegistryStore::IsRoot(handle) || handle == 0)
        handle += 4;
    g_nextHandle = handle + 4;
    g_handles.insert(handle, OpenKey{base.root, path});
    *result = handle;
    return ERROR_SUCCESS;
}

long RegQueryValueExA(HKEY key, const char* valueName, quint32* reserved, quint32* type, unsigned char* data,
                      quint32* dataSize) {
    if (reserved || (data && !dataSize))
        return ERROR_INVALID_PARAMETER;
    OpenKey open;
    if (!Lookup(key, &open))
        return ERROR_INVALID_HANDLE;
    RegValue value;
    const long rc = RegistryStore::QueryValue(
        open.root, open.path, valueName ? FromAnsi(QByteArray(valueName)) : QString(), &value);
    if (rc != ERROR_SUCCESS)
        return rc;
    QByteArray bytes = value.data;
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ) {
        // Every unit, zeros included, so a terminated string keeps its terminator.
        bytes = ToAnsi(RegValueCodec::DecodeUtf16(bytes));
    }
    if (type)
        *type = value.type;
    if (!dataSize)
        return ERROR_SUCCESS;
    const quint32 needed = quint32(bytes.size());
    if (data && *dataSize < needed) {
        *dataSize = needed;
        return ERROR_MORE_DATA;
    }
    if (data && needed)
        std::memcpy(data, bytes.constData(), needed);
    *dataSize = needed;
    return ERROR_SUCCESS;
}

long RegCloseKey(HKEY key) {
    if (RegistryStore::IsRoot(key))
        return ERROR_SUCCESS;
    QMutexLocker lock(&g_mutex);
    return g_handles.remove(key) ? long(ERROR_SUCCESS) : long(ERROR_INVALID_HANDLE);
}
