#pragma once

#include <QString>
#include <QStringList>

// kx4toolbox's command line, as start-up reduces it to its one argument.
namespace ToolBoxCommandLine {

// The process arguments (without the program) joined with single spaces.
QString Join(const QStringList& arguments);

// Reduces a command line to its one argument: every "/s" (sets *silent) and "/i" that stands
// as a word of its own (between blanks, quotes or the ends) removed, blanks trimmed at both
// ends, then one leading and one trailing double quote dropped. Switch letters compare exactly.
QString Reduce(const QString& commandLine, bool* silent);

} // namespace ToolBoxCommandLine
