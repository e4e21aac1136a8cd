#pragma once

#include <QString>

// The program's compiled help file: found at start, opened at a topic from the help menu, and
// every help window closed when the frame unloads.
namespace MHelp {

// AppHelpFile := "Common" under HKLM "SOFTWARE\HALVERN GmbH" (read through the utility library,
// no default) + "\HelpFiles\Toolbox.chm", joined as they stand. The file is not tested. A failing
// registry read throws Failure to the caller.
void InitHelp();
// Opens AppHelpFile at the topic ContextId, in a help window that stays open on its own. A
// missing or broken file is the help system's to report.
void ShowHelp(qint32 hWnd, qint32 ContextId);
// Closes every help window of the process.
void CloseHelp();

// The help file's path as InitHelp set it; empty before.
QString AppHelpFile();

} // namespace MHelp
