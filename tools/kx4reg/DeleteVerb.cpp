#include "kx4reg/Verbs.h"
#include "platform/registry/RegistryBatch.h"

namespace Kx4RegCommands {

namespace {

// The question asked before deleting; a status when the value to delete cannot be read.
std::optional<int> Question(Io& io, const Command& cmd, QString* question) {
    const Switches& sw = cmd.sw;
    const QString full = FullName(cmd.root, cmd.path);
    if (sw.valueName) {
        RegValue existing;
        if (const long rc = RegistryStore::QueryValue(cmd.root, cmd.path, *sw.valueName, &existing))
            return io.Fail(Why(rc, cmd.root));
        *question = QStringLiteral("Delete the registry value %1 of %2?")
                        .arg(sw.valueName->isEmpty() ? QStringLiteral("(Default)") : *sw.valueName, full);
    } else if (sw.allValues) {
        *question = QStringLiteral("Delete all values of the registry key %1?").arg(full);
    } else {
        *question = QStringLiteral("Permanently delete the registry key %1?").arg(full);
    }
    return std::nullopt;
}

// All values go together or none do.
long DeleteAllValues(const Command& cmd) {
    RegistryBatch batch;
    long rc = batch.BeginWrite(cmd.root != HKEY_CURRENT_USER, cmd.root == HKEY_CURRENT_USER);
    QList<RegValue> values;
    if (rc == ERROR_SUCCESS)
        rc = batch.EnumValues(cmd.root, cmd.path, &values);
    for (qsizetype i = 0; rc == ERROR_SUCCESS && i < values.size(); ++i)
        rc = batch.DeleteValue(cmd.root, cmd.path, values.at(i).name);
    return rc == ERROR_SUCCESS ? batch.Commit() : rc;
}

} // namespace

int Delete(Io& io, const QStringList& args) {
    Command cmd;
    if (auto status = Prepare(io, QStringLiteral("delete"), args, {"v", "ve", "va", "f"}, 1, true, &cmd))
        return *status;
    const Switches& sw = cmd.sw;
    if (cmd.path.isEmpty() && !sw.valueName && !sw.allValues)
        return io.Fail(QStringLiteral("A root key cannot be deleted: %1.").arg(FullName(cmd.root, cmd.path)));
    if (const long rc = RegistryStore::OpenKey(cmd.root, cmd.path); rc != ERROR_SUCCESS)
        return io.Fail(Why(rc, cmd.root));
    QString question;
    if (auto status = Question(io, cmd, &question))
        return *status;
    if (!sw.force)
        if (const int status = io.Confirm(question, QStringLiteral("/f")))
            return status;

    const long rc = sw.valueName   ? RegistryStore::DeleteValue(cmd.root, cmd.path, *sw.valueName)
                    : sw.allValues ? DeleteAllValues(cmd)
                                   : RegistryStore::DeleteTree(cmd.root, cmd.path);
    if (rc != ERROR_SUCCESS)
        return io.Fail(Why(rc, cmd.root));
    io.out << Done << Qt::endl;
    return 0;
}

} // namespace Kx4RegCommands
