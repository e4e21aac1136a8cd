#pragma once

#include "ProjectData/TranslationUnit.h"

#include <QString>

class ProjectFile;
class QIODevice;

// A project's texts for translators: one unit per index that has a text in the source or the
// target language, groups in tree order (parents before their subgroups, siblings in their
// order), indexes ascending. An index with a target text but no source text is a unit with an
// empty source; an index with neither is left out.
namespace TranslationExport {

struct Options {
    TranslationFormat format = TranslationFormat::Xliff;
    // Languages by the project's name ("1031") or by BCP 47 tag ("de-DE"). The source must be a
    // language of the project; the target need not be (every unit is then untranslated).
    QString source;
    QString target;
    // The group to export with its subgroups; empty for the whole project.
    QString groupPath;
};

struct Summary {
    qsizetype units = 0;
    qsizetype untranslated = 0;
    bool operator==(const Summary&) const = default;
};

// Writes the file to out in one read snapshot of the project. Throws Failure before writing for
// an unknown group, a source language the project lacks, a language without a BCP 47 tag, or
// the same language on both sides; and while writing for a text the formats cannot carry (not
// UTF-8, or a control character other than tab, line feed and carriage return), naming the group
// and index. out then holds part of the file: write through a QSaveFile.
Summary Write(const ProjectFile& project, const Options& options, QIODevice* out);

} // namespace TranslationExport
