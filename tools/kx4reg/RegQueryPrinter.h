#pragma once

#include "platform/registry/Registry.h"

#include <QString>

// The lines of "kx4reg query" in reg.exe's layout.
namespace RegQueryPrinter {

// "REG_SZ", "REG_DWORD", ...; "0x<n>" for a type without a name.
QString TypeName(quint32 type);
// The data as reg shows it: text, 0x-hex for numbers, hex digits for binary, \0 between strings.
QString DataText(const RegValue& value);
// "    name    REG_SZ    data", "(Default)" for the unnamed value.
QString ValueLine(const RegValue& value);

} // namespace RegQueryPrinter
