#include "kx4reg/Switches.h"

namespace {

bool IsSwitch(const QString& arg) {
    static const QStringList known{"v", "ve", "va", "s", "f", "y", "t", "d", "regedit4", "?"};
    return arg.size() > 1 && (arg.startsWith(u'/') || arg.startsWith(u'-')) &&
           known.contains(arg.mid(1).toLower());
}

// Takes the argument that follows the switch at *i into slot.
QString TakeArgument(const QStringList& args, qsizetype* i, std::optional<QString>* slot) {
    const QString& arg = args.at(*i);
    if (slot->has_value())
        return QStringLiteral("%1 given twice").arg(arg);
    if (*i + 1 >= args.size())
        return QStringLiteral("%1 needs a value").arg(arg);
    *slot = args.at(++*i);
    return QString();
}

// One switch name (lower case) at *i; what is wrong, or an empty text.
QString TakeSwitch(const QString& verb, const QString& name, const QStringList& args, qsizetype* i,
                   Switches* sw) {
    if (name == u"v" || name == u"ve" || name == u"va") {
        if (sw->valueName || sw->allValues)
            return QStringLiteral("give only one of /v, /ve and /va");
        if (name == u"v")
            return TakeArgument(args, i, &sw->valueName);
        if (name == u"ve")
            sw->valueName = QString();
        else
            sw->allValues = true;
    } else if (name == u"s" && verb == u"add") {
        return TakeArgument(args, i, &sw->separator);
    } else if (name == u"s") {
        sw->recurse = true;
    } else if (name == u"f" || name == u"y") {
        sw->force = true;
    } else if (name == u"regedit4") {
        sw->regedit4 = true;
    } else if (name == u"t") {
        return TakeArgument(args, i, &sw->type);
    } else if (name == u"d") {
        return TakeArgument(args, i, &sw->data);
    }
    return QString();
}

} // namespace

QString ParseSwitches(const QString& verb, const QStringList& args, const QStringList& allowed,
                      Switches* sw) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!IsSwitch(arg)) {
            sw->positional << arg;
            continue;
        }
        const QString name = arg.mid(1).toLower();
        if (name == u"?") {
            sw->help = true;
            continue;
        }
        if (!allowed.contains(name))
            return QStringLiteral("%1 is not a switch of %2").arg(arg, verb);
        if (const QString problem = TakeSwitch(verb, name, args, &i, sw); !problem.isEmpty())
            return problem;
    }
    return QString();
}
