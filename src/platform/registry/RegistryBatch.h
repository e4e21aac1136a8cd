#pragma once

#include "platform/registry/Registry.h"

#include <QString>
#include <QStringList>
#include <memory>

// Several reads or changes of the registry as one transaction over both hives. A write batch
// commits all of its changes or, on a failure, a rollback or a crash, none: the two hive files
// are one SQLite connection (HKCU attached to HKLM), whose commit is atomic across both files.
// A read batch sees one consistent state of both hives. The batch has its own connection:
// RegistryStore calls from the same thread while a write batch is open wait for it and fail
// with ERROR_BUSY, so finish the batch first. Functions return RegError codes and never throw.
class RegistryBatch {
public:
    RegistryBatch();
    ~RegistryBatch(); // rolls back what was not committed
    RegistryBatch(const RegistryBatch&) = delete;
    RegistryBatch& operator=(const RegistryBatch&) = delete;

    // Opens the hives of the current prefix and locks those that will be written (machine:
    // HKLM and HKCR, user: HKCU), waiting for other writers. A hive that is not writable gives
    // ERROR_ACCESS_DENIED and nothing is locked.
    long BeginWrite(bool machine, bool user);
    // Opens the hives asked for (machine: HKLM and HKCR, user: HKCU) for one consistent read;
    // missing hives read as empty, and a hive not asked for is not looked at.
    long BeginRead(bool machine = true, bool user = true);

    long CreateKey(HKEY root, const QString& key);
    long SetValue(HKEY root, const QString& key, const RegValue& value);
    long DeleteValue(HKEY root, const QString& key, const QString& name);
    // Deletes the key with its subtree (a root is emptied).
    long DeleteTree(HKEY root, const QString& key);

    // As RegistryStore::OpenKey: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND or why the key could not be looked at.
    long OpenKey(HKEY root, const QString& key);
    bool KeyExists(HKEY root, const QString& key);
    long QueryValue(HKEY root, const QString& key, const QString& name, RegValue* out);
    long EnumKeys(HKEY root, const QString& key, QStringList* out);
    long EnumValues(HKEY root, const QString& key, QList<RegValue>* out);

    // Makes every change durable; after a failure nothing of the batch remains.
    long Commit();
    // What the last failure was, in words that name the hive file or folder concerned.
    QString LastError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
