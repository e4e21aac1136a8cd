// The script file reader on any file: the streaming reader and the whole-file decode agree on
// every input, on the encoding, the lines and their count, and on a refusal and where it lies.
// The first input byte sets the streaming reader's piece size (1 to 64 bytes), so that pieces
// end anywhere in a character, a mark or a line end; the rest is the file.
#include "script/ScriptDecoding.h"
#include "script/ScriptFileReader.h"

#include "FuzzCheck.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QByteArray bytes = Fuzz::Bytes(data + 1, size - 1);
    const ScriptDecoding::WholeScript whole = ScriptDecoding::DecodeWhole(bytes);

    QBuffer device;
    device.setData(bytes);
    ScriptFileReader reader(device, 1 + data[0] % 64);
    if (!reader.Open()) {
        Fuzz::Expect(reader.Refused().has_value(), "a buffer fails to open only when refused",
                     reader.ErrorString());
        Fuzz::Expect(whole.settled.refusal == reader.Refused(), "both refuse alike", reader.ErrorString());
        Fuzz::Expect(whole.lines.isEmpty(), "a refused script has no lines");
        return 0;
    }
    Fuzz::Expect(!whole.settled.refusal, "what the streaming reader takes, the whole decode takes",
                 whole.settled.refusal ? whole.settled.refusal->Text() : QString());
    Fuzz::Expect(reader.FileEncoding() == whole.settled.encoding, "both settle the same encoding");
    Fuzz::Expect(reader.LineCount() == whole.lines.size(), "the count is the whole decode's");
    QStringList lines;
    QString line;
    while (reader.ReadLine(line))
        lines << line;
    Fuzz::Expect(reader.ErrorString().isEmpty(), "a buffer reads to its end", reader.ErrorString());
    Fuzz::Expect(lines == whole.lines, "both give the same lines");
    return 0;
}
