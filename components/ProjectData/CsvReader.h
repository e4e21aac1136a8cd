#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reads records of RFC 4180 CSV in UTF-8: fields separated by commas, a field in double quotes
// may hold commas, line breaks and doubled quotes; records end with CRLF, LF or CR. A leading
// byte order mark is skipped.
class CsvReader {
public:
    explicit CsvReader(QByteArray data);

    // The next record into *fields and the line it starts on into *line; false at the end.
    // Empty lines are passed over. Throws Failure naming the line for a quote that is never
    // closed, text after a closing quote, or bytes that are not UTF-8.
    bool Next(QStringList* fields, qsizetype* line);

private:
    QString Decode(const char* begin, qsizetype size, qsizetype line) const;
    // Passes over the line end at the current position.
    void SkipLineEnd();

    QByteArray m_data;
    qsizetype m_pos = 0;
    qsizetype m_line = 1;
};
