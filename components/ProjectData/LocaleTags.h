#pragma once

#include <QString>

class ProjectFile;

// Languages in translator files are BCP 47 tags; a project names its languages by Windows locale
// id ("1031") or, where none fits, by the tag itself ("fr", "sr-Latn-RS").
namespace LocaleTags {

// The tag of a project language: a locale id the table knows ("1031" gives "de-DE"), or a name
// that is a tag itself, "_" read as "-". Canonical case ("sr-Latn-RS"); empty when neither.
QString TagOf(const QString& language);

// The name a language of this tag gets when it is added to a project: its locale id when the
// table knows the tag, else the tag in canonical case. Empty for text that is no tag.
QString LanguageNameFor(const QString& tag);

// The project's name of the language named nameOrTag (any case), else of the first language
// whose tag equals the tag of nameOrTag; empty when the project has none.
QString ProjectLanguage(const ProjectFile& project, const QString& nameOrTag);

} // namespace LocaleTags
