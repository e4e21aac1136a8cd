// The script line scanner on any line. It either gives a command with arguments taken from
// between quotes, or throws failure 9 for too few quotes; nothing else.
#include "script/MScriptScan.h"
#include "studio/Failure.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString line = QString::fromUtf8(Fuzz::Bytes(data, size));
    QString command;
    QString param1;
    QString param2;
    try {
        MScriptScan::ScanScriptLine(line, command, param1, param2);
    } catch (const Failure& failure) {
        Fuzz::Expect(failure.Number() == Failure::IndexOutOfRange, "the scanner fails only with 9",
                     failure.Text());
        Fuzz::Expect(!command.isEmpty(), "a failing line names its command");
        return 0;
    }
    Fuzz::Expect(command == command.toLower(), "the command is in lower case", command);
    if (command.isEmpty())
        Fuzz::Expect(param1.isEmpty() && param2.isEmpty(), "no command, no arguments");
    // Arguments come from between quotes (the selector of "set" is a word), so hold none.
    Fuzz::Expect(!param1.contains(u'"') && !param2.contains(u'"'), "arguments hold no quote");
    Fuzz::Expect(!param1.contains(u'\t') && !param2.contains(u'\t'), "tabs are read as blanks");
    return 0;
}
