#include "platform/registry/RegFile.h"

#include "platform/registry/RegErrorText.h"
#include "platform/registry/RegFileReader.h"
#include "platform/registry/RegistryBatch.h"

#include <QFile>
#include <QSaveFile>

namespace RegFile {

namespace {

bool IsMachine(HKEY root) { return root != HKEY_CURRENT_USER; }

long Apply(RegistryBatch& batch, const RegFileEntry& entry) {
    switch (entry.kind) {
    case RegFileEntry::Kind::Key: return batch.CreateKey(entry.root, entry.key);
    case RegFileEntry::Kind::DeleteKey: {
        const long rc = batch.DeleteTree(entry.root, entry.key);
        return rc == ERROR_FILE_NOT_FOUND ? long(ERROR_SUCCESS) : rc;
    }
    case RegFileEntry::Kind::Value: return batch.SetValue(entry.root, entry.key, entry.value);
    case RegFileEntry::Kind::DeleteValue: {
        const long rc = batch.DeleteValue(entry.root, entry.key, entry.value.name);
        return rc == ERROR_FILE_NOT_FOUND ? long(ERROR_SUCCESS) : rc;
    }
    }
    return ERROR_INVALID_PARAMETER;
}

QString FullName(HKEY root, const QString& key) {
    return key.isEmpty() ? RegistryStore::RootName(root) : RegistryStore::RootName(root) + u'\\' + key;
}

long ExportKey(RegistryBatch& batch, HKEY root, const QString& key, RegFileWriter& writer, QString* error) {
    QList<RegValue> values;
    if (const long rc = batch.EnumValues(root, key, &values); rc != ERROR_SUCCESS) {
        *error = QStringLiteral("%1: %2").arg(FullName(root, key), RegistryStore::Describe(rc, root));
        return rc;
    }
    QString why;
    if (!writer.AddKey(FullName(root, key), &why)) {
        *error = why;
        return ERROR_INVALID_PARAMETER;
    }
    for (const RegValue& value : std::as_const(values)) {
        if (!writer.AddValue(value, &why)) {
            *error = QStringLiteral("%1: %2").arg(FullName(root, key), why);
            return ERROR_INVALID_PARAMETER;
        }
    }
    QStringList subkeys;
    if (const long rc = batch.EnumKeys(root, key, &subkeys); rc != ERROR_SUCCESS) {
        *error = QStringLiteral("%1: %2").arg(FullName(root, key), RegistryStore::Describe(rc, root));
        return rc;
    }
    for (const QString& subkey : std::as_const(subkeys)) {
        const QString child = key.isEmpty() ? subkey : key + u'\\' + subkey;
        if (const long rc = ExportKey(batch, root, child, writer, error); rc != ERROR_SUCCESS)
            return rc;
    }
    return ERROR_SUCCESS;
}

} // namespace

long Import(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: cannot read the file: %2").arg(path, file.errorString());
        return ERROR_FILE_NOT_FOUND;
    }
    QList<RegFileEntry> entries;
    QString why;
    if (!RegFileReader::Parse(file.readAll(), &entries, &why)) {
        *error = QStringLiteral("%1: %2").arg(path, why);
        return ERROR_INVALID_PARAMETER;
    }
    bool machine = false;
    bool user = false;
    for (const RegFileEntry& entry : std::as_const(entries))
        (IsMachine(entry.root) ? machine : user) = true;
    if (!machine && !user)
        return ERROR_SUCCESS;

    RegistryBatch batch;
    if (const long rc = batch.BeginWrite(machine, user); rc != ERROR_SUCCESS) {
        *error = QStringLiteral("%1: %2").arg(path, batch.LastError());
        return rc;
    }
    for (const RegFileEntry& entry : std::as_const(entries)) {
        if (const long rc = Apply(batch, entry); rc != ERROR_SUCCESS) {
            *error = QStringLiteral("%1: line %2: %3: %4")
                         .arg(path)
                         .arg(entry.line)
                         .arg(FullName(entry.root, entry.key), RegistryStore::Describe(rc, entry.root));
            return rc;
        }
    }
    if (const long rc = batch.Commit(); rc != ERROR_SUCCESS) {
        *error = QStringLiteral("%1: the import could not be committed: %2").arg(path, batch.LastError());
        return rc;
    }
    return ERROR_SUCCESS;
}

long Export(HKEY root, const QString& key, const QString& path, RegFileWriter::Format format,
            QString* error) {
    const QString own = RegistryStore::TrimKeyPath(key);
    RegistryBatch batch;
    if (const long rc = batch.BeginRead(IsMachine(root), !IsMachine(root)); rc != ERROR_SUCCESS) {
        *error = QStringLiteral("%1: %2").arg(FullName(root, own), batch.LastError());
        return rc;
    }
    if (const long rc = batch.OpenKey(root, own); rc != ERROR_SUCCESS) {
        *error = rc == ERROR_FILE_NOT_FOUND
                     ? QStringLiteral("%1: the key does not exist").arg(FullName(root, own))
                     : QStringLiteral("%1: %2").arg(FullName(root, own), RegistryStore::Describe(rc, root));
        return rc;
    }
    RegFileWriter writer(format);
    if (const long rc = ExportKey(batch, root, own, writer, error); rc != ERROR_SUCCESS)
        return rc;
    batch.Commit();

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(writer.Bytes()) < 0 || !file.commit()) {
        *error = QStringLiteral("%1: cannot write the file: %2").arg(path, file.errorString());
        return ERROR_ACCESS_DENIED;
    }
    return ERROR_SUCCESS;
}

} // namespace RegFile
