#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

// One record: its fields in UTF-8 and the line it starts on.
struct CsvRecord {
    QList<QByteArray> fields;
    qsizetype line = 0;
};

// A fault of a CSV file: the line it lies on, what is wrong, and the failure number to report.
struct CsvError {
    qsizetype line = 0;
    QString what;
    int number = 0;
};

// Reads records of RFC 4180 CSV in UTF-8 from a device, a buffer at a time: fields separated by
// commas, a field in double quotes may hold commas, line breaks and doubled quotes; records end
// with CRLF, LF or a lone CR. A leading byte order mark is skipped. Memory stays bounded by the
// buffer and the largest record, whatever the size of the file.
class CsvReader {
public:
    // Reads from in, which must be open for reading and outlive the reader, bufferSize bytes (at
    // least three) at a time.
    explicit CsvReader(QIODevice* in, qsizetype bufferSize = 256 * 1024);

    // The next record into *record (its field list reused from the last call); false at the end.
    // Empty lines are passed over. Throws CsvError for a quote that is never closed, text after
    // a closing quote, a quote inside an unquoted field, bytes that are not UTF-8, or a device
    // that fails to read.
    bool Next(CsvRecord* record);
    // How many bytes of the device were consumed so far.
    qint64 Position() const { return m_consumed + m_pos; }

private:
    // Makes the next byte available; false at the end of the device.
    bool Available();
    // Skips empty lines; false at the end of the device.
    bool SkipEmptyLines();
    // Reads one field into field; returns what ends it: ',', '\n' for a line end, 0 at the end.
    char ReadField(QByteArray* field, qsizetype fieldNumber, qsizetype recordLine);
    void ReadPlain(QByteArray* field, qsizetype fieldNumber);
    void ReadQuoted(QByteArray* field, qsizetype recordLine);
    // Passes over the line end at the current position.
    void SkipLineEnd();
    [[noreturn]] void Fail(qsizetype line, const QString& what, int number) const;

    QIODevice* m_in;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qsizetype m_end = 0;
    qint64 m_consumed = 0; // bytes before the buffer's start
    qsizetype m_line = 1;
};
