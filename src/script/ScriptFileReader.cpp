#include "script/ScriptFileReader.h"

#include <QFileInfo>

ScriptFileReader::ScriptFileReader(const QString& fileName)
    : m_ownFile(std::in_place, fileName), m_file(*m_ownFile) {}

ScriptFileReader::ScriptFileReader(QIODevice& device, qint64 chunkSize)
    : m_file(device), m_chunkSize(chunkSize) {}

bool ScriptFileReader::Open() {
    // QFile would also warn on standard error about an empty name.
    if (m_ownFile && m_ownFile->fileName().isEmpty()) {
        m_error = QStringLiteral("no file name given");
        return false;
    }
    if (m_ownFile && QFileInfo(m_ownFile->fileName()).isDir()) {
        m_error = QStringLiteral("it is a folder");
        return false;
    }
    if (!m_file.isOpen() && !m_file.open(QIODevice::ReadOnly)) {
        m_error = m_file.errorString();
        return false;
    }
    if (m_file.isSequential()) {
        m_error =
            QStringLiteral("it is no regular file (its encoding is settled in a first reading, before any "
                           "line runs)");
        return false;
    }
    if (!m_file.seek(0)) {
        m_error = m_file.errorString();
        return false;
    }
    const std::optional<ScriptDecoding::Settled> settled =
        ScriptDecoding::Settle(m_file.peek(3), [this](qint64 offset, const ScriptDecoding::ByteSink& sink) {
            return ReadFrom(offset, sink);
        });
    if (!settled)
        return false;
    m_settled = *settled;
    if (m_settled.refusal)
        return Fail(*m_settled.refusal);
    if (!m_file.seek(m_settled.markLength)) {
        m_error = m_file.errorString();
        return false;
    }
    m_decoder.emplace(m_settled.encoding);
    return true;
}

bool ScriptFileReader::ReadFrom(qint64 offset, const ScriptDecoding::ByteSink& sink) {
    if (!m_file.seek(offset)) {
        m_error = m_file.errorString();
        return false;
    }
    for (;;) {
        const QByteArray chunk = m_file.read(m_chunkSize);
        if (chunk.isEmpty())
            break;
        if (!sink(chunk))
            return true;
    }
    if (!m_file.atEnd()) {
        m_error = m_file.errorString();
        return false;
    }
    return true;
}

bool ScriptFileReader::Fail(const ScriptDecoding::Refusal& refusal) {
    m_refused = refusal;
    m_error = refusal.Text();
    return false;
}

bool ScriptFileReader::Fill() {
    if (m_pos > 0) {
        m_text.remove(0, m_pos);
        m_scanned -= m_pos;
        m_pos = 0;
    }
    const QByteArray chunk = m_file.read(m_chunkSize);
    if (chunk.isEmpty()) {
        if (!m_file.atEnd()) {
            m_error = m_file.errorString();
            return false;
        }
        m_atEnd = true;
        return m_decoder->Finish() || Fail(*m_decoder->Refused());
    }
    return m_decoder->Feed(chunk, &m_text) || Fail(*m_decoder->Refused());
}

bool ScriptFileReader::ReadLine(QString& line) {
    if (!m_decoder)
        return false;
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
