#pragma once

#include "platform/core/ObjectFactory.h"

#include <QObject>

// The root of the explorer plugin: "KXProjectExplorer.Explorer" makes a ProjectExplorer.
class ProjectExplorerPlugin : public QObject, public IClassFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID IClassFactory_iid)
    Q_INTERFACES(IClassFactory)
public:
    QObject* CreateInstance(const QString& progId) override;
};
