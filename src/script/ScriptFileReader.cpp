#include "script/ScriptFileReader.h"

#include <QFileInfo>

namespace {

constexpr qint64 ChunkSize = 64 * 1024;

// Windows-1252 at 0x80..0x9F; the five unassigned bytes keep their C1 code, as Windows maps them.
constexpr char16_t Windows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                          0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendWindows1252(QString& text, const QByteArray& bytes) {
    const qsizetype start = text.size();
    text.resize(start + bytes.size());
    QChar* out = text.data() + start;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? Windows1252High[b - 0x80] : char16_t(b));
    }
}

// True when the bytes end inside a UTF-8 sequence, which a streaming decoder would keep back.
bool EndsInCutSequence(const QByteArray& tail) {
    qsizetype continuation = 0;
    for (qsizetype i = tail.size() - 1; i >= 0; --i) {
        const auto b = static_cast<unsigned char>(tail[i]);
        if ((b & 0xC0) == 0x80) {
            ++continuation;
            continue;
        }
        const qsizetype length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return continuation + 1 < length;
    }
    return false;
}

} // namespace

ScriptFileReader::ScriptFileReader(const QString& fileName) : m_file(fileName) {}

bool ScriptFileReader::Open() {
    // QFile would also warn on standard error about an empty name.
    if (m_file.fileName().isEmpty()) {
        m_error = QStringLiteral("no file name given");
        return false;
    }
    if (QFileInfo(m_file.fileName()).isDir()) {
        m_error = QStringLiteral("it is a folder");
        return false;
    }
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_error = m_file.errorString();
        return false;
    }
    return DetectEncoding();
}

bool ScriptFileReader::DetectEncoding() {
    const QByteArray head = m_file.peek(3);
    if (head.startsWith("\xEF\xBB\xBF")) {
        m_encoding = Encoding::Utf8;
        m_file.skip(3);
    } else if (head.startsWith("\xFF\xFE")) {
        m_encoding = Encoding::Utf16LE;
        m_file.skip(2);
    } else if (head.startsWith("\xFE\xFF")) {
        m_encoding = Encoding::Utf16BE;
        m_file.skip(2);
    } else if (!m_file.isSequential()) {
        // Without a mark the whole file decides, so every line of it is read the same way.
        QStringDecoder probe(QStringDecoder::Utf8);
        m_encoding = Encoding::Utf8;
        QByteArray tail;
        while (!m_file.atEnd()) {
            const QByteArray chunk = m_file.read(ChunkSize);
            if (chunk.isEmpty()) {
                m_error = m_file.errorString();
                return false;
            }
            const QString decoded = probe.decode(chunk); // decoding happens on conversion
            if (probe.hasError()) {
                m_encoding = Encoding::Windows1252;
                break;
            }
            tail = (tail + chunk).right(4);
        }
        // A sequence cut off by the end of the file is no valid UTF-8 either.
        if (m_encoding == Encoding::Utf8 && EndsInCutSequence(tail))
            m_encoding = Encoding::Windows1252;
        if (!m_file.seek(0)) {
            m_error = m_file.errorString();
            return false;
        }
    }
    switch (m_encoding) {
    case Encoding::Utf8:
        m_decoder = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Default);
        break;
    case Encoding::Utf16LE:
        m_decoder = QStringDecoder(QStringDecoder::Utf16LE, QStringDecoder::Flag::Default);
        break;
    case Encoding::Utf16BE:
        m_decoder = QStringDecoder(QStringDecoder::Utf16BE, QStringDecoder::Flag::Default);
        break;
    case Encoding::Windows1252: break;
    }
    return true;
}

bool ScriptFileReader::Fill() {
    if (m_pos > 0) {
        m_text.remove(0, m_pos);
        m_scanned -= m_pos;
        m_pos = 0;
    }
    const QByteArray chunk = m_file.read(ChunkSize);
    if (chunk.isEmpty()) {
        if (!m_file.atEnd() || m_file.error() != QFileDevice::NoError) {
            m_error = m_file.errorString();
            return false;
        }
        // A UTF-16 file cut after an odd byte keeps that byte back; show that something is lost.
        if (m_encoding != Encoding::Windows1252 && m_oddByte)
            m_text += QChar(QChar::ReplacementCharacter);
        m_atEnd = true;
        return true;
    }
    if (m_encoding == Encoding::Windows1252) {
        AppendWindows1252(m_text, chunk);
    } else {
        m_text += m_decoder.decode(chunk);
        if (m_encoding != Encoding::Utf8)
            m_oddByte = int((m_oddByte + chunk.size()) % 2);
    }
    return true;
}

bool ScriptFileReader::ReadLine(QString& line) {
    for (;;) {
        const QChar* data = m_text.constData();
        const qsizetype size = m_text.size();
        qsizetype i = std::max(m_pos, m_scanned);
        while (i < size && data[i] != u'\n' && data[i] != u'\r')
            ++i;
        // A CR at the end of what is decoded may be the first half of a CR LF.
        if (i < size && !(data[i] == u'\r' && i + 1 == size && !m_atEnd)) {
            line = m_text.mid(m_pos, i - m_pos);
            m_pos = i + 1;
            if (data[i] == u'\r' && m_pos < size && data[m_pos] == u'\n')
                ++m_pos;
            m_scanned = m_pos;
            return true;
        }
        m_scanned = i;
        if (m_atEnd) {
            if (m_pos >= size)
                return false;
            line = m_text.mid(m_pos);
            m_pos = size;
            m_scanned = size;
            return true;
        }
        if (!m_error.isEmpty() || !Fill())
            return false;
    }
}

qint64 ScriptFileReader::CountLines(const QString& fileName) {
    ScriptFileReader reader(fileName);
    if (!reader.Open())
        return -1;
    qint64 count = 0;
    QString line;
    while (reader.ReadLine(line))
        ++count;
    return reader.ErrorString().isEmpty() ? count : -1;
}
