#pragma once

#include <QString>
#include <functional>

class QWidget;

// The script runner: script files of line commands that copy, update, delete and rename index
// groups and add languages, carried out on a read side and a write side (two CBlindEditor).
// Failures are Failure exceptions; nothing here catches them except the menu handler.
namespace MScriptScan {

// Turns one line (without its line end) into a command word in lower case and up to two
// arguments; all three are empty for a line that holds no command. Throws Failure 9 when the
// line holds too few double quotes for its command; Command then holds the command word.
void ScanScriptLine(const QString& Line, QString& Command, QString& Param1, QString& Param2);

// Carries out one scanned command on the module's editors. Throws Failure 91 when the command
// needs a side that has no usable editor, 6 for an update flag outside -32768..32767, and
// passes on the failures of the editors.
void ExecuteScriptCommand(const QString& Command, const QString& Param1, const QString& Param2);

// Called once the file is settled with lineNumber 0 and an empty command, then before each
// command line runs with its line number (from 1) and command word; lineCount is the file's
// number of lines.
using ProgressHook = std::function<void(qint64 lineNumber, qint64 lineCount, const QString& command)>;

// Runs a script file from its first line to its last with UpdateFlag reset to 3, and releases
// both editors at the end, also when a line fails. FileName may be Windows-style; it maps
// through the prefix, and failures name it as given. The file's encoding is settled by reading
// it once before any line runs (ScriptDecoding): a refused file throws Failure 5 "<file>, line
// <n>, column <c>: ..." and runs nothing. Throws Failure 53 when the file cannot be opened; a
// failing line throws its failure's number with "<file>, line <n> (<command>): " before its
// description, and the rest of the file is not read.
void RunScriptFile(const QString& FileName, const ProgressHook& progress = {});

// The Extras menu: Index 0 asks for a script file in the program's folder and runs it with a
// progress window; a failure is shown in a message box owned by frame. Cancel runs nothing.
void mnuExtra_Click(int Index, QWidget* frame);

// Releases both editors (their components get Disconnect).
void ReleaseEditors();

// The module's state, for those who need to look at it.
qint16 CurrentUpdateFlag();
bool HasReadEditor();
bool HasWriteEditor();

} // namespace MScriptScan
