// Script file reader: the streaming reader (piece size from byte one) and the whole decode agree.
#include "script/ScriptDecoding.h"
#include "script/ScriptFileReader.h"

#include "FuzzCheck.h"

#include <QBuffer>

KX4_FUZZ_TARGET(input) {
    if (input.isEmpty())
        return;
    QBuffer device;
    device.setData(QByteArray::fromRawData(input.constData() + 1, input.size() - 1));
    const ScriptDecoding::WholeScript whole = ScriptDecoding::DecodeWhole(device.data());
    ScriptFileReader reader(device, 1 + uchar(input[0]) % 64);
    if (!reader.Open()) {
        Fuzz::Expect(reader.Refused() && whole.settled.refusal == reader.Refused() && whole.lines.isEmpty(),
                     "a buffer fails to open only when both refuse alike", reader.ErrorString());
        return;
    }
    Fuzz::Expect(!whole.settled.refusal && reader.FileEncoding() == whole.settled.encoding &&
                     reader.LineCount() == whole.lines.size(),
                 "what the streaming reader takes, the whole decode takes alike");
    QStringList lines;
    for (QString line; reader.ReadLine(line);)
        lines << line;
    Fuzz::Expect(reader.ErrorString().isEmpty() && lines == whole.lines, "both give the same lines",
                 reader.ErrorString());
}
