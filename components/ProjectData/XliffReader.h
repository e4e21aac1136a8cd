#pragma once

#include "ProjectData/TranslationReader.h"

#include <QString>
#include <QXmlStreamReader>

class QIODevice;

// Reads XLIFF 1.2 (and 1.1) as a stream. A unit is a <trans-unit> anywhere inside a <file>, with
// its id, its <source> and its optional <target>; groups, notes, alternatives and elements of
// other namespaces are passed over. Text inside <g> and <mrk> counts as text; any other inline
// element is refused, as are a <file> without both languages, a unit without id or <source>,
// and XML that is not well-formed. A target whose state is "new" or "needs-translation" is not
// translated.
class XliffReader : public TranslationReader {
public:
    // Reads from in, which the caller keeps open while the reader lives.
    explicit XliffReader(QIODevice* in);

    bool Next(TranslationUnit* unit) override;

private:
    void ReadRoot();
    void ReadFile();
    void ReadUnit(TranslationUnit* unit);
    QString ReadText(const QString& id, const QString& element);
    bool InXliff() const;
    [[noreturn]] void Fail(const QString& what) const;

    QXmlStreamReader m_xml;
    QString m_namespace;
    QString m_sourceLanguage;
    QString m_targetLanguage;
};
