#include "kx4reg/Verbs.h"

namespace Kx4RegCommands {

namespace {

// The roots whose hives to check: both, or the one ROOT lives in; empty when ROOT is none.
QList<HKEY> Roots(const QStringList& positional) {
    if (positional.isEmpty())
        return {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    HKEY root = 0;
    QString path;
    if (!ParseKey(positional.first(), &root, &path).isEmpty() || !path.isEmpty())
        return {};
    return {root == HKEY_CURRENT_USER ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE};
}

QString State(long rc) {
    switch (rc) {
    case ERROR_SUCCESS: return QStringLiteral("ok");
    case ERROR_BADDB: return QStringLiteral("not a registry hive");
    default: return QStringLiteral("damaged");
    }
}

} // namespace

int Check(Io& io, const QStringList& args) {
    Command cmd;
    if (auto status = Prepare(io, QStringLiteral("check"), args, {}, int(qMin(args.size(), 1)), false, &cmd))
        return *status;
    const QList<HKEY> roots = Roots(cmd.sw.positional);
    if (roots.isEmpty())
        return io.Fail(QStringLiteral("Invalid root \"%1\": it must be HKLM, HKCU or HKCR.")
                           .arg(cmd.sw.positional.first()));
    long failed = ERROR_SUCCESS;
    HKEY failedRoot = 0;
    for (const HKEY root : roots) {
        QStringList findings;
        const long rc = RegistryStore::CheckHive(root, &findings);
        io.out << RegistryStore::RootName(root) << ": " << RegistryStore::HiveFilePath(root) << ": "
               << State(rc) << '\n';
        for (const QString& finding : std::as_const(findings))
            io.out << "    " << finding << '\n';
        if (rc != ERROR_SUCCESS && failed == ERROR_SUCCESS) {
            failed = rc;
            failedRoot = root;
        }
    }
    io.out << Qt::flush;
    return failed == ERROR_SUCCESS ? 0 : io.Fail(Why(failed, failedRoot));
}

} // namespace Kx4RegCommands
