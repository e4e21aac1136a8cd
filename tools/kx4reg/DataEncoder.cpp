#include "kx4reg/DataEncoder.h"

#include "kx4reg/RegQueryPrinter.h"
#include "platform/registry/RegValueCodec.h"
#include "platform/registry/Registry.h"

#include <QHash>
#include <QStringList>

namespace DataEncoder {

namespace {

std::optional<QByteArray> MultiString(const QString& data, const std::optional<QString>& separator,
                                      QString* why) {
    if (separator && separator->size() != 1) {
        *why = QStringLiteral("the separator of /s must be one character");
        return std::nullopt;
    }
    const QStringList parts = data.isEmpty() ? QStringList()
                              : separator    ? data.split(separator->at(0))
                                             : data.split(QStringLiteral("\\0"));
    if (parts.contains(QString())) {
        *why = QStringLiteral("REG_MULTI_SZ data holds an empty string");
        return std::nullopt;
    }
    return RegValueCodec::EncodeMultiString(parts);
}

std::optional<QByteArray> Number(quint32 type, const QString& data, QString* why) {
    bool ok = false;
    const QString digits = data.trimmed();
    const quint64 number = digits.isEmpty() ? (ok = true, 0)
                           : digits.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)
                               ? digits.mid(2).toULongLong(&ok, 16)
                               : digits.toULongLong(&ok, 10);
    if (ok && digits.startsWith(u'+'))
        ok = false;
    if (!ok || (type != REG_QWORD && number > 0xffffffffull)) {
        *why = QStringLiteral("\"%1\" is not a number for %2").arg(data, RegQueryPrinter::TypeName(type));
        return std::nullopt;
    }
    if (type == REG_QWORD)
        return RegValueCodec::EncodeQword(number);
    return type == REG_DWORD ? RegValueCodec::EncodeDword(quint32(number))
                             : RegValueCodec::EncodeDwordBigEndian(quint32(number));
}

std::optional<QByteArray> Binary(const QString& data, QString* why) {
    const QByteArray hex = data.trimmed().toLatin1();
    const QByteArray bytes = QByteArray::fromHex(hex);
    if (hex.size() % 2 || bytes.size() * 2 != hex.size() || bytes.toHex() != hex.toLower()) {
        *why = QStringLiteral("\"%1\" is not an even number of hex digits").arg(data);
        return std::nullopt;
    }
    return bytes;
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

std::optional<QByteArray> Encode(quint32 type, const QString& data, const std::optional<QString>& separator,
                                 QString* why) {
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return EncodeRegString(data);
    case REG_MULTI_SZ: return MultiString(data, separator, why);
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
    case REG_QWORD: return Number(type, data, why);
    default: return Binary(data, why);
    }
}

} // namespace DataEncoder
