#include "platform/registry/RegistryBatch.h"
#include "platform/core/PlatformLog.h"

#include "platform/core/SqliteDb.h"
#include "platform/registry/HiveFile.h"
#include "platform/registry/RegErrorText.h"
#include "platform/registry/RegistryHive.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include <optional>
#include <sqlite3.h>

struct RegistryBatch::Impl {
    SqliteDb db;
    // The schema each hive is reachable under; empty when the hive is not open (or empty).
    QString machineSchema;
    QString userSchema;
    std::optional<SqliteTransaction> tx;
    bool writing = false;
    QString error;
    // The key most recently written, so a run of values under one key resolves it once.
    HKEY lastRoot = 0;
    QString lastKey;
    qint64 lastId = 0;

    long Fail(long rc, const QString& what) {
        error = what;
        qCInfo(lcRegistry) << what;
        return rc;
    }

    // A failure of root's hive file, in words that name the file.
    long FailHive(long rc, HKEY root) { return Fail(rc, RegistryStore::Describe(rc, root)); }

    long Sql(int rc, HKEY root) {
        if (rc == SQLITE_OK || rc == SQLITE_DONE)
            return ERROR_SUCCESS;
        return FailHive(RegistryHive::ErrorFromSqlite(rc), root);
    }

    // Opens root's hive file as main, or attaches it when main is taken.
    long OpenOrAttach(HKEY root, QString* schema) {
        const QString file = RegistryStore::HiveFilePath(root);
        const QString name = root == HKEY_CURRENT_USER ? QStringLiteral("hkcu") : QStringLiteral("hklm");
        if (!db.IsOpen()) {
            if (const int rc = db.Open(file, HiveFile::BusyTimeoutMs); rc != SQLITE_OK)
                return Sql(rc, root);
            *schema = QStringLiteral("main");
        } else {
            SqliteStatement attach = db.Prepare(QStringLiteral("ATTACH DATABASE ? AS %1").arg(name));
            attach.Bind(1, file);
            attach.Step();
            if (!attach.Done())
                return Sql(attach.Result(), root);
            *schema = name;
        }
        return Sql(db.Exec(QStringLiteral("PRAGMA %1.synchronous = FULL").arg(*schema)), root);
    }

    // Inside the transaction: refuses a file that is no hive; a new file gets the tables when
    // create is set, else it reads as empty (its schema is cleared).
    long Identify(HKEY root, QString* schema, bool create) {
        if (schema->isEmpty())
            return ERROR_SUCCESS;
        RegistryHive hive(db, *schema);
        bool isEmpty = false;
        if (const long rc = hive.Identify(&isEmpty); rc != ERROR_SUCCESS)
            return FailHive(rc, root);
        if (isEmpty && create)
            return Sql(hive.CreateSchema(), root);
        if (isEmpty)
            schema->clear();
        return ERROR_SUCCESS;
    }

    // The hive holding root and the key's names in it; null (with *rc) when it is not open.
    std::optional<RegistryHive> Hive(HKEY root, const QString& key, QStringList* names, long* rc) {
        HKEY hiveRoot = 0;
        *rc = RegistryHive::Resolve(root, key, &hiveRoot, names);
        if (*rc != ERROR_SUCCESS)
            return std::nullopt;
        const QString& schema = hiveRoot == HKEY_LOCAL_MACHINE ? machineSchema : userSchema;
        if (schema.isEmpty()) {
            *rc = writing ? long(ERROR_ACCESS_DENIED) : long(ERROR_FILE_NOT_FOUND);
            if (writing)
                error = QStringLiteral("the batch was not opened for %1").arg(RegistryStore::RootName(root));
            return std::nullopt;
        }
        return RegistryHive(db, schema);
    }

    void ForgetKey() { lastRoot = 0; }
};

RegistryBatch::RegistryBatch() : d(std::make_unique<Impl>()) {}

RegistryBatch::~RegistryBatch() {
    // The transaction must end before its connection closes.
    d->tx.reset();
}

long RegistryBatch::BeginWrite(bool machine, bool user) {
    d->writing = true;
    for (const auto& [wanted, root] :
         {std::pair{machine, HKEY_LOCAL_MACHINE}, std::pair{user, HKEY_CURRENT_USER}}) {
        if (wanted && !HiveFile::IsWritablePath(RegistryStore::HiveFilePath(root)))
            return d->FailHive(ERROR_ACCESS_DENIED, root);
    }
    const QString folder = QFileInfo(RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE)).absolutePath();
    if (!QDir().mkpath(folder))
        return d->Fail(ERROR_ACCESS_DENIED, QStringLiteral("cannot create the folder %1").arg(folder));
    // HKLM is always opened first, so two batches lock the hives in the same order.
    if (machine)
        if (const long rc = d->OpenOrAttach(HKEY_LOCAL_MACHINE, &d->machineSchema); rc)
            return rc;
    if (user)
        if (const long rc = d->OpenOrAttach(HKEY_CURRENT_USER, &d->userSchema); rc)
            return rc;
    if (!d->db.IsOpen())
        return ERROR_SUCCESS;
    d->tx.emplace(d->db);
    if (d->tx->BeginResult() != SQLITE_OK) {
        const long rc = d->Sql(d->tx->BeginResult(), machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER);
        d->tx.reset();
        return rc;
    }
    if (const long rc = d->Identify(HKEY_LOCAL_MACHINE, &d->machineSchema, true); rc)
        return rc;
    return d->Identify(HKEY_CURRENT_USER, &d->userSchema, true);
}

long RegistryBatch::BeginRead(bool machine, bool user) {
    d->writing = false;
    for (const auto& [wanted, root] :
         {std::pair{machine, HKEY_LOCAL_MACHINE}, std::pair{user, HKEY_CURRENT_USER}}) {
        QString& schema = root == HKEY_LOCAL_MACHINE ? d->machineSchema : d->userSchema;
        if (wanted && QFileInfo::exists(RegistryStore::HiveFilePath(root)))
            if (const long rc = d->OpenOrAttach(root, &schema); rc)
                return rc;
    }
    if (!d->db.IsOpen())
        return ERROR_SUCCESS;
    if (const long rc = d->Sql(d->db.Exec(QStringLiteral("BEGIN")), HKEY_LOCAL_MACHINE); rc)
        return rc;
    // A hive file without tables (never written) reads as empty; one that is no hive is refused.
    if (const long rc = d->Identify(HKEY_LOCAL_MACHINE, &d->machineSchema, false); rc)
        return rc;
    return d->Identify(HKEY_CURRENT_USER, &d->userSchema, false);
}

long RegistryBatch::CreateKey(HKEY root, const QString& key) {
    QStringList names;
    long rc = ERROR_SUCCESS;
    auto hive = d->Hive(root, key, &names, &rc);
    if (!hive)
        return rc;
    qint64 id = 0;
    rc = hive->CreateKey(names, &id);
    if (rc != ERROR_SUCCESS)
        return d->FailHive(rc, root);
    d->lastRoot = root;
    d->lastKey = key;
    d->lastId = id;
    return ERROR_SUCCESS;
}

long RegistryBatch::SetValue(HKEY root, const QString& key, const RegValue& value) {
    if (!RegistryHive::IsValidValueName(value.name))
        return ERROR_INVALID_PARAMETER;
    if (d->lastRoot != root || d->lastKey != key)
        if (const long rc = CreateKey(root, key); rc != ERROR_SUCCESS)
            return rc;
    QStringList names;
    long rc = ERROR_SUCCESS;
    auto hive = d->Hive(root, QString(), &names, &rc);
    if (!hive)
        return rc;
    rc = hive->SetValue(d->lastId, value);
    return rc == ERROR_SUCCESS ? rc : d->FailHive(rc, root);
}

// Runs fn(hive, id) on an existing key.
template <class Impl, class Fn> static long OnKey(Impl& d, HKEY root, const QString& key, Fn fn) {
    QStringList names;
    long rc = ERROR_SUCCESS;
    auto hive = d.Hive(root, key, &names, &rc);
    if (!hive)
        return rc;
    qint64 id = 0;
    if ((rc = hive->FindKey(names, &id)) != ERROR_SUCCESS)
        return rc;
    return fn(*hive, id);
}

long RegistryBatch::DeleteValue(HKEY root, const QString& key, const QString& name) {
    return OnKey(*d, root, key, [&](auto& hive, qint64 id) { return hive.DeleteValue(id, name); });
}

long RegistryBatch::DeleteTree(HKEY root, const QString& key) {
    QStringList own;
    if (const long rc = RegistryHive::SplitKeyPath(key, &own); rc != ERROR_SUCCESS)
        return rc;
    QStringList names;
    long rc = ERROR_SUCCESS;
    auto hive = d->Hive(root, key, &names, &rc);
    if (!hive)
        return rc;
    d->ForgetKey();
    return hive->DeleteTree(names, own.isEmpty());
}

long RegistryBatch::OpenKey(HKEY root, const QString& key) {
    QStringList names;
    long rc = ERROR_SUCCESS;
    auto hive = d->Hive(root, key, &names, &rc);
    if (!hive)
        return rc == ERROR_FILE_NOT_FOUND && (names.isEmpty() || RegistryHive::IsViewRoot(root, names))
                   ? long(ERROR_SUCCESS)
                   : rc;
    qint64 id = 0;
    return hive->FindKeyOrView(names, RegistryHive::IsViewRoot(root, names), &id);
}

bool RegistryBatch::KeyExists(HKEY root, const QString& key) { return OpenKey(root, key) == ERROR_SUCCESS; }

long RegistryBatch::QueryValue(HKEY root, const QString& key, const QString& name, RegValue* out) {
    return OnKey(*d, root, key, [&](auto& hive, qint64 id) { return hive.QueryValue(id, name, out); });
}

// Runs list(hive, id) on the key's id; a root (or HKCR's own key) that no hive holds yet lists nothing.
template <class Impl, class List> static long ListKey(Impl& d, HKEY root, const QString& key, List list) {
    QStringList names;
    long rc = ERROR_SUCCESS;
    auto hive = d.Hive(root, key, &names, &rc);
    if (!hive)
        return rc == ERROR_FILE_NOT_FOUND && (names.isEmpty() || RegistryHive::IsViewRoot(root, names))
                   ? long(ERROR_SUCCESS)
                   : rc;
    qint64 id = 0;
    if ((rc = hive->FindKeyOrView(names, RegistryHive::IsViewRoot(root, names), &id)) != ERROR_SUCCESS)
        return rc;
    return list(*hive, id);
}

long RegistryBatch::EnumKeys(HKEY root, const QString& key, QStringList* out) {
    out->clear();
    return ListKey(*d, root, key, [&](auto& hive, qint64 id) { return hive.EnumKeys(id, out); });
}

long RegistryBatch::EnumValues(HKEY root, const QString& key, QList<RegValue>* out) {
    out->clear();
    return ListKey(*d, root, key, [&](auto& hive, qint64 id) { return hive.EnumValues(id, out); });
}

long RegistryBatch::Commit() {
    if (!d->tx) {
        if (d->db.IsOpen() && !d->writing)
            d->db.Exec(QStringLiteral("COMMIT"));
        return ERROR_SUCCESS;
    }
    const int rc = d->tx->Commit();
    d->tx.reset();
    return d->Sql(rc, d->machineSchema.isEmpty() ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE);
}

QString RegistryBatch::LastError() const { return d->error; }
