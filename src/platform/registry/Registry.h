#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The registry store: hives in SQLite under the prefix (Prefix.h). HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER are one database each; HKEY_CLASSES_ROOT is HKLM\Software\Classes.
// Key paths use "\" between levels; names compare without regard to case and keep their case.
// Every function returns a Windows error code (RegError) and never throws. Every change is one
// transaction, durable when the call returns; several changes as one: RegistryBatch.h. Reads are
// cached per key and see every commit, also another process's, at once.

using HKEY = quint32;
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

enum RegType : quint32 {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_DWORD_BIG_ENDIAN = 5,
    REG_LINK = 6,
    REG_MULTI_SZ = 7,
    REG_QWORD = 11,
};

enum RegError : long {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_ACCESS_DENIED = 5,
    ERROR_INVALID_HANDLE = 6, // not a root key (or, for raw reads, not an open key)
    ERROR_INVALID_PARAMETER = 87,
    ERROR_DISK_FULL = 112, // the disk under the hive file is full
    ERROR_BUSY = 170,      // another process held the hive past the busy timeout
    ERROR_MORE_DATA = 234,
    ERROR_BADDB = 1009,              // the hive file is no hive: another program's database, or none
    ERROR_REGISTRY_CORRUPT = 1015,   // the hive file is damaged (SQLite: database disk image is malformed)
    ERROR_REGISTRY_IO_FAILED = 1016, // the hive file could not be read or written
};

// One value: its name ("" is the default value), type and raw bytes as Windows stores them.
struct RegValue {
    QString name;
    quint32 type = REG_NONE;
    QByteArray data;
    bool operator==(const RegValue&) const = default;

    static RegValue String(const QString& name, const QString& text, quint32 type = REG_SZ);
    static RegValue Dword(const QString& name, quint32 number);
    // The text of a REG_SZ/REG_EXPAND_SZ value: UTF-16LE up to the first zero.
    QString Text() const;
    // The number of a REG_DWORD value (4 bytes little-endian); 0 when shorter.
    quint32 Number() const;
};

// UTF-16LE with its terminating zero, as Windows stores a string value.
QByteArray EncodeRegString(const QString& text);

namespace RegistryStore {

// Root names: "HKLM", "HKEY_LOCAL_MACHINE", "HKCU", ..., "HKCR"; returns false if unknown.
bool ParseRoot(const QString& name, HKEY* root);
QString RootName(HKEY root); // long form, "HKEY_LOCAL_MACHINE"; empty for anything but the three roots
// Whether root is one of the three roots.
bool IsRoot(HKEY root);
// The key path without the backslashes at its ends: \A\B\ is A\B.
QString TrimKeyPath(const QString& key);

// ERROR_SUCCESS when the key exists, ERROR_FILE_NOT_FOUND when it does not, else why it could
// not be looked at (a damaged hive is never a missing key).
long OpenKey(HKEY root, const QString& key);
// OpenKey(...) == ERROR_SUCCESS.
bool KeyExists(HKEY root, const QString& key);
// Creates the key and every missing level above it; an existing key is success.
long CreateKey(HKEY root, const QString& key);
long QueryValue(HKEY root, const QString& key, const QString& name, RegValue* out);
// Creates the key when missing; replaces a value of the same name (keeping its position).
long SetValue(HKEY root, const QString& key, const RegValue& value);
// Direct subkeys, sorted without regard to case, names as written.
long EnumKeys(HKEY root, const QString& key, QStringList* out);
// Values in the order they were created.
long EnumValues(HKEY root, const QString& key, QList<RegValue>* out);
long DeleteValue(HKEY root, const QString& key, const QString& name);
// Deletes the key with its whole subtree.
long DeleteTree(HKEY root, const QString& key);
// Deletes the named subkeys of parent with their subtrees in one change: all or none. Names
// that do not exist are passed over.
long DeleteTrees(HKEY root, const QString& parent, const QStringList& subkeys);
// Whether the hive of root may be written (false when its file is read-only).
bool IsWritable(HKEY root);
// The database file that holds root's hive in the current prefix (HKCR: the HKLM file).
QString HiveFilePath(HKEY root);
// Checks root's hive file with SQLite's integrity check. ERROR_SUCCESS with no findings when it
// is sound (a missing file is an empty hive); ERROR_REGISTRY_CORRUPT with SQLite's findings (the
// pages, tables and indexes that are damaged); ERROR_BADDB with the reason when the file is no
// hive; ERROR_INVALID_HANDLE for an unknown root.
long CheckHive(HKEY root, QStringList* findings);

} // namespace RegistryStore
