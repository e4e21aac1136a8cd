#pragma once

#include <QString>

// Writes a translator file as the export walks the project: the file's languages first, then
// the group tree with the units of each group, then the end. Groups nest: every BeginGroup is
// closed by an EndGroup, units belong to the innermost open group. Texts are written exactly as
// given; the caller has made sure that the format can carry them. Throws Failure when the
// device refuses the bytes.
class TranslationWriter {
public:
    virtual ~TranslationWriter() = default;

    // project: the project file's name; languages as BCP 47 tags.
    virtual void Begin(const QString& project, const QString& sourceLanguage,
                       const QString& targetLanguage) = 0;
    virtual void BeginGroup(const QString& name) = 0;
    // target empty: the index has no text in the target language.
    virtual void Unit(const QString& id, const QString& source, const QString& target) = 0;
    virtual void EndGroup() = 0;
    virtual void End() = 0;
};
