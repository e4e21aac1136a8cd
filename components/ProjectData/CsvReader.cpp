#include "ProjectData/CsvReader.h"

#include "studio/Failure.h"

#include <QIODevice>

#include <cstring>

namespace {

bool EndsPlainField(char c) { return c == ',' || c == '\n' || c == '\r' || c == '"'; }

} // namespace

CsvReader::CsvReader(QIODevice* in, qsizetype bufferSize) : m_in(in) {
    m_buffer.resize(qMax<qsizetype>(bufferSize, 3));
    // The mark may come in more than one read (a pipe gives what it has): gather three bytes.
    while (m_end < 3) {
        const qint64 read = m_in->read(m_buffer.data() + m_end, m_buffer.size() - m_end);
        if (read < 0)
            Fail(m_line, QStringLiteral("cannot read: %1").arg(m_in->errorString()), Failure::DeviceIOError);
        if (read == 0)
            break;
        m_end += qsizetype(read);
    }
    if (m_end >= 3 && std::memcmp(m_buffer.constData(), "\xEF\xBB\xBF", 3) == 0)
        m_pos = 3;
}

void CsvReader::Fail(qsizetype line, const QString& what, int number) const {
    throw CsvError{line, what, number};
}

bool CsvReader::Available() {
    if (m_pos < m_end)
        return true;
    m_consumed += m_end;
    m_pos = m_end = 0;
    const qint64 read = m_in->read(m_buffer.data(), m_buffer.size());
    if (read < 0)
        Fail(m_line, QStringLiteral("cannot read: %1").arg(m_in->errorString()), Failure::DeviceIOError);
    m_end = qsizetype(read);
    return m_end > 0;
}

void CsvReader::SkipLineEnd() {
    // CRLF, LF or a lone CR: one line each.
    if (m_buffer.at(m_pos++) == '\r' && Available() && m_buffer.at(m_pos) == '\n')
        ++m_pos;
    ++m_line;
}

bool CsvReader::SkipEmptyLines() {
    while (Available()) {
        const char c = m_buffer.at(m_pos);
        if (c != '\n' && c != '\r')
            return true;
        SkipLineEnd();
    }
    return false;
}

void CsvReader::ReadPlain(QByteArray* field, qsizetype fieldNumber) {
    while (Available()) {
        const char* begin = m_buffer.constData() + m_pos;
        const char* end = m_buffer.constData() + m_end;
        const char* stop = begin;
        while (stop < end && !EndsPlainField(*stop))
            ++stop;
        field->append(begin, stop - begin);
        m_pos += stop - begin;
        if (stop == end)
            continue;
        if (*stop == '"')
            Fail(m_line, QStringLiteral("a quote inside field %1 that is not quoted").arg(fieldNumber),
                 Failure::InvalidCall);
        return;
    }
}

void CsvReader::ReadQuoted(QByteArray* field, qsizetype recordLine) {
    for (;;) {
        if (!Available())
            Fail(recordLine, QStringLiteral("a quoted field is never closed"), Failure::InvalidCall);
        const char* begin = m_buffer.constData() + m_pos;
        const char* end = m_buffer.constData() + m_end;
        const char* stop = begin;
        while (stop < end && *stop != '"' && *stop != '\n' && *stop != '\r')
            ++stop;
        field->append(begin, stop - begin);
        m_pos += stop - begin;
        if (stop == end)
            continue;
        const char c = m_buffer.at(m_pos++);
        if (c == '"') {
            if (!Available() || m_buffer.at(m_pos) != '"')
                return;
            field->append('"');
            ++m_pos;
            continue;
        }
        // A line break inside the field: the LF of a CRLF counts the line, as a lone CR does.
        field->append(c);
        if (c == '\n' || !Available() || m_buffer.at(m_pos) != '\n')
            ++m_line;
    }
}

char CsvReader::ReadField(QByteArray* field, qsizetype fieldNumber, qsizetype recordLine) {
    field->resize(0);
    const bool quoted = Available() && m_buffer.at(m_pos) == '"';
    if (quoted) {
        ++m_pos;
        ReadQuoted(field, recordLine);
    } else {
        ReadPlain(field, fieldNumber);
    }
    if (!QByteArrayView(*field).isValidUtf8())
        Fail(quoted ? recordLine : m_line, QStringLiteral("not UTF-8 text"), Failure::TypeMismatch);
    if (!Available())
        return 0;
    const char c = m_buffer.at(m_pos);
    if (c == ',') {
        ++m_pos;
        return ',';
    }
    if (c == '\n' || c == '\r') {
        SkipLineEnd();
        return '\n';
    }
    Fail(m_line, QStringLiteral("text after the closing quote of field %1").arg(fieldNumber),
         Failure::InvalidCall);
}

bool CsvReader::Next(CsvRecord* record) {
    if (!SkipEmptyLines())
        return false;
    record->line = m_line;
    qsizetype count = 0;
    char end = ',';
    while (end == ',') {
        if (record->fields.size() == count)
            record->fields.emplace_back();
        end = ReadField(&record->fields[count], count + 1, record->line);
        ++count;
    }
    record->fields.resize(count);
    return true;
}
