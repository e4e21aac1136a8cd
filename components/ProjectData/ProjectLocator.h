#pragma once

#include <QString>

// Where a project named in a script or on a command line lives.
namespace ProjectLocator {

// A path ending in ".kxs" (any case; Windows-style paths map through the prefix) or the name
// of a project registered under HKLM "...\Kestrix\4.0\Projects", whose file is its "Path" +
// "\" + name + ".kxs", both as the utility library's Files().GetProjectPath resolves them.
// Returns the local path of an existing file; throws Failure 53 otherwise: `project "<text>"
// not found`, for a registration with the file looked for, or that the name is not registered.
QString Resolve(const QString& project);

} // namespace ProjectLocator
