#include "CommandLine.h"

namespace CommandLine {

QString Join(const QStringList& arguments) { return arguments.join(QLatin1Char(' ')); }

QString Reduce(const QString& commandLine, bool* silent) {
    QString line = commandLine;
    *silent = false;
    if (line.contains(QStringLiteral("/s"))) {
        line.remove(QStringLiteral("/s"));
        *silent = true;
    }
    line.remove(QStringLiteral("/i"));

    // Only the space is trimmed: a tab at either end stays part of the argument.
    qsizetype first = 0;
    qsizetype last = line.size();
    while (first < last && line.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && line.at(last - 1) == QLatin1Char(' '))
        --last;
    line = line.mid(first, last - first);

    if (line.startsWith(QLatin1Char('"')))
        line.remove(0, 1);
    if (line.endsWith(QLatin1Char('"')))
        line.chop(1);
    return line;
}

} // namespace CommandLine
