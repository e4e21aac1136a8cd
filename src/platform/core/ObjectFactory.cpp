#include "platform/core/ObjectFactory.h"
#include "platform/core/PlatformLog.h"

#include "platform/core/Prefix.h"
#include "platform/registry/RegErrorText.h"
#include "platform/registry/Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPluginLoader>

namespace ObjectFactory {

QString ComponentDir() {
    const QString appDir =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    return QDir::cleanPath(appDir + QStringLiteral("/../lib/kx4toolbox"));
}

namespace {

QString PluginFile(const QString& serverKey, QString* why) {
    RegValue value;
    const long rc = RegistryStore::QueryValue(HKEY_CLASSES_ROOT, serverKey, QString(), &value);
    if (rc == ERROR_FILE_NOT_FOUND) {
        *why = QStringLiteral("not registered (no HKEY_CLASSES_ROOT\\%1)").arg(serverKey);
        return {};
    }
    if (rc != ERROR_SUCCESS) {
        *why = QStringLiteral("cannot read HKEY_CLASSES_ROOT\\%1: %2")
                   .arg(serverKey, RegistryStore::Describe(rc, HKEY_CLASSES_ROOT));
        return {};
    }
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) {
        *why = QStringLiteral("HKEY_CLASSES_ROOT\\%1 does not name a plugin file (its default value is "
                              "not a string)")
                   .arg(serverKey);
        return {};
    }
    const QString written = value.Text().trimmed();
    if (written.isEmpty()) {
        *why = QStringLiteral("HKEY_CLASSES_ROOT\\%1 names no plugin file").arg(serverKey);
        return {};
    }
    const QString local = Prefix::ToLocalPath(written);
    // Relative plugin paths are relative to the component folder.
    const QString file =
        QDir::isAbsolutePath(local) ? QDir::cleanPath(local) : QDir(ComponentDir()).filePath(local);
    // Registrations written on Windows do not care about case; the file system here does.
    return Prefix::ToLocalPathNoCase(file);
}

} // namespace

ObjectRef Create(const QString& progId, QString* why) {
    QString reason;
    if (!why)
        why = &reason;
    why->clear();

    if (progId.trimmed().isEmpty()) {
        *why = QStringLiteral("no programmatic identifier given");
        return nullptr;
    }
    const QString serverKey = progId + QStringLiteral("\\InprocServer32");
    const QString file = PluginFile(serverKey, why);
    if (file.isEmpty())
        return nullptr;
    if (!QFileInfo(file).isFile()) {
        *why = QStringLiteral("plugin file \"%1\" not found (named by HKEY_CLASSES_ROOT\\%2)")
                   .arg(file, serverKey);
        return nullptr;
    }

    // The deleter of every object keeps this loader; the plugin's code must stay mapped while
    // one of its objects lives. The library itself is never unloaded: texts, answers and
    // meta types the plugin handed out may outlive its objects (a failure's description on its
    // way up, for one), and unmapping them would leave dangling data behind.
    auto loader = std::make_shared<QPluginLoader>(file);
    if (!loader->load()) {
        *why = QStringLiteral("\"%1\" is not a component plugin: %2").arg(file, loader->errorString());
        qCInfo(lcObjectFactory) << progId << *why;
        return nullptr;
    }
    auto* factory = qobject_cast<IClassFactory*>(loader->instance());
    if (!factory) {
        *why = QStringLiteral("plugin \"%1\" offers no class factory (%2)")
                   .arg(file, QString::fromLatin1(IClassFactory_iid));
        return nullptr;
    }
    QObject* object = factory->CreateInstance(progId);
    if (!object) {
        *why = QStringLiteral("plugin \"%1\" has no class \"%2\"").arg(file, progId);
        return nullptr;
    }
    // The caller owns the object now; a Qt parent would delete it behind our back.
    object->setParent(nullptr);
    return ObjectRef(object, [loader](QObject* o) { delete o; });
}

} // namespace ObjectFactory
