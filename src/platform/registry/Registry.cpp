#include "platform/registry/Registry.h"
#include "platform/core/PlatformLog.h"

#include "platform/core/Prefix.h"
#include "platform/core/SqliteDb.h"
#include "platform/registry/HiveFile.h"
#include "platform/registry/RegValueCodec.h"
#include "platform/registry/RegistryHive.h"

#include <QLoggingCategory>
#include <QMutex>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

RegValue RegValue::String(const QString& name, const QString& text, quint32 type) {
    return RegValue{name, type, EncodeRegString(text)};
}

RegValue RegValue::Dword(const QString& name, quint32 number) {
    return RegValue{name, REG_DWORD, RegValueCodec::EncodeDword(number)};
}

QString RegValue::Text() const { return RegValueCodec::DecodeString(data); }

quint32 RegValue::Number() const { return RegValueCodec::DecodeDword(data); }

QByteArray EncodeRegString(const QString& text) {
    return RegValueCodec::EncodeUtf16(text) + QByteArray(2, '\0');
}

namespace RegistryStore {

namespace {

QMutex g_mutex;
// The hive files used last, most recent first, each with its connection. A program uses one
// prefix; tests switch prefixes often, and the oldest connections are closed as they pile up.
std::vector<std::unique_ptr<HiveFile>> g_hives;
constexpr size_t MaxOpenHives = 8;

// HiveFilePath for the hive in use, worked out again only when a variable that chooses the
// prefix changes: a warm read then builds no path.
const QString& CurrentHivePath(HKEY hiveRoot) {
    static const char* const Variables[] = {"KX4_PREFIX", "XDG_DATA_HOME", "HOME"};
    static std::optional<std::string> seen[std::size(Variables)];
    static QString machine;
    static QString user;
    bool changed = machine.isEmpty();
    for (size_t i = 0; i < std::size(Variables); ++i) {
        const char* now = std::getenv(Variables[i]);
        if (now ? seen[i] != now : seen[i].has_value()) {
            seen[i] = now ? std::optional<std::string>(now) : std::nullopt;
            changed = true;
        }
    }
    if (changed) {
        machine = HiveFilePath(HKEY_LOCAL_MACHINE);
        user = HiveFilePath(HKEY_CURRENT_USER);
    }
    return hiveRoot == HKEY_CURRENT_USER ? user : machine;
}

HiveFile& Hive(HKEY hiveRoot) {
    const QString& path = CurrentHivePath(hiveRoot);
    auto it =
        std::find_if(g_hives.begin(), g_hives.end(), [&](const auto& hive) { return hive->Path() == path; });
    if (it == g_hives.begin() && it != g_hives.end())
        return **it;
    std::unique_ptr<HiveFile> hive;
    if (it != g_hives.end()) {
        hive = std::move(*it);
        g_hives.erase(it);
    } else {
        hive = std::make_unique<HiveFile>(path);
        if (g_hives.size() >= MaxOpenHives)
            g_hives.pop_back();
    }
    g_hives.insert(g_hives.begin(), std::move(hive));
    return *g_hives.front();
}

// Runs fn(hive file, names) for root\key under the lock.
template <class Fn> long Locked(HKEY root, const QString& key, Fn&& fn) {
    HKEY hiveRoot = 0;
    QStringList names;
    if (const long rc = RegistryHive::Resolve(root, key, &hiveRoot, &names); rc != ERROR_SUCCESS)
        return rc;
    QMutexLocker lock(&g_mutex);
    return fn(Hive(hiveRoot), names);
}

// Runs fn(hive file, folded path, view root) for root\key under the lock. Reads work on the
// folded path alone, which is also their cache key.
template <class Fn> long LockedRead(HKEY root, const QString& key, Fn&& fn) {
    HKEY hiveRoot = 0;
    QString path;
    bool viewRoot = false;
    if (const long rc = RegistryHive::ResolveFolded(root, key, &hiveRoot, &path, &viewRoot);
        rc != ERROR_SUCCESS)
        return rc;
    QMutexLocker lock(&g_mutex);
    return fn(Hive(hiveRoot), path, viewRoot);
}

// Runs fn(key) on root\key as read (or cached) under the lock.
template <class Fn> long RunReadKey(HKEY root, const QString& key, Fn&& fn) {
    return LockedRead(root, key, [&](HiveFile& file, const QString& path, bool viewRoot) {
        const HiveReadCache::Key* cached = nullptr;
        if (const long rc = file.ReadKey(path, viewRoot, &cached); rc != ERROR_SUCCESS)
            return rc;
        return cached->exists ? fn(*cached) : long(ERROR_FILE_NOT_FOUND);
    });
}

// Runs fn(hive, names) in one IMMEDIATE transaction, committed (durably) before returning;
// then forget(cache, names) takes what it changed out of the read cache, so the rest stays warm.
template <class Fn, class Forget> long RunWrite(HKEY root, const QString& key, Fn&& fn, Forget&& forget) {
    return Locked(root, key, [&](HiveFile& file, const QStringList& names) -> long {
        SqliteDb* db = nullptr;
        if (const long rc = file.Acquire(true, &db); rc != ERROR_SUCCESS)
            return rc;
        if (!db)
            return ERROR_REGISTRY_IO_FAILED;
        RegistryHive hive(*db, QStringLiteral("main"));
        SqliteTransaction tx(*db);
        if (tx.BeginResult() != 0) {
            qCInfo(lcRegistry) << "cannot begin a change of" << RootName(root) << key << ":"
                               << db->LastError();
            return RegistryHive::ErrorFromSqlite(tx.BeginResult());
        }
        quint32 before = 0;
        const bool counted = file.Counter(&before);
        if (const long rc = fn(hive, names); rc != ERROR_SUCCESS)
            return rc;
        if (const int sql = tx.Commit(); sql != 0) {
            qCInfo(lcRegistry) << "cannot commit a change of" << RootName(root) << key << ":"
                               << db->LastError();
            return RegistryHive::ErrorFromSqlite(sql);
        }
        file.Committed(counted, before, [&](HiveReadCache& cache) { forget(cache, names); });
        return long(ERROR_SUCCESS);
    });
}

// What a change of one key leaves out of date in the cache.
void ForgetKey(HiveReadCache& cache, const QStringList& names) {
    cache.ForgetKey(RegistryHive::FoldedPath(names));
}

} // namespace

bool ParseRoot(const QString& name, HKEY* root) {
    const QString upper = name.toUpper();
    if (upper == u"HKLM" || upper == u"HKEY_LOCAL_MACHINE")
        *root = HKEY_LOCAL_MACHINE;
    else if (upper == u"HKCU" || upper == u"HKEY_CURRENT_USER")
        *root = HKEY_CURRENT_USER;
    else if (upper == u"HKCR" || upper == u"HKEY_CLASSES_ROOT")
        *root = HKEY_CLASSES_ROOT;
    else
        return false;
    return true;
}

bool IsRoot(HKEY root) {
    return root == HKEY_LOCAL_MACHINE || root == HKEY_CURRENT_USER || root == HKEY_CLASSES_ROOT;
}

QString TrimKeyPath(const QString& key) {
    qsizetype begin = 0;
    qsizetype end = key.size();
    while (begin < end && key.at(begin) == u'\\')
        ++begin;
    while (end > begin && key.at(end - 1) == u'\\')
        --end;
    return key.mid(begin, end - begin);
}

QString RootName(HKEY root) {
    switch (root) {
    case HKEY_LOCAL_MACHINE: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case HKEY_CURRENT_USER: return QStringLiteral("HKEY_CURRENT_USER");
    case HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT");
    default: return QString();
    }
}

QString HiveFilePath(HKEY root) {
    const QString file = root == HKEY_CURRENT_USER ? QStringLiteral("user.db") : QStringLiteral("system.db");
    return Prefix::Path() + u'/' + file;
}

long OpenKey(HKEY root, const QString& key) {
    return RunReadKey(root, key, [](const HiveReadCache::Key&) { return long(ERROR_SUCCESS); });
}

bool KeyExists(HKEY root, const QString& key) { return OpenKey(root, key) == ERROR_SUCCESS; }

long CreateKey(HKEY root, const QString& key) {
    return RunWrite(
        root, key,
        [](RegistryHive& hive, const QStringList& names) {
            qint64 id = 0;
            return hive.CreateKey(names, &id);
        },
        ForgetKey);
}

long QueryValue(HKEY root, const QString& key, const QString& name, RegValue* out) {
    if (!RegistryHive::IsValidValueName(name))
        return ERROR_INVALID_PARAMETER;
    return RunReadKey(root, key, [&](const HiveReadCache::Key& cached) {
        const auto it = cached.index.constFind(name.toCaseFolded());
        if (it == cached.index.cend())
            return long(ERROR_FILE_NOT_FOUND);
        *out = cached.values.at(*it);
        return long(ERROR_SUCCESS);
    });
}

long SetValue(HKEY root, const QString& key, const RegValue& value) {
    if (!RegistryHive::IsValidValueName(value.name))
        return ERROR_INVALID_PARAMETER;
    return RunWrite(
        root, key,
        [&](RegistryHive& hive, const QStringList& names) {
            qint64 id = 0;
            if (const long rc = hive.CreateKey(names, &id); rc != ERROR_SUCCESS)
                return rc;
            return hive.SetValue(id, value);
        },
        ForgetKey);
}

long EnumKeys(HKEY root, const QString& key, QStringList* out) {
    out->clear();
    return LockedRead(root, key, [&](HiveFile& file, const QString& path, bool viewRoot) {
        return file.ReadSubkeys(path, viewRoot, out);
    });
}

long EnumValues(HKEY root, const QString& key, QList<RegValue>* out) {
    out->clear();
    return RunReadKey(root, key, [&](const HiveReadCache::Key& cached) {
        *out = cached.values;
        return long(ERROR_SUCCESS);
    });
}

long DeleteValue(HKEY root, const QString& key, const QString& name) {
    if (!RegistryHive::IsValidValueName(name))
        return ERROR_INVALID_PARAMETER;
    return RunWrite(
        root, key,
        [&](RegistryHive& hive, const QStringList& names) {
            qint64 id = 0;
            if (const long rc = hive.FindKey(names, &id); rc != ERROR_SUCCESS)
                return rc;
            return hive.DeleteValue(id, name);
        },
        ForgetKey);
}

long DeleteTree(HKEY root, const QString& key) {
    // Deleting a root itself empties it; the root key stays, as on Windows.
    QStringList own;
    if (const long rc = RegistryHive::SplitKeyPath(key, &own); rc != ERROR_SUCCESS)
        return rc;
    const bool keepKey = own.isEmpty();
    return RunWrite(
        root, key,
        [&](RegistryHive& hive, const QStringList& names) { return hive.DeleteTree(names, keepKey); },
        [&](HiveReadCache& cache, const QStringList& names) {
            const QString path = RegistryHive::FoldedPath(names);
            cache.ForgetTrees({path});
            if (keepKey) // HKCR's own key stays: its parent must list it still
                cache.ForgetKey(path);
        });
}

long DeleteTrees(HKEY root, const QString& parent, const QStringList& subkeys) {
    if (subkeys.isEmpty())
        return ERROR_SUCCESS;
    QList<QStringList> paths;
    for (const QString& subkey : subkeys) {
        QStringList own;
        if (const long rc = RegistryHive::SplitKeyPath(subkey, &own); rc != ERROR_SUCCESS)
            return rc;
        if (own.isEmpty())
            return ERROR_INVALID_PARAMETER;
        paths.append(own);
    }
    return RunWrite(
        root, parent,
        [&](RegistryHive& hive, const QStringList& names) {
            for (const QStringList& own : paths) {
                const long rc = hive.DeleteTree(names + own, false);
                if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
                    return rc;
            }
            return long(ERROR_SUCCESS);
        },
        [&](HiveReadCache& cache, const QStringList& names) {
            QStringList folded;
            for (const QStringList& own : paths)
                folded.append(RegistryHive::FoldedPath(names + own));
            cache.ForgetTrees(folded);
        });
}

long CheckHive(HKEY root, QStringList* findings) {
    findings->clear();
    HKEY hiveRoot = 0;
    QStringList names;
    if (const long rc = RegistryHive::Resolve(root, QString(), &hiveRoot, &names); rc != ERROR_SUCCESS)
        return rc;
    QMutexLocker lock(&g_mutex);
    return Hive(hiveRoot).Check(findings);
}

bool IsWritable(HKEY root) { return IsRoot(root) && HiveFile::IsWritablePath(HiveFilePath(root)); }

} // namespace RegistryStore
