#pragma once

#include <QString>

// The explorer's own texts in the studio's language, which it reads from "LCID" under
// HKEY_LOCAL_MACHINE "Software\HALVERN GmbH\Kestrix\4.0" itself: 1033 is English, anything
// else (or nothing) German, as the program decides.
namespace ExplorerTexts {

enum class Text { WindowTitle, Project, File, Languages, Group, Texts, Index, NoGroupSelected };

// Reads "LCID" now.
bool IsEnglish();
QString Get(Text text, bool english);

} // namespace ExplorerTexts
