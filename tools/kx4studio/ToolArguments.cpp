#include "kx4studio/ToolArguments.h"

#include "studio/Failure.h"

ToolArguments::ToolArguments(const QStringList& args, const QStringList& allowed, int minPositional,
                             int maxPositional, const QString& usage, const QStringList& flags) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        const bool letter = arg.size() == 2 && arg.at(0) == QLatin1Char('-') && allowed.contains(arg.mid(1));
        if (!letter && (!arg.startsWith(QLatin1String("--")) || arg == QLatin1String("--"))) {
            m_positionals << arg;
            continue;
        }
        const QString name = arg.mid(letter ? 1 : 2);
        if (flags.contains(name)) {
            m_options.append({name, QString()});
            continue;
        }
        if (!allowed.contains(name))
            throw Failure(Failure::InvalidCall,
                          QStringLiteral("unknown option %1 (usage: %2)").arg(arg, usage));
        if (i + 1 >= args.size())
            throw Failure(Failure::InvalidCall,
                          QStringLiteral("option %1 needs a value (usage: %2)").arg(arg, usage));
        m_options.append({name, args.at(++i)});
    }
    if (m_positionals.size() < minPositional || m_positionals.size() > maxPositional)
        throw Failure(Failure::InvalidCall, QStringLiteral("usage: %1").arg(usage));
}

QString ToolArguments::Value(const QString& option, const QString& fallback) const {
    const QStringList values = Values(option);
    return values.isEmpty() ? fallback : values.constLast();
}

QStringList ToolArguments::Values(const QString& option) const {
    QStringList values;
    for (const auto& [name, value] : m_options) {
        if (name == option)
            values << value;
    }
    return values;
}
