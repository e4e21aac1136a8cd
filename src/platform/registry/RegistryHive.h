#pragma once

#include "platform/registry/Registry.h"

#include <QString>
#include <QStringList>

class SqliteDb;

// The keys and values of one hive inside an open connection, under a schema name ("main", or the
// name a second hive was attached as). Callers hold the connection's lock and, for changes, an
// open transaction; these functions run statements only and never commit.
class RegistryHive {
public:
    RegistryHive(SqliteDb& db, const QString& schema);

    // Creates the tables in a database that has none yet (see Identify); returns the SQLite code.
    int CreateSchema();
    // What the database under the schema holds. ERROR_SUCCESS with *isEmpty true: no tables yet
    // (a new file); with *isEmpty false: a hive. ERROR_BADDB: another program's database, or no
    // database at all; ERROR_REGISTRY_CORRUPT: a damaged one.
    long Identify(bool* isEmpty);

    // Splits "A\B\C" into its names; leading and trailing backslashes are tolerated. Returns 87
    // for an empty name inside the path or a name longer than 255 characters.
    static long SplitKeyPath(const QString& key, QStringList* names);
    static bool IsValidValueName(const QString& name);
    // Whether the resolved names of a key under root are HKCR's own key, which always exists for
    // readers (a view of HKLM\Software\Classes, even before anything is written there).
    static bool IsViewRoot(HKEY root, const QStringList& names);
    // The hive a root lives in and the key's names inside it: HKCR is HKLM\Software\Classes.
    // Returns ERROR_INVALID_HANDLE for anything but the three roots, 87 for a bad path.
    static long Resolve(HKEY root, const QString& key, HKEY* hiveRoot, QStringList* names);
    // As Resolve, for reads: the key's folded path (FoldedPath of its names) without the names,
    // and whether it is HKCR's own key (IsViewRoot).
    static long ResolveFolded(HKEY root, const QString& key, HKEY* hiveRoot, QString* foldedPath,
                              bool* viewRoot);

    // The key's row id, or ERROR_FILE_NOT_FOUND.
    long FindKey(const QStringList& names, qint64* id) { return FindKey(FoldedPath(names), id); }
    long FindKey(const QString& foldedPath, qint64* id);
    // As FindKey, but a root that is a view (HKCR) always exists: when its key is missing the
    // id is one no key has, so it reads as empty.
    long FindKeyOrView(const QString& foldedPath, bool isViewRoot, qint64* id);
    long FindKeyOrView(const QStringList& names, bool isViewRoot, qint64* id) {
        return FindKeyOrView(FoldedPath(names), isViewRoot, id);
    }
    // The key's values in one statement (one lock of the file): *exists false when it is missing.
    long LoadKey(const QString& foldedPath, bool* exists, QList<RegValue>* values);
    // A direct subkey with its values in creation order.
    struct Child {
        QString name;       // as written
        QString foldedPath; // its cache key
        QList<RegValue> values;
        bool complete = true; // false: its values were left out (past the budget)
    };
    // The direct subkeys of key, sorted as EnumKeys sorts them, each with its values while their
    // count stays within valueBudget, in one statement: who enumerates a key mostly reads its
    // subkeys next.
    long LoadChildren(qint64 key, qsizetype valueBudget, QList<Child>* out);
    // The folded path a key is found by (its cache key too).
    static QString FoldedPath(const QStringList& names) { return FoldedPath(names, int(names.size())); }
    // Creates the key and every missing level above it.
    long CreateKey(const QStringList& names, qint64* id);
    long QueryValue(qint64 key, const QString& name, RegValue* out);
    long SetValue(qint64 key, const RegValue& value);
    long EnumKeys(qint64 key, QStringList* out);
    long EnumValues(qint64 key, QList<RegValue>* out);
    long DeleteValue(qint64 key, const QString& name);
    // Deletes the key with its subtree; with keepKey only what lies below and its values.
    long DeleteTree(const QStringList& names, bool keepKey);

    // A SQLite code as a registry error.
    static long ErrorFromSqlite(int rc);

private:
    QString Sql(const char* text) const;
    static QString FoldedPath(const QStringList& names, int count);

    SqliteDb& m_db;
    QString m_schema;
};
