#pragma once

#include "ProjectData/TranslationReader.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

class QIODevice;

// Reads gettext PO in UTF-8 line by line. The header (the entry with an empty msgid and no
// msgctxt) must come before the first unit and name Language, X-Source-Language and the charset
// UTF-8. Every other entry is a unit: msgctxt the id, msgid the source, msgstr the target; an
// entry flagged fuzzy is not translated. Strings may be split over any number of lines and use
// gettext's escapes. Refused: an entry without msgctxt, plural forms, a string never closed or
// followed by other text, an unknown escape or keyword, text that is not UTF-8. Obsolete entries
// ("#~") and other comments are passed over.
class PoReader : public TranslationReader {
public:
    // Reads from in, which the caller keeps open while the reader lives.
    explicit PoReader(QIODevice* in);

    bool Next(TranslationUnit* unit) override;

private:
    struct Entry;

    bool ReadEntry(Entry* entry);
    void StartPart(Entry* entry, const QByteArray& keyword) const;
    bool ReadLine(QByteArray* line);
    void ReadHeader(const Entry& entry);
    QByteArray ReadString(const QByteArray& line, qsizetype from) const;
    QString Decode(const QByteArray& bytes, qsizetype line);
    [[noreturn]] void Fail(qsizetype line, const QString& what) const;

    QIODevice* m_in;
    QStringDecoder m_utf8;
    QByteArray m_pending;
    bool m_hasPending = false;
    qsizetype m_line = 0;
    QString m_sourceLanguage;
    QString m_targetLanguage;
};
