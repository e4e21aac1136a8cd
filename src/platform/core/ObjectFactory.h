#pragma once

#include <QObject>
#include <QString>
#include <QtPlugin>
#include <memory>

// Object creation by programmatic identifier. A component plugin's root object implements
// IClassFactory; HKEY_CLASSES_ROOT\<ProgID>\InprocServer32 (default value) names the plugin file.
class IClassFactory {
public:
    virtual ~IClassFactory() = default;
    // A new object for progId, owned by the caller; nullptr when the plugin has no such class.
    virtual QObject* CreateInstance(const QString& progId) = 0;
};
#define IClassFactory_iid "kx4.ClassFactory/1"
Q_DECLARE_INTERFACE(IClassFactory, IClassFactory_iid)

// A created object. The plugin that made it stays loaded while any ObjectRef to it lives.
using ObjectRef = std::shared_ptr<QObject>;

namespace ObjectFactory {

// The folder of the program's components and helper programs: lib/kx4toolbox beside the running
// program's bin folder (the working folder's when there is no application object).
QString ComponentDir();

// The object, or null with *why saying what failed (not registered, file missing, not a
// plugin, no such class), naming the identifier.
ObjectRef Create(const QString& progId, QString* why);

// Asking an object for an interface; nullptr when it does not offer it.
template <class Interface> Interface* Query(const ObjectRef& object) {
    return object ? qobject_cast<Interface*>(object.get()) : nullptr;
}

} // namespace ObjectFactory

Q_DECLARE_METATYPE(ObjectRef)
