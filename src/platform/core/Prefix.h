#pragma once

#include <QString>

// The prefix folder that holds the machine's state, like a Wine prefix.
namespace Prefix {

// $KX4_PREFIX, else $XDG_DATA_HOME/kx4 (~/.local/share/kx4). Read at every call, so a test
// that changes the environment gets its own prefix.
QString Path();

// A Windows-style path to a local one: "\" becomes "/", and a drive "X:" becomes the folder
// $KX4_PREFIX/drives/x when that exists. Plain Linux paths pass unchanged.
QString ToLocalPath(const QString& windowsPath);

// As ToLocalPath, then each component that does not exist as written is matched without
// regard to case against the folder's entries ("HelpFiles\Toolbox.chm" finds helpfiles/toolbox.chm).
QString ToLocalPathNoCase(const QString& windowsPath);

} // namespace Prefix
