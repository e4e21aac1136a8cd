#include "kx4reg/Verbs.h"
#include "platform/registry/RegFile.h"

#include <QFileInfo>

namespace Kx4RegCommands {

int Export(Io& io, const QStringList& args) {
    Command cmd;
    if (auto status = Prepare(io, QStringLiteral("export"), args, {"y", "regedit4"}, 2, true, &cmd))
        return *status;
    const QString file = cmd.sw.positional.at(1);
    if (const long rc = RegistryStore::OpenKey(cmd.root, cmd.path); rc != ERROR_SUCCESS)
        return io.Fail(Why(rc, cmd.root));
    if (!cmd.sw.force && QFileInfo::exists(file))
        if (const int status = io.Confirm(QStringLiteral("File %1 already exists. Overwrite?").arg(file),
                                          QStringLiteral("/y")))
            return status;
    QString why;
    const auto format = cmd.sw.regedit4 ? RegFileWriter::Format::Regedit4 : RegFileWriter::Format::Version5;
    if (RegFile::Export(cmd.root, cmd.path, file, format, &why) != ERROR_SUCCESS)
        return io.Fail(why);
    io.out << Done << Qt::endl;
    return 0;
}

} // namespace Kx4RegCommands
