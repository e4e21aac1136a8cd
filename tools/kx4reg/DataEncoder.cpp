#include "kx4reg/DataEncoder.h"

#include "kx4reg/RegQueryPrinter.h"
#include "platform/registry/RegValueCodec.h"
#include "platform/registry/Registry.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>

namespace DataEncoder {

namespace {

bool AllHexDigits(const QString& text) {
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]*$"));
    return hex.match(text).hasMatch();
}

bool AllDecimalDigits(const QString& text) {
    static const QRegularExpression decimal(QStringLiteral("^[0-9]*$"));
    return decimal.match(text).hasMatch();
}

// reg's reading: parts split at the separator (\0 by default); one separator at the end only
// ends the list, "" is one zero and a lone separator one empty string; an empty part elsewhere
// is refused.
std::optional<QByteArray> MultiString(const QString& data, const std::optional<QString>& separator,
                                      QString* why) {
    if (separator && separator->size() != 1) {
        *why = QStringLiteral("the separator of /s must be one character");
        return std::nullopt;
    }
    if (data.isEmpty())
        return QByteArray(2, '\0');
    QStringList parts = separator ? data.split(separator->at(0)) : data.split(QStringLiteral("\\0"));
    if (parts.size() > 1 && parts.last().isEmpty())
        parts.removeLast();
    if (parts.size() > 1 && parts.contains(QString())) {
        *why = QStringLiteral("REG_MULTI_SZ data holds an empty string");
        return std::nullopt;
    }
    return RegValueCodec::EncodeMultiString(parts);
}

// Decimal, or hexadecimal after 0x; a REG_QWORD may be negative (two's complement), as reg
// takes it.
std::optional<quint64> ParseNumber(quint32 type, const QString& digits) {
    const bool negative = type == REG_QWORD && digits.startsWith(u'-');
    const QString body = negative ? digits.mid(1) : digits;
    const bool hex = !negative && body.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive);
    const QString number = hex ? body.mid(2) : body;
    if (number.isEmpty() || !(hex ? AllHexDigits(number) : AllDecimalDigits(number)))
        return std::nullopt;
    bool ok = false;
    const quint64 value = number.toULongLong(&ok, hex ? 16 : 10);
    if (!ok || (type != REG_QWORD && value > 0xffffffffull) || (negative && value > (1ull << 63)))
        return std::nullopt;
    return negative ? ~value + 1 : value;
}

std::optional<QByteArray> Number(quint32 type, const std::optional<QString>& data, QString* why) {
    // A REG_QWORD without /d is 0; the 32-bit types need their number.
    const QString digits = data.value_or(type == REG_QWORD ? QStringLiteral("0") : QString()).trimmed();
    const std::optional<quint64> number = ParseNumber(type, digits);
    if (!number) {
        *why =
            data ? QStringLiteral("\"%1\" is not a number for %2").arg(*data, RegQueryPrinter::TypeName(type))
                 : QStringLiteral("%1 needs its number in /d").arg(RegQueryPrinter::TypeName(type));
        return std::nullopt;
    }
    // REG_DWORD_BIG_ENDIAN too is stored little-endian, as reg stores it.
    return type == REG_QWORD ? RegValueCodec::EncodeQword(*number)
                             : RegValueCodec::EncodeDword(quint32(*number));
}

// Hex digits; an odd count has its first digit taken as a byte of its own, as reg reads it.
std::optional<QByteArray> Binary(const QString& data, QString* why) {
    const QString hex = data.trimmed();
    if (!AllHexDigits(hex)) {
        *why = QStringLiteral("\"%1\" is not a run of hex digits").arg(data);
        return std::nullopt;
    }
    return QByteArray::fromHex((hex.size() % 2 ? u'0' + hex : hex).toLatin1());
}

} // namespace

std::optional<quint32> ParseType(const QString& name) {
    static const QHash<QString, quint32> types{
        {QStringLiteral("REG_SZ"), REG_SZ},
        {QStringLiteral("REG_EXPAND_SZ"), REG_EXPAND_SZ},
        {QStringLiteral("REG_MULTI_SZ"), REG_MULTI_SZ},
        {QStringLiteral("REG_DWORD"), REG_DWORD},
        {QStringLiteral("REG_QWORD"), REG_QWORD},
        {QStringLiteral("REG_BINARY"), REG_BINARY},
        {QStringLiteral("REG_NONE"), REG_NONE},
        {QStringLiteral("REG_DWORD_BIG_ENDIAN"), REG_DWORD_BIG_ENDIAN},
        {QStringLiteral("REG_DWORD_LITTLE_ENDIAN"), REG_DWORD},
    };
    const auto it = types.constFind(name.toUpper());
    return it == types.cend() ? std::nullopt : std::optional<quint32>(*it);
}

std::optional<QByteArray> Encode(quint32 type, const std::optional<QString>& data,
                                 const std::optional<QString>& separator, QString* why) {
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_NONE: return EncodeRegString(data.value_or(QString()));
    case REG_MULTI_SZ: return MultiString(data.value_or(QString()), separator, why);
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
    case REG_QWORD: return Number(type, data, why);
    default: return Binary(data.value_or(QString()), why);
    }
}

} // namespace DataEncoder
