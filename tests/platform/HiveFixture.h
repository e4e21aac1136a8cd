#pragma once

#include "common/TempPrefix.h"
#include "platform/core/SqliteDb.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryBatch.h"

#include <QFile>
#include <QTest>

// Shorthands of the registry tests, and hive files that are not what the store expects, put in
// place of the current prefix's HKEY_LOCAL_MACHINE hive. Each replaces the file (a new inode), as
// a user copying a file over it would, so a connection the store keeps open notices.
namespace HiveFixture {

constexpr HKEY HKCU = HKEY_CURRENT_USER;
constexpr HKEY HKLM = HKEY_LOCAL_MACHINE;
constexpr HKEY HKCR = HKEY_CLASSES_ROOT;
constexpr long OK = ERROR_SUCCESS;

inline QList<RegValue> Values(HKEY root, const QString& key) {
    QList<RegValue> values;
    RegistryStore::EnumValues(root, key, &values);
    return values;
}

enum class Damage {
    IndexPageOverwritten, // HKLM\Software\Key000..199 still open by path, enumerating them meets garbage
    ForeignDatabase,      // another program's SQLite database
    NotADatabase,         // a text file
};

// Overwrites the first page of the index that lists subkeys (SQLite: "database disk image is
// malformed").
inline bool OverwriteSubkeyIndex(const QString& file) {
    qint64 page = 0;
    qint64 pageSize = 0;
    {
        SqliteDb db;
        if (db.Open(file, 1000) != 0)
            return false;
        SqliteStatement st = db.Prepare("SELECT rootpage, (SELECT page_size FROM pragma_page_size) "
                                        "FROM sqlite_master WHERE name = 'keys_parent'");
        if (!st.Step())
            return false;
        page = st.Int(0);
        pageSize = st.Int(1);
    }
    QFile out(file);
    return out.open(QIODevice::ReadWrite) && out.seek((page - 1) * pageSize) &&
           out.write(QByteArray(pageSize, '\xa5')) == pageSize;
}

// Puts the damaged file in place of a hive the store has open; returns false when that failed.
inline bool Make(Damage damage) {
    const QString hive = RegistryStore::HiveFilePath(HKLM);
    const QString made = hive + ".made";
    QFile::remove(made);
    RegistryStore::CreateKey(HKLM, "Software");
    bool ok = false;
    switch (damage) {
    case Damage::IndexPageOverwritten: {
        RegistryBatch batch;
        ok = batch.BeginWrite(true, false) == OK;
        for (int i = 0; i < 200; ++i)
            batch.SetValue(HKLM, QStringLiteral("Software\\Key%1").arg(i, 3, 10, QChar('0')),
                           RegValue::Dword("v", quint32(i)));
        ok = ok && batch.Commit() == OK && QFile::copy(hive, made) && OverwriteSubkeyIndex(made);
        break;
    }
    case Damage::ForeignDatabase: {
        SqliteDb db;
        ok = db.Open(made, 1000) == 0 &&
             db.Exec("CREATE TABLE projects(name TEXT); INSERT INTO projects VALUES('mine')") == 0;
        break;
    }
    case Damage::NotADatabase: {
        ok = TestSupport::WriteFile(made, QByteArray("not a database\n").repeated(100));
        break;
    }
    }
    return ok && QFile::remove(hive) && QFile::rename(made, hive);
}

} // namespace HiveFixture
Q_DECLARE_METATYPE(HiveFixture::Damage)
