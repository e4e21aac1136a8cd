#pragma once

#include "platform/registry/RegFileWriter.h"
#include "platform/registry/Registry.h"

#include <QString>

// .reg files in and out of the registry of the current prefix.
namespace RegFile {

// Imports the file as one transaction over both hives: all of it or, on a malformed line, a
// refused write or a crash, none of it. Returns a RegError; *error says what failed and where
// ("file.reg: line 12: ..."). A [-KEY] or "name"=- for something missing is not an error.
long Import(const QString& path, QString* error);

// Writes root\key with its whole subtree to path (replacing the file atomically), from one
// consistent state of the registry. ERROR_FILE_NOT_FOUND when the key is missing.
long Export(HKEY root, const QString& key, const QString& path, RegFileWriter::Format format, QString* error);

} // namespace RegFile
