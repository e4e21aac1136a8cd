#pragma once

#include "platform/core/SqliteDb.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryBatch.h"

#include <QFile>
#include <QTest>

// Hive files that are not what the store expects, put in place of the current prefix's
// HKEY_LOCAL_MACHINE hive. Each replaces the file (a new inode), as a user copying a file over
// it would, so a connection the store keeps open notices.
namespace HiveFixture {

enum class Damage {
    IndexPageOverwritten, // a hive with HKLM\Software\Key000..199 whose subkey index is garbage
    ForeignDatabase,      // another program's SQLite database
    NotADatabase,         // a text file
};

inline bool Replace(const QString& hive, const QString& made) {
    QFile::remove(hive);
    return QFile::rename(made, hive);
}

// Overwrites the first page of the index that lists subkeys: keys still open by path, but
// enumerating subkeys meets the damage (SQLite: "database disk image is malformed").
inline bool OverwriteSubkeyIndex(const QString& file) {
    qint64 page = 0;
    qint64 pageSize = 0;
    {
        SqliteDb db;
        if (db.Open(file, 1000) != 0)
            return false;
        SqliteStatement root = db.Prepare("SELECT rootpage FROM sqlite_master WHERE name = 'keys_parent'");
        SqliteStatement size = db.Prepare("PRAGMA page_size");
        if (!root.Step() || !size.Step())
            return false;
        page = root.Int(0);
        pageSize = size.Int(0);
    }
    QFile out(file);
    return out.open(QIODevice::ReadWrite) && out.seek((page - 1) * pageSize) &&
           out.write(QByteArray(pageSize, '\xa5')) == pageSize;
}

// Puts the damaged file in place; returns false when that failed.
inline bool Make(Damage damage) {
    const QString hive = RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE);
    const QString made = hive + ".made";
    switch (damage) {
    case Damage::IndexPageOverwritten: {
        RegistryBatch batch;
        if (batch.BeginWrite(true, false) != ERROR_SUCCESS)
            return false;
        for (int i = 0; i < 200; ++i)
            batch.SetValue(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Key%1").arg(i, 3, 10, QChar('0')),
                           RegValue::Dword("v", quint32(i)));
        if (batch.Commit() != ERROR_SUCCESS)
            return false;
        QFile::remove(made);
        return QFile::copy(hive, made) && OverwriteSubkeyIndex(made) && Replace(hive, made);
    }
    case Damage::ForeignDatabase: {
        RegistryStore::CreateKey(HKEY_LOCAL_MACHINE, "Software"); // the prefix folder
        SqliteDb db;
        return db.Open(made, 1000) == 0 &&
               db.Exec("CREATE TABLE projects(name TEXT); INSERT INTO projects VALUES('mine')") == 0 &&
               Replace(hive, made);
    }
    case Damage::NotADatabase: {
        RegistryStore::CreateKey(HKEY_LOCAL_MACHINE, "Software");
        QFile file(made);
        return file.open(QIODevice::WriteOnly) &&
               file.write(QByteArray("not a database\n").repeated(100)) > 0 &&
               (file.close(), Replace(hive, made));
    }
    }
    return false;
}

} // namespace HiveFixture
Q_DECLARE_METATYPE(HiveFixture::Damage)
