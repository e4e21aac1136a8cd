#include "kx4reg/Switches.h"

namespace {

const QStringList Known{"v", "ve", "va", "s", "f", "y", "t", "d", "regedit4", "reg:32", "reg:64", "?", "h"};

bool IsSwitch(const QString& arg) {
    return arg.size() > 1 && (arg.startsWith(u'/') || arg.startsWith(u'-')) &&
           Known.contains(arg.mid(1).toLower());
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

// Sets a switch that takes no argument; a second time is refused.
QString SetFlag(const QString& arg, bool* flag) {
    if (*flag)
        return QStringLiteral("%1 given twice").arg(arg);
    *flag = true;
    return QString();
}

// One switch name (lower case) at *i; what is wrong, or an empty text.
QString TakeSwitch(const QString& verb, const QString& name, const QStringList& args, qsizetype* i,
                   Switches* sw) {
    const QString& arg = args.at(*i);
    if (name == u"v" || name == u"ve" || name == u"va") {
        if (sw->valueName || sw->allValues)
            return QStringLiteral("give only one of /v, /ve and /va");
        if (name == u"v")
            return TakeArgument(args, i, &sw->valueName);
        if (name == u"ve")
            sw->valueName = QString();
        else
            sw->allValues = true;
        return QString();
    }
    if (name == u"s" && verb == u"add")
        return TakeArgument(args, i, &sw->separator);
    if (name == u"s")
        return SetFlag(arg, &sw->recurse);
    if (name == u"f" || name == u"y")
        return SetFlag(arg, &sw->force);
    if (name == u"regedit4")
        return SetFlag(arg, &sw->regedit4);
    if (name.startsWith(QStringLiteral("reg:")))
        return sw->view ? QStringLiteral("give /reg:32 or /reg:64 once") : SetFlag(arg, &sw->view);
    if (name == u"t")
        return TakeArgument(args, i, &sw->type);
    if (name == u"d")
        return TakeArgument(args, i, &sw->data);
    return QString();
}

} // namespace

QString ParseSwitches(const QString& verb, const QStringList& args, const QStringList& allowed,
                      Switches* sw) {
    bool switchSeen = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!IsSwitch(arg)) {
            if (switchSeen)
                return QStringLiteral("%1 stands after the switches; give the key (and file) first").arg(arg);
            sw->positional << arg;
            continue;
        }
        switchSeen = true;
        const QString name = arg.mid(1).toLower();
        if (name == u"?" || name == u"h") {
            sw->help = true;
            continue;
        }
        if (!allowed.contains(name) && !name.startsWith(QStringLiteral("reg:")))
            return QStringLiteral("%1 is not a switch of %2").arg(arg, verb);
        if (const QString problem = TakeSwitch(verb, name, args, &i, sw); !problem.isEmpty())
            return problem;
    }
    return QString();
}
