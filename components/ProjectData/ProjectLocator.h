#pragma once

#include <QString>

// Where a project named in a script or on a command line lives.
namespace ProjectLocator {

// A path ending in ".kxs" (any case; Windows-style paths map through the prefix) or the name
// of a project registered under HKLM "...\Kestrix\4.0\Projects", whose file is its "Path" +
// "\" + name + ".kxs". Returns the local path of an existing file; throws Failure 53 saying
// `project "<text>" not found` (with the file looked for, for a registration) otherwise.
QString Resolve(const QString& project);

} // namespace ProjectLocator
