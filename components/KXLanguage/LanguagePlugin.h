#pragma once

#include "platform/core/ObjectFactory.h"

#include <QObject>

// The plugin's root object: makes the language editor for "KXLanguage.Connect".
class LanguagePlugin : public QObject, public IClassFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID IClassFactory_iid FILE "KXLanguage.json")
    Q_INTERFACES(IClassFactory)

public:
    // A new LanguageEditor for "KXLanguage.Connect" (any case), owned by the caller; else nullptr.
    QObject* CreateInstance(const QString& progId) override;
};
