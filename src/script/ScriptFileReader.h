#pragma once

#include "script/ScriptDecoding.h"

#include <QFile>
#include <QIODevice>
#include <QString>
#include <optional>

// Reads a script file line by line by the rules of ScriptDecoding, holding no more than one
// chunk and the current line, so memory stays flat however long the file is. Opening reads the
// file once through to settle its encoding: a refused file is known before any line is read.
class ScriptFileReader {
public:
    using Encoding = ScriptDecoding::Encoding;
    static constexpr qint64 ChunkSize = 64 * 1024;

    explicit ScriptFileReader(const QString& fileName);
    // Reads a device the caller keeps (closed, or open for reading) in pieces of chunkSize
    // bytes; small pieces meet the border between two often, as a fuzzer wants.
    ScriptFileReader(QIODevice& device, qint64 chunkSize);
    ScriptFileReader(const ScriptFileReader&) = delete;
    ScriptFileReader& operator=(const ScriptFileReader&) = delete;

    // Opens the file (or device) and settles its encoding, reading from its start. False with
    // ErrorString() when it cannot be read (also a pipe, which cannot be read twice), and with
    // Refused() when its bytes are refused.
    bool Open();
    // The next line without its line end. False at the end of the file, and after a failure,
    // which ErrorString() then describes (with Refused() when the file changed since Open into
    // something refused).
    bool ReadLine(QString& line);

    Encoding FileEncoding() const { return m_settled.encoding; }
    // The number of lines ReadLine will hand out, known after Open.
    qint64 LineCount() const { return m_settled.lineCount; }
    const std::optional<ScriptDecoding::Refusal>& Refused() const { return m_refused; }
    QString ErrorString() const { return m_error; }

private:
    bool ReadFrom(qint64 offset, const ScriptDecoding::ByteSink& sink);
    bool Fill();
    bool Fail(const ScriptDecoding::Refusal& refusal);

    std::optional<QFile> m_ownFile;
    QIODevice& m_file;
    qint64 m_chunkSize = ChunkSize;
    ScriptDecoding::Settled m_settled;
    std::optional<ScriptDecoding::Decoder> m_decoder;
    std::optional<ScriptDecoding::Refusal> m_refused;
    QString m_text;          // decoded text not yet handed out as lines
    qsizetype m_pos = 0;     // start of the next line in m_text
    qsizetype m_scanned = 0; // m_text up to here holds no line end after m_pos
    bool m_atEnd = false;
    QString m_error;
};
