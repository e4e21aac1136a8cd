#include "ProjectData/CsvReader.h"

#include "studio/Failure.h"

#include <QStringDecoder>

CsvReader::CsvReader(QByteArray data) : m_data(std::move(data)) {
    if (m_data.startsWith("\xEF\xBB\xBF"))
        m_pos = 3;
}

QString CsvReader::Decode(const char* begin, qsizetype size, qsizetype line) const {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(begin, size));
    if (decoder.hasError())
        throw Failure(Failure::TypeMismatch, QStringLiteral("line %1: not UTF-8 text").arg(line));
    return text;
}

void CsvReader::SkipLineEnd() {
    // CRLF, LF or a lone CR: one line each.
    if (m_data.at(m_pos++) == '\r' && m_pos < m_data.size() && m_data.at(m_pos) == '\n')
        ++m_pos;
    ++m_line;
}

bool CsvReader::Next(QStringList* fields, qsizetype* line) {
    fields->clear();
    const char* data = m_data.constData();
    const qsizetype size = m_data.size();
    // Empty lines carry no record.
    while (m_pos < size && (data[m_pos] == '\n' || data[m_pos] == '\r'))
        SkipLineEnd();
    if (m_pos >= size)
        return false;
    *line = m_line;
    QByteArray unquoted;
    for (;;) {
        if (m_pos < size && data[m_pos] == '"') {
            ++m_pos;
            unquoted.clear();
            for (;;) {
                if (m_pos >= size)
                    throw Failure(Failure::InvalidCall,
                                  QStringLiteral("line %1: a quoted field is never closed").arg(*line));
                const char c = data[m_pos++];
                if (c == '"') {
                    if (m_pos < size && data[m_pos] == '"') {
                        unquoted.append('"');
                        ++m_pos;
                        continue;
                    }
                    break;
                }
                if (c == '\n' || (c == '\r' && (m_pos >= size || data[m_pos] != '\n')))
                    ++m_line;
                unquoted.append(c);
            }
            fields->append(Decode(unquoted.constData(), unquoted.size(), *line));
            if (m_pos < size && data[m_pos] != ',' && data[m_pos] != '\n' && data[m_pos] != '\r')
                throw Failure(Failure::InvalidCall,
                              QStringLiteral("line %1: text after the closing quote of field %2")
                                  .arg(m_line)
                                  .arg(fields->size()));
        } else {
            const qsizetype start = m_pos;
            while (m_pos < size && data[m_pos] != ',' && data[m_pos] != '\n' && data[m_pos] != '\r') {
                if (data[m_pos] == '"')
                    throw Failure(Failure::InvalidCall,
                                  QStringLiteral("line %1: a quote inside field %2 that is not quoted")
                                      .arg(m_line)
                                      .arg(fields->size() + 1));
                ++m_pos;
            }
            fields->append(Decode(data + start, m_pos - start, m_line));
        }
        if (m_pos >= size)
            return true;
        if (data[m_pos] == ',') {
            ++m_pos;
            continue;
        }
        SkipLineEnd();
        return true;
    }
}
