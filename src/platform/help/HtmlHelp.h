#pragma once

#include <QtGlobal>

class HelpWindow;

// The help system: compiled help files shown in help windows of their own.

// Opens the file (a Windows-style path, as given) at the topic of a context number (data).
inline constexpr quint32 HH_HELP_CONTEXT = 0x000F;
// Closes every help window of the process; file and data are not used.
inline constexpr quint32 HH_CLOSE_ALL = 0x0012;

// Carries out command. HH_HELP_CONTEXT returns the number of the help window that shows the
// topic (nonzero; a file already open reuses its window and keeps its number), or 0 when the
// file cannot be opened, which the help system reports in a message box naming the file.
// HH_CLOSE_ALL and unknown commands return 0. hwndCaller is accepted and not used: help windows
// stand on their own.
qint32 HtmlHelpA(qint32 hwndCaller, const char* file, quint32 command, quintptr data);

namespace HtmlHelp {

// The open help window of that number, or nullptr.
HelpWindow* Window(qint32 id);
// How many help windows are open.
int WindowCount();

} // namespace HtmlHelp
