// Script file reader: the streaming reader (piece size from byte one) and the whole decode agree.
#include "script/ScriptDecoding.h"
#include "script/ScriptFileReader.h"

#include "FuzzCheck.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    QBuffer device;
    device.setData(Fuzz::Bytes(data + 1, size - 1));
    const ScriptDecoding::WholeScript whole = ScriptDecoding::DecodeWhole(device.data());
    ScriptFileReader reader(device, 1 + data[0] % 64);
    if (!reader.Open()) {
        Fuzz::Expect(reader.Refused() && whole.settled.refusal == reader.Refused() && whole.lines.isEmpty(),
                     "a buffer fails to open only when both refuse alike", reader.ErrorString());
        return 0;
    }
    Fuzz::Expect(!whole.settled.refusal && reader.FileEncoding() == whole.settled.encoding &&
                     reader.LineCount() == whole.lines.size(),
                 "what the streaming reader takes, the whole decode takes alike");
    QStringList lines;
    for (QString line; reader.ReadLine(line);)
        lines << line;
    Fuzz::Expect(reader.ErrorString().isEmpty() && lines == whole.lines, "both give the same lines",
                 reader.ErrorString());
    return 0;
}
