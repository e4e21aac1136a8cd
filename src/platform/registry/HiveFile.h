#pragma once

#include "platform/core/SqliteDb.h"
#include "platform/registry/HiveReadCache.h"

#include <QString>
#include <QStringList>
#include <memory>

// One hive's database file, its cached connection and what was read of it. The file is looked at
// on every use, so a file replaced, removed or made read-only since is noticed; a warm read then
// only looks at the file's header (HiveReadCache).
class HiveFile {
public:
    explicit HiveFile(const QString& path);

    const QString& Path() const { return m_path; }

    // Makes the connection current. With forWrite the file (and its folder) is created when
    // missing and a read-only file gives ERROR_ACCESS_DENIED. For a read of a missing or empty
    // file *db is null and the result ERROR_SUCCESS: the hive is simply empty. A write through
    // *db must end in a commit or rollback before the next call.
    long Acquire(bool forWrite, SqliteDb** db);

    // The key at its folded path with its values, from the cache when the file has not changed
    // since. A missing key comes back with exists false; with viewRoot it exists all the same
    // (HKCR), as the hive's root always does.
    long ReadKey(const QString& foldedPath, bool viewRoot, const HiveReadCache::Key** out);

    // SQLite's integrity check of the file and whether it is a hive: RegistryStore::CheckHive.
    long Check(QStringList* findings);

    // The key's direct subkeys, from the cache when the file has not changed since; a read of
    // them also caches the values of each subkey. ERROR_FILE_NOT_FOUND for a missing key (a
    // root, and with viewRoot HKCR's key, always exist).
    long ReadSubkeys(const QString& foldedPath, bool viewRoot, QStringList* out);

    // Around a change through the connection from Acquire(true), made under the lock: the
    // file's change counter once the transaction has begun (no other writer can commit then),
    // and after the commit, forget(cache) for what the change touched. The cache holds on when
    // no other process committed in between, and empties otherwise.
    bool Counter(quint32* counter) const { return m_db && m_db->ChangeCounter(counter); }
    template <class Forget> void Committed(bool counted, quint32 before, Forget&& forget) {
        quint32 after = 0;
        if (counted && Counter(&after) && m_cache.Advance(before, after))
            forget(m_cache);
        else
            m_cache.Clear();
    }

    // Whether the file may be written: its mode bits give someone write access and the process
    // may write it (root ignores missing write bits, so the bits are judged too).
    static bool IsWritablePath(const QString& path);

    static constexpr int BusyTimeoutMs = 15000;

private:
    long Open();
    // Refuses a file that is no hive; a new one gets the tables when writable.
    long Identify(bool writable);

    QString m_path;
    QByteArray m_fileName; // m_path in the file system's encoding
    std::unique_ptr<SqliteDb> m_db;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    bool m_hasSchema = false;
    HiveReadCache m_cache;
    HiveReadCache::Key m_emptyKey; // what a missing file or view root reads as
    HiveReadCache::Key m_scratch;  // a read that raced a commit, not cached
};
