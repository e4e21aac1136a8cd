#pragma once

#include "platform/registry/Registry.h"

#include <QByteArray>
#include <QList>
#include <QString>

// One line's effect in a .reg file.
struct RegFileEntry {
    enum class Kind { Key, DeleteKey, Value, DeleteValue };
    Kind kind = Kind::Key;
    HKEY root = 0;
    QString key;    // below the root, as written
    RegValue value; // Value: name, type, data; DeleteValue: name only
    int line = 0;   // where it stands in the file, from 1
    bool operator==(const RegFileEntry&) const = default;
};
Q_DECLARE_TYPEINFO(RegFileEntry, Q_RELOCATABLE_TYPE);

// Reads the .reg formats as reg reads them: "REGEDIT4" (strings and hex(1)/(2)/(7) data in the
// ANSI code page, UTF-8 here), "Windows Registry Editor Version 5.00" (those as UTF-16LE) and the
// Windows 3.1 "REGEDIT" (lines "HKEY_CLASSES_ROOT\key = text"). The file may be UTF-8, with or
// without its mark, or UTF-16LE with its mark; the header is its first line. A ;comment may
// follow data, hex data may go on over lines ending in ",\" with blank and ;comment lines
// between them. Where reg skips a malformed line, the whole file is refused here.
class RegFileReader {
public:
    // The file's entries in order; false with *error "line N: what" on the first malformed line,
    // naming the line that holds the fault (inside continued hex data too) and quoting it.
    static bool Parse(const QByteArray& bytes, QList<RegFileEntry>* entries, QString* error);
};
