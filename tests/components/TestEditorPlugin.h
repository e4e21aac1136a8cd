#pragma once

#include "platform/core/ObjectFactory.h"

#include <QObject>

// The root of the test component plugin: "KXTestEditor.Connect" makes a RecordingEditor,
// "KXTestNoAddIn.Connect" an object without the editor add-in interface.
class TestEditorPlugin : public QObject, public IClassFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID IClassFactory_iid)
    Q_INTERFACES(IClassFactory)
public:
    QObject* CreateInstance(const QString& progId) override;
};
