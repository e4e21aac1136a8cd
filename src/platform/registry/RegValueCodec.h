#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The bytes of registry values as Windows stores them: text as UTF-16LE units, numbers
// little-endian, whatever the host's byte order. The one place that turns them into text and
// numbers and back (Registry.h's RegValue and EncodeRegString build on it).
namespace RegValueCodec {

// The UTF-16LE units of text, without a terminator.
QByteArray EncodeUtf16(const QString& text);
// Every UTF-16LE unit of data, zeros included; an odd last byte is dropped.
QString DecodeUtf16(const QByteArray& data);
// The text of a REG_SZ/REG_EXPAND_SZ value: the units up to the first zero.
QString DecodeString(const QByteArray& data);

// A REG_MULTI_SZ of parts: each part with its zero, then the zero that ends the list.
QByteArray EncodeMultiString(const QStringList& parts);
// The parts of a REG_MULTI_SZ: the units split at zeros, the empty strings at its end dropped
// (they are the terminators); a last part without its zero still counts.
QStringList DecodeMultiString(const QByteArray& data);

QByteArray EncodeDword(quint32 number);
QByteArray EncodeQword(quint64 number);
// The number in the first 4 bytes, little-endian; 0 when data is shorter.
quint32 DecodeDword(const QByteArray& data);
// The number in the first 8 bytes, little-endian; shorter data gives its bytes as the low ones.
quint64 DecodeQword(const QByteArray& data);

} // namespace RegValueCodec
