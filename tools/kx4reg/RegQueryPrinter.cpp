#include "kx4reg/RegQueryPrinter.h"

#include "platform/registry/RegValueCodec.h"

namespace RegQueryPrinter {

QString TypeName(quint32 type) {
    switch (type) {
    case REG_NONE: return QStringLiteral("REG_NONE");
    case REG_SZ: return QStringLiteral("REG_SZ");
    case REG_EXPAND_SZ: return QStringLiteral("REG_EXPAND_SZ");
    case REG_BINARY: return QStringLiteral("REG_BINARY");
    case REG_DWORD: return QStringLiteral("REG_DWORD");
    case REG_DWORD_BIG_ENDIAN: return QStringLiteral("REG_DWORD_BIG_ENDIAN");
    case REG_LINK: return QStringLiteral("REG_LINK");
    case REG_MULTI_SZ: return QStringLiteral("REG_MULTI_SZ");
    case 8: return QStringLiteral("REG_RESOURCE_LIST");
    case 9: return QStringLiteral("REG_FULL_RESOURCE_DESCRIPTOR");
    case 10: return QStringLiteral("REG_RESOURCE_REQUIREMENTS_LIST");
    case REG_QWORD: return QStringLiteral("REG_QWORD");
    default: return QStringLiteral("0x%1").arg(type, 0, 16);
    }
}

QString DataText(const RegValue& value) {
    switch (value.type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return value.Text();
    case REG_MULTI_SZ: return RegValueCodec::DecodeMultiString(value.data).join(QStringLiteral("\\0"));
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: // stored little-endian too, as reg stores it
        if (value.data.size() == 4)
            return QStringLiteral("0x%1").arg(value.Number(), 0, 16);
        break;
    case REG_QWORD:
        if (value.data.size() == 8)
            return QStringLiteral("0x%1").arg(RegValueCodec::DecodeQword(value.data), 0, 16);
        break;
    default: break;
    }
    return QString::fromLatin1(value.data.toHex().toUpper());
}

QString ValueLine(const RegValue& value) {
    const QString name = value.name.isEmpty() ? QStringLiteral("(Default)") : value.name;
    return QStringLiteral("    %1    %2    %3").arg(name, TypeName(value.type), DataText(value));
}

} // namespace RegQueryPrinter
