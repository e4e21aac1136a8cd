#include "kx4reg/Kx4Reg.h"

#include "kx4reg/Verbs.h"

#include <QHash>

int RunKx4Reg(const QStringList& args, QTextStream& out, QTextStream& err, QTextStream* answers) {
    using namespace Kx4RegCommands;
    Io io{out, err, answers};
    if (args.isEmpty())
        return io.Fail(QStringLiteral("Invalid syntax: no command. Type \"kx4reg /?\" for usage."));
    static const QHash<QString, int (*)(Io&, const QStringList&)> verbs{
        {QStringLiteral("query"), &Query},   {QStringLiteral("add"), &Add},
        {QStringLiteral("delete"), &Delete}, {QStringLiteral("import"), &Import},
        {QStringLiteral("export"), &Export}, {QStringLiteral("check"), &Check},
    };
    const QString verb = args.first().toLower();
    if (verb == u"/?" || verb == u"-?" || verb == u"/h" || verb == u"-h" || verb == u"--help")
        return Usage(io, QString());
    if (const auto run = verbs.value(verb))
        return run(io, args.mid(1));
    return io.Fail(QStringLiteral("Invalid syntax: unknown command \"%1\". Type \"kx4reg /?\" for usage.")
                       .arg(args.first()));
}
