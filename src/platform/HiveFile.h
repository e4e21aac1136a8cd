#pragma once

#include "platform/SqliteDb.h"

#include <QString>
#include <memory>

// One hive's database file and its cached connection. The file is looked at on every use, so a
// file replaced, removed or made read-only since the last call is noticed.
class HiveFile {
public:
    explicit HiveFile(const QString& path);

    // Makes the connection current. With forWrite the file (and its folder) is created when
    // missing and a read-only file gives ERROR_ACCESS_DENIED. For a read of a missing or empty
    // file *db is null and the result ERROR_SUCCESS: the hive is simply empty.
    long Acquire(bool forWrite, SqliteDb** db);

    // Whether the file may be written: its mode bits give someone write access and the process
    // may write it (root ignores missing write bits, so the bits are judged too).
    static bool IsWritablePath(const QString& path);

    static constexpr int BusyTimeoutMs = 15000;

private:
    long Open(bool writable);

    QString m_path;
    std::unique_ptr<SqliteDb> m_db;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    bool m_hasSchema = false;
};
