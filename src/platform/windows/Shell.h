#pragma once

#include <QString>

// Starting another program.
namespace Shell {

// Starts program (a Windows-style or local path, in double quotes or not) without waiting for
// it. False when the file is not an executable file or the start failed; the reason is logged.
bool StartDetached(const QString& program);

} // namespace Shell
