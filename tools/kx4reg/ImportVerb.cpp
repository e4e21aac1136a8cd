#include "kx4reg/Verbs.h"
#include "platform/registry/RegFile.h"

namespace Kx4RegCommands {

int Import(Io& io, const QStringList& args) {
    Command cmd;
    if (auto status = Prepare(io, QStringLiteral("import"), args, {}, 1, false, &cmd))
        return *status;
    QString why;
    if (RegFile::Import(cmd.sw.positional.at(0), &why) != ERROR_SUCCESS)
        return io.Fail(why);
    io.out << Done << Qt::endl;
    return 0;
}

} // namespace Kx4RegCommands
