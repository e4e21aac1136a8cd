// The program's command line: the reduced argument is part of the line; plain ones pass unchanged.
#include "app/ToolBoxCommandLine.h"

#include "FuzzCheck.h"

KX4_FUZZ_TARGET(input) {
    QStringList arguments;
    for (const QByteArray& argument : input.split('\0'))
        arguments << QString::fromLocal8Bit(argument);
    const QString line = ToolBoxCommandLine::Join(arguments);
    bool silent = true;
    const QString reduced = ToolBoxCommandLine::Reduce(line, &silent);
    Fuzz::Expect(reduced.size() <= line.size(), "the argument is part of the line", reduced);
    if (!line.contains(u'/') && !line.contains(u'"') && !line.startsWith(u' ') && !line.endsWith(u' '))
        Fuzz::Expect(reduced == line && !silent, "a plain argument passes unchanged, no silent run", reduced);
}
