#include "app/ToolBoxCommandLine.h"

namespace {

bool IsBoundary(const QString& line, qsizetype at) {
    if (at < 0 || at >= line.size())
        return true;
    const QChar c = line.at(at);
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('"');
}

// Removes every switch standing as a word of its own; true if there was one. "/s" inside a
// path ("/srv/scripts/run.txt") is part of the path, not a switch.
bool RemoveSwitch(QString& line, QLatin1String switchText) {
    bool found = false;
    qsizetype at = line.indexOf(switchText);
    while (at >= 0) {
        if (IsBoundary(line, at - 1) && IsBoundary(line, at + switchText.size())) {
            line.remove(at, switchText.size());
            found = true;
        } else {
            at += switchText.size();
        }
        at = line.indexOf(switchText, at);
    }
    return found;
}

} // namespace

namespace ToolBoxCommandLine {

QString Join(const QStringList& arguments) { return arguments.join(QLatin1Char(' ')); }

QString Reduce(const QString& commandLine, bool* silent) {
    QString line = commandLine;
    *silent = RemoveSwitch(line, QLatin1String("/s"));
    RemoveSwitch(line, QLatin1String("/i"));

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

} // namespace ToolBoxCommandLine
