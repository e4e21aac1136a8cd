#pragma once

#include <QString>

// The explorer's own texts in English or German: English when the studio's locale id
// (StudioLcid) is 1033, else German, as the program decides.
namespace ExplorerTexts {

enum class Text { WindowTitle, Project, File, Languages, Group, Texts, Index, NoGroupSelected };

QString Get(Text text, bool english);

} // namespace ExplorerTexts
