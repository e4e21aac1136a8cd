// Script line scanner: a lower-case command with quote-free arguments, or failure 9 naming it.
#include "script/MScriptScan.h"
#include "studio/Failure.h"

#include "FuzzCheck.h"

KX4_FUZZ_TARGET(input) {
    const QString line = QString::fromUtf8(input);
    QString command, param1, param2;
    try {
        MScriptScan::ScanScriptLine(line, command, param1, param2);
    } catch (const Failure& failure) {
        Fuzz::Expect(failure.Number() == Failure::IndexOutOfRange && !command.isEmpty(),
                     "the scanner fails only with 9, naming the command", failure.Text());
        return;
    }
    // The selector of "set" is a word, so no argument holds a quote.
    const QString params = param1 + param2;
    Fuzz::Expect(command == command.toLower() && (!command.isEmpty() || params.isEmpty()) &&
                     !params.contains(u'"') && !params.contains(u'\t'),
                 "a lower-case command; arguments only with one, without quote or tab",
                 command + '|' + params);
}
