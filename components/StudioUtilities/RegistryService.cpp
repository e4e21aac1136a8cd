#include "StudioUtilities/RegistryService.h"

#include "platform/registry/RegErrorText.h"
#include "platform/registry/RegValueCodec.h"
#include "studio/Failure.h"
#include "studio/Variant.h"

namespace {

QString FullName(HKEY root, const QString& key, const QString& valueName = QString()) {
    QString name = RegistryStore::RootName(root) + QLatin1Char('\\') + key;
    if (!valueName.isNull())
        name +=
            QStringLiteral("\" value \"") + (valueName.isEmpty() ? QStringLiteral("(Default)") : valueName);
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// Registry failures keep the store's own error code as their number.
[[noreturn]] void Fail(long code, HKEY root, const QString& what, const QString& name) {
    throw Failure(int(code), what + QLatin1Char(' ') + name + QStringLiteral(": ") +
                                 RegistryStore::Describe(code, root));
}

QVariant FromRaw(const RegValue& value) {
    switch (value.type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return value.Text();
    case REG_DWORD: return qint32(value.Number());
    case REG_QWORD: return qint64(RegValueCodec::DecodeQword(value.data));
    case REG_MULTI_SZ: return RegValueCodec::DecodeMultiString(value.data);
    default: return value.data;
    }
}

} // namespace

QVariant RegistryService::GetValue(HKEY root, const QString& key, const QString& valueName,
                                   const QVariant& defaultValue) {
    RegValue value;
    const long rc = RegistryStore::QueryValue(root, key, valueName, &value);
    if (rc == ERROR_FILE_NOT_FOUND)
        return Variant::IsMissing(defaultValue) ? QVariant(QString()) : defaultValue;
    if (rc != ERROR_SUCCESS)
        Fail(rc, root, QStringLiteral("cannot read"), FullName(root, key, valueName));
    return FromRaw(value);
}

void RegistryService::SetValue(HKEY root, const QString& key, const QVariant& valueName,
                               const QVariant& value, int valueKind) {
    const QString name = Variant::ToText(valueName);
    RegValue raw;
    switch (valueKind) {
    case REG_SZ:
    case REG_EXPAND_SZ: raw = RegValue::String(name, Variant::ToText(value), quint32(valueKind)); break;
    case REG_DWORD: raw = RegValue::Dword(name, quint32(Variant::ToInt32(value))); break;
    default:
        throw Failure(Failure::InvalidCall, QStringLiteral("cannot write %1: value kind %2 is not supported")
                                                .arg(FullName(root, key, name))
                                                .arg(valueKind));
    }
    const long rc = RegistryStore::SetValue(root, key, raw);
    if (rc != ERROR_SUCCESS)
        Fail(rc, root, QStringLiteral("cannot write"), FullName(root, key, name));
}

QStringList RegistryService::EnumKeys(HKEY root, const QString& key) {
    QStringList names;
    const long rc = RegistryStore::EnumKeys(root, key, &names);
    if (rc == ERROR_FILE_NOT_FOUND)
        return {};
    if (rc != ERROR_SUCCESS)
        Fail(rc, root, QStringLiteral("cannot enumerate"), FullName(root, key));
    return names;
}

void RegistryService::DeleteKey(HKEY root, const QString& key) {
    const long rc = RegistryStore::DeleteTree(root, key);
    // Gone already (another process was quicker) is what the caller wanted.
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
        Fail(rc, root, QStringLiteral("cannot delete registry key"), FullName(root, key));
}

void RegistryService::DeleteKeys(HKEY root, const QString& parent, const QStringList& subkeys) {
    const long rc = RegistryStore::DeleteTrees(root, parent, subkeys);
    if (rc == ERROR_SUCCESS)
        return;
    constexpr qsizetype Named = 5;
    QStringList names;
    for (const QString& subkey : subkeys.mid(0, Named))
        names.append(FullName(root, parent + QLatin1Char('\\') + subkey));
    if (subkeys.size() > Named)
        names.append(QStringLiteral("%1 more").arg(subkeys.size() - Named));
    Fail(rc, root, QStringLiteral("cannot delete registry keys"), names.join(QStringLiteral(", ")));
}
