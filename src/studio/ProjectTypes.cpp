#include "studio/ProjectTypes.h"

#include "studio/Variant.h"

#include <QStringList>

namespace ProjectTypes {
namespace {

struct TypeName {
    qint32 code;
    const char* name;
};

// Compared in this order in both directions.
constexpr TypeName Types[] = {
    {Single, "Single"},
    {Server, "Server"},
    {Client, "Client"},
    {TerminalServer, "Terminal Server"},
    {TerminalClient, "Terminal Client"},
    {Group, "Group"},
    {KestrixX, "KestrixX"},
};

} // namespace

QVariant Convert(const QVariant& value) {
    if (Variant::IsNumeric(value)) {
        const double number = Variant::ToDouble(value);
        for (const TypeName& type : Types)
            if (number == type.code)
                return QString::fromLatin1(type.name);
        return QString();
    }
    const QString name = Variant::ToText(value);
    for (const TypeName& type : Types)
        if (name == QLatin1String(type.name))
            return qint32(type.code);
    return qint32(0);
}

qint32 CodeOf(const QString& storedType) {
    const QVariant converted = Convert(storedType);
    // A numeric type came back as a name: take that name's code.
    if (converted.metaType() == QMetaType::fromType<QString>()) {
        const QString name = converted.toString();
        return name.isEmpty() ? 0 : Convert(name).toInt();
    }
    return converted.toInt();
}

QStringList Names() {
    QStringList names;
    for (const TypeName& type : Types)
        names << QString::fromLatin1(type.name);
    return names;
}

namespace {
const QString ProjectFileExtension = QStringLiteral(".kxs");
} // namespace

QString FileExtension(qint32 code) { return code == Group ? QStringLiteral(".vbg") : ProjectFileExtension; }

bool NamesProjectFile(const QString& text) {
    return text.endsWith(ProjectFileExtension, Qt::CaseInsensitive);
}

QString RegisteredFile(const QString& path, const QString& name, qint32 code) {
    return path + u'\\' + name + FileExtension(code);
}

} // namespace ProjectTypes
