#pragma once

#include <QString>
#include <QStringList>

class ProjectFile;
class TranslationReader;

// Takes a translated file back into the project: each unit's target text goes to the index that
// its id names, in the target language.
namespace TranslationImport {

struct Summary {
    // Units read, and target texts that differed from the project's and were written.
    qsizetype units = 0;
    qsizetype changed = 0;
    // The project's name of the target language, and whether the import added it.
    QString language;
    bool languageAdded = false;
    // Ids of the units whose source text differs from the project's text in the source language.
    QStringList changedSources;
    bool operator==(const Summary&) const = default;
};

// Reads every unit of reader and applies it in one transaction. A unit finds its index by id
// alone. A target the file does not mark as translated (empty, fuzzy, needs translation) leaves
// the project's text. A unit whose source differs from the project's is listed in
// changedSources and its target written only when force is set. The target language is added
// (by locale id where the table knows one, else by tag) when the project lacks it and a text
// is written. Throws Failure "<fileName> line N: <what>; nothing imported" and changes nothing
// for malformed input, a unit whose group or index the project lacks, a unit read twice, a
// source language the project lacks, and languages that change within the file.
Summary Apply(ProjectFile& project, TranslationReader& reader, const QString& fileName, bool force);

// Apply on a file, read by the reader its extension names (.xlf/.xliff, .po/.pot).
Summary ApplyFile(ProjectFile& project, const QString& path, bool force);

} // namespace TranslationImport
