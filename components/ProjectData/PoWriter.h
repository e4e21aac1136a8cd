#pragma once

#include "ProjectData/TranslationWriter.h"

class QIODevice;

// gettext PO in UTF-8: a header (Language, X-Source-Language: the source language's tag, the
// fields msgfmt --check asks for), then per unit msgctxt = id, msgid = source, msgstr = target or
// "". A text with line breaks is written one line per string. An index without a source text
// keeps its msgctxt, so it stays an entry and is not taken for the header. A unit whose source
// and target differ in a leading or trailing line break, which msgfmt refuses, is marked fuzzy:
// its target is shown to the translator and not read back until the mark is removed.
class PoWriter : public TranslationWriter {
public:
    // Writes to out, which the caller keeps open while the writer lives.
    explicit PoWriter(QIODevice* out);

    void Begin(const QString& project, const QString& sourceLanguage, const QString& targetLanguage) override;
    void BeginGroup(const QString&) override {}
    void Unit(const QString& id, const QString& source, const QString& target) override;
    void EndGroup() override {}
    void End() override {}

private:
    void Write(const QByteArray& bytes);

    QIODevice* m_out;
};
