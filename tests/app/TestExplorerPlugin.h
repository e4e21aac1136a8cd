#pragma once

#include "platform/core/ObjectFactory.h"

#include <QObject>

// The root of the recording explorer plugin: "KXProjectExplorer.Explorer" makes a
// RecordingExplorer, or, when $KX4_TESTEXPLORER_FAIL holds "Interface", an object without the
// explorer interface; so does "KXTestNotAnExplorer.Explorer".
class TestExplorerPlugin : public QObject, public IClassFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID IClassFactory_iid)
    Q_INTERFACES(IClassFactory)
public:
    QObject* CreateInstance(const QString& progId) override;
};
