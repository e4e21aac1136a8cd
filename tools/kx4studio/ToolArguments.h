#pragma once

#include <QMultiMap>
#include <QString>
#include <QStringList>

// The arguments of one kx4studio command: positional words and "--name value" options.
class ToolArguments {
public:
    // Every option takes a value and must be one of allowed (names without "--"); an allowed
    // name of one letter may also be given as "-x". flags are options without a value, which
    // Has() reports. Throws Failure for an unknown option, one without its value, or a
    // positional count outside minPositional..maxPositional; usage is the command's synopsis
    // for those descriptions.
    ToolArguments(const QStringList& args, const QStringList& allowed, int minPositional, int maxPositional,
                  const QString& usage, const QStringList& flags = {});

    QString Positional(int i) const { return m_positionals.value(i); }
    bool Has(const QString& option) const { return !Values(option).isEmpty(); }
    // The last value given for option, or fallback.
    QString Value(const QString& option, const QString& fallback = QString()) const;
    // Every value of a repeated option, in the order given.
    QStringList Values(const QString& option) const;

private:
    QStringList m_positionals;
    QList<std::pair<QString, QString>> m_options;
};
