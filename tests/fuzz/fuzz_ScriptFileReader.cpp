// The script file reader on any file. An even first input byte k places the rest of the input
// so that the reader's 64 KiB chunk border falls k bytes into it: a second file holds, behind the
// same byte-order marks, NUL characters up to the border and then the same bytes. Read line by
// line, both files give the same lines (the second's first line behind the NULs), so nothing
// depends on where a chunk ends. An odd k reads the input alone, which is much faster. The line
// count agrees with the lines read.
#include "script/ScriptFileReader.h"

#include "FuzzCheck.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr qsizetype ChunkSize = 64 * 1024;

struct Reading {
    QStringList lines;
    ScriptFileReader::Encoding encoding = ScriptFileReader::Encoding::Utf8;
};

Reading Read(const QString& path, const QByteArray& bytes, bool count) {
    QFile file(path);
    Fuzz::Expect(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
                 "the input is written to a file", file.errorString());
    file.close();
    ScriptFileReader reader(path);
    Fuzz::Expect(reader.Open(), "a file opens", reader.ErrorString());
    Reading reading;
    reading.encoding = reader.FileEncoding();
    QString line;
    while (reader.ReadLine(line))
        reading.lines << line;
    Fuzz::Expect(reader.ErrorString().isEmpty(), "a file reads to its end", reader.ErrorString());
    if (count)
        Fuzz::Expect(ScriptFileReader::CountLines(path) == reading.lines.size(),
                     "the count is the lines read");
    return reading;
}

// The byte-order mark and any copies of it that follow. Whether a second mark is text or
// dropped with the first is the reader's choice; the NULs go behind all of them, so as not to
// decide it here.
qsizetype MarksSize(const QByteArray& bytes) {
    QByteArray mark;
    for (const char* candidate : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
        if (bytes.startsWith(candidate))
            mark = candidate;
    }
    qsizetype size = 0;
    while (!mark.isEmpty() && QByteArrayView(bytes).sliced(size).startsWith(mark))
        size += mark.size();
    return size;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    static QTemporaryDir folder;
    const QByteArray input = Fuzz::Bytes(data + 1, size - 1);
    const Reading plain = Read(folder.filePath(QStringLiteral("plain.txt")), input, true);
    if (data[0] & 1)
        return 0;

    // An even number of zero bytes is NUL characters in every encoding the reader knows.
    const qsizetype mark = MarksSize(input);
    const qsizetype padding = ChunkSize - data[0];
    const QByteArray shifted = input.left(mark) + QByteArray(padding, '\0') + input.mid(mark);
    const Reading moved = Read(folder.filePath(QStringLiteral("shifted.txt")), shifted, false);

    const bool wide = plain.encoding == ScriptFileReader::Encoding::Utf16LE ||
                      plain.encoding == ScriptFileReader::Encoding::Utf16BE;
    QStringList expected = plain.lines.isEmpty() ? QStringList{QString()} : plain.lines;
    expected.first().prepend(QString(wide ? padding / 2 : padding, QChar(0)));
    Fuzz::Expect(moved.encoding == plain.encoding, "the chunk border does not change the encoding");
    Fuzz::Expect(moved.lines == expected, "the chunk border does not change the lines");
    return 0;
}
