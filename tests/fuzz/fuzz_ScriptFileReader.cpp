// The script file reader on any file. The first input byte k places the rest of the input so that
// the reader's 64 KiB chunk border falls k bytes into it: a second file holds, behind the same
// byte-order mark, NUL characters up to the border and then the same bytes. Read line by line,
// both files give the same lines (the second's first line behind the NULs), so nothing depends
// on where a chunk ends; and the line count agrees with the lines read.
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

Reading Read(const QString& path, const QByteArray& bytes) {
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
    Fuzz::Expect(ScriptFileReader::CountLines(path) == reading.lines.size(), "the count is the lines read");
    return reading;
}

qsizetype MarkSize(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return 3;
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") ? 2 : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    static QTemporaryDir folder;
    const QByteArray input = Fuzz::Bytes(data + 1, size - 1);
    const Reading plain = Read(folder.filePath(QStringLiteral("plain.txt")), input);

    // An even number of zero bytes is NUL characters in every encoding the reader knows.
    const qsizetype mark = MarkSize(input);
    const qsizetype padding = ChunkSize - (data[0] & 0xFE);
    const QByteArray shifted = input.left(mark) + QByteArray(padding, '\0') + input.mid(mark);
    const Reading moved = Read(folder.filePath(QStringLiteral("shifted.txt")), shifted);

    const bool wide = plain.encoding == ScriptFileReader::Encoding::Utf16LE ||
                      plain.encoding == ScriptFileReader::Encoding::Utf16BE;
    QStringList expected = plain.lines.isEmpty() ? QStringList{QString()} : plain.lines;
    expected.first().prepend(QString(wide ? padding / 2 : padding, QChar(0)));
    Fuzz::Expect(moved.encoding == plain.encoding, "the chunk border does not change the encoding");
    Fuzz::Expect(moved.lines == expected, "the chunk border does not change the lines");
    return 0;
}
