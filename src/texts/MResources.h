#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

// The operations on the bilingual string table: language choice, filling, lookup and
// message formatting. The table is one process-wide collection, empty until InitLanguage.
namespace MResources {

// Reads "LCID" (StudioLcid), chooses German (1031) or English (1033) and fills the table. Any
// other locale id keeps the current language (German at start). The language becomes Qt's too:
// the default locale, and Qt's own translations (qtbase_de) for German, so standard buttons
// and dialogs speak it. A failure of the read or of its conversion reaches the caller.
void InitLanguage();

// Adds Texts[i] under the key "R" + (ResId + 10000 * i), i = 0 German, 1 English. A key that
// is already present keeps its first text; nothing fails towards the caller.
void AddResource(qint32 ResId, const QStringList& Texts);

// The text of ResId in the current language, or "Resource <ResId> not found". Never fails.
QString GetResString(qint32 ResId);

// The text of ResId with its placeholders "@n@" replaced by the text form of Args[n - 1] and
// the escapes \\, \@, \n and \t resolved, scanning once from left to right. A placeholder
// naming no argument, or an argument without a text form, is replaced by nothing. Never fails.
QString GetResMessage(qint32 ResId, const QVariantList& Args);

// The locale id read by the last InitLanguage (0 before), and the offset added at lookup.
qint32 CurrentLCID();
qint32 LanguageOffset();

// Empties the table and returns to the start state (German, no locale id). For tests only.
void ResetForTesting();

} // namespace MResources
