#pragma once

#include <QString>

// The inverse of Prefix::ToLocalPath for what we write into the registry.
namespace WindowsPath {

// A local path below a drive folder of the prefix ($KX4_PREFIX/drives/x) as "X:\..."; any
// other path unchanged. Symbolic links in either path are resolved before comparing.
QString FromLocal(const QString& localPath);

} // namespace WindowsPath
