#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The data of "kx4reg add" in the bytes the store keeps.
namespace DataEncoder {

// The type named by /t: "REG_SZ", "reg_dword", ...; empty when unknown.
std::optional<quint32> ParseType(const QString& name);
// The bytes of /d DATA (absent without /d) for a value of type, as reg stores them, separator
// being /s; empty (with *why) when invalid.
std::optional<QByteArray> Encode(quint32 type, const std::optional<QString>& data,
                                 const std::optional<QString>& separator, QString* why);

} // namespace DataEncoder
