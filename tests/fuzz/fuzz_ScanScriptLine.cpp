// The script line scanner on any line: a command in lower case with arguments from between quotes
// (no quote or tab in them), or failure 9 for too few quotes naming its command; nothing else.
#include "script/MScriptScan.h"
#include "studio/Failure.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString line = QString::fromUtf8(Fuzz::Bytes(data, size));
    QString command, param1, param2;
    try {
        MScriptScan::ScanScriptLine(line, command, param1, param2);
    } catch (const Failure& failure) {
        Fuzz::Expect(failure.Number() == Failure::IndexOutOfRange && !command.isEmpty(),
                     "the scanner fails only with 9, naming the command", failure.Text());
        return 0;
    }
    Fuzz::Expect(command == command.toLower(), "the command is in lower case", command);
    Fuzz::Expect(!command.isEmpty() || (param1.isEmpty() && param2.isEmpty()), "no command, no arguments");
    // The selector of "set" is a word, so no argument holds a quote.
    for (const QString& param : {param1, param2})
        Fuzz::Expect(!param.contains(u'"') && !param.contains(u'\t'), "arguments hold no quote or tab",
                     param);
    return 0;
}
