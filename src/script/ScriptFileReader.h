#pragma once

#include <QFile>
#include <QString>
#include <QStringDecoder>

// Reads a script file line by line, holding no more than one chunk and the current line, so
// memory stays flat however long the file is. Encodings: UTF-8 with or without byte-order mark,
// UTF-16 LE/BE with their mark, and Windows-1252 for a file without a mark that is not valid
// UTF-8. Lines end with CR LF, LF or a lone CR; the last line needs no line end.
class ScriptFileReader {
public:
    enum class Encoding { Utf8, Utf16LE, Utf16BE, Windows1252 };

    explicit ScriptFileReader(const QString& fileName);
    ScriptFileReader(const ScriptFileReader&) = delete;
    ScriptFileReader& operator=(const ScriptFileReader&) = delete;

    // Opens the file and settles its encoding; false with ErrorString() when it cannot be read.
    bool Open();
    // The next line without its line end. False at the end of the file, and after a read
    // failure, which ErrorString() then describes.
    bool ReadLine(QString& line);

    Encoding FileEncoding() const { return m_encoding; }
    QString ErrorString() const { return m_error; }

    // Every line of the file counted the same way ReadLine reads them; -1 when it cannot be read.
    static qint64 CountLines(const QString& fileName);

private:
    bool DetectEncoding();
    bool Fill();

    QFile m_file;
    Encoding m_encoding = Encoding::Utf8;
    QStringDecoder m_decoder;
    QString m_text;          // decoded text not yet handed out as lines
    qsizetype m_pos = 0;     // start of the next line in m_text
    qsizetype m_scanned = 0; // m_text up to here holds no line end after m_pos
    bool m_atEnd = false;
    int m_oddByte = 0; // UTF-16: bytes read so far were odd in number
    QString m_error;
};
