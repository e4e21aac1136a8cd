#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

// The rules by which a script file's bytes become text, one set for the streaming reader and
// the whole-file decode.
//
// A file with a byte-order mark (UTF-8, UTF-16 LE or BE) is read by its mark. A file without
// one is UTF-8 when it decodes cleanly; Windows-1252 when it holds no valid multi-byte UTF-8
// sequence at all; UTF-16 when it holds NUL bytes in every other place (little endian when
// they stand at odd offsets, big endian at even ones). Refused are: an invalid sequence of the
// file's encoding, a file mixing UTF-8 and Windows-1252, NUL bytes that are no UTF-16, and a
// NUL character in any encoding. Lines end with CR LF, LF or a lone CR; the last line needs no
// line end. Lines and columns count from 1, columns in bytes from the line's start.
namespace ScriptDecoding {

enum class Encoding { Utf8, Utf16LE, Utf16BE, Windows1252 };

struct Position {
    qint64 line = 1;
    qint64 column = 1;
    bool operator==(const Position&) const = default;
};

// Why a script's bytes are refused, and where: the first byte that does not fit.
struct Refusal {
    Position at;
    QString why;
    bool operator==(const Refusal&) const = default;
    // "line <n>, column <c>: <why>"
    QString Text() const;
};

// How a script is to be read, settled before any of its lines runs.
struct Settled {
    Encoding encoding = Encoding::Utf8;
    qsizetype markLength = 0; // the byte-order mark's bytes, which are no text
    qint64 lineCount = 0;
    std::optional<Refusal> refusal;
    bool operator==(const Settled&) const = default;
};

// Takes the next piece of bytes; false when it needs no more.
using ByteSink = std::function<bool(QByteArrayView bytes)>;
// Hands the bytes from offset to the end to sink, in pieces of any size; false when reading failed.
using ByteSource = std::function<bool(qint64 offset, const ByteSink& sink)>;

// Settles how a script is read: one pass over its bytes (two for UTF-16 without a mark), so
// that a refused file is known before anything runs. head holds the first bytes of the file
// (three, or all when it is shorter). Empty when the source failed to read.
std::optional<Settled> Settle(QByteArrayView head, const ByteSource& source);

// Decodes bytes of one encoding strictly, fed in pieces; the result does not depend on where
// the pieces are cut.
class Decoder {
public:
    explicit Decoder(Encoding encoding);
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // Decodes bytes, appending their text to *text unless text is null. False from the first
    // refusal on; the text holds what was decoded before it.
    bool Feed(QByteArrayView bytes, QString* text);
    // The end of the bytes; false when they end inside a character.
    bool Finish();
    const std::optional<Refusal>& Refused() const;
    // Lines so far; the last one counts when it holds a byte.
    qint64 LineCount() const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

// A whole script decoded at once: its lines, or a refusal and no lines.
struct WholeScript {
    Settled settled;
    QStringList lines;
};
WholeScript DecodeWhole(const QByteArray& bytes);

} // namespace ScriptDecoding
