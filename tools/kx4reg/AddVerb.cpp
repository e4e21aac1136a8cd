#include "kx4reg/DataEncoder.h"
#include "kx4reg/Verbs.h"

namespace Kx4RegCommands {

int Add(Io& io, const QStringList& args) {
    Command cmd;
    if (auto status =
            Prepare(io, QStringLiteral("add"), args, {"v", "ve", "t", "s", "d", "f"}, 1, true, &cmd))
        return *status;
    const Switches& sw = cmd.sw;
    // Without /v or /ve reg writes the key's default value: "" unless /t and /d say otherwise.
    const QString name = sw.valueName.value_or(QString());
    const std::optional<quint32> type =
        sw.type ? DataEncoder::ParseType(*sw.type) : std::optional<quint32>(REG_SZ);
    if (!type)
        return io.Syntax(QStringLiteral("add"), QStringLiteral("unknown type \"%1\"").arg(*sw.type));
    if (sw.separator && *type != REG_MULTI_SZ)
        return io.Syntax(QStringLiteral("add"), QStringLiteral("/s is for REG_MULTI_SZ only"));
    QString why;
    const std::optional<QByteArray> bytes = DataEncoder::Encode(*type, sw.data, sw.separator, &why);
    if (!bytes)
        return io.Fail(QStringLiteral("Invalid data: %1.").arg(why));

    RegValue existing;
    if (!sw.force && RegistryStore::QueryValue(cmd.root, cmd.path, name, &existing) == ERROR_SUCCESS) {
        const QString shown = name.isEmpty() ? QStringLiteral("(Default)") : name;
        if (const int status = io.Confirm(
                QStringLiteral("Value %1 exists in %2, overwrite?").arg(shown, FullName(cmd.root, cmd.path)),
                QStringLiteral("/f")))
            return status;
    }
    const long rc = RegistryStore::SetValue(cmd.root, cmd.path, RegValue{name, *type, *bytes});
    if (rc != ERROR_SUCCESS)
        return io.Fail(Why(rc, cmd.root));
    io.out << Done << Qt::endl;
    return 0;
}

} // namespace Kx4RegCommands
