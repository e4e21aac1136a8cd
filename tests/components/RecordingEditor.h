#pragma once

#include "platform/core/ObjectFactory.h"
#include "studio/IEditorAddIn.h"

#include <QHash>
#include <QObject>

// An editor component for the tests. With $KX4_TESTEDITOR_LOG set it appends every call with
// its arguments and their types to that file, one line per call:
//   <project>: Message(QString:"GLOBAL", QString:"Copy", QVariantList[QString:"<IndexGroups>", ...])
// $KX4_TESTEDITOR_FAIL makes operations fail: lines "<operation>=<description>", the operation
// being "Connect", "Startup", "Disconnect", "StartEditor", "Message" or "Message <command>". Both
// are read at creation. StartEditor and Message fail while no project is connected. "Copy" and
// "Copynonh" answer a QByteArray "copy of <group> from <project>", other commands nothing.
class RecordingEditor : public QObject, public IEditorAddIn {
    Q_OBJECT
    Q_INTERFACES(IEditorAddIn)
public:
    RecordingEditor();
    bool Connect(const QString& project, const QString& reserved, QObject* application,
                 QObject* addInInstance) override;
    bool Startup() override { return Call("Startup", "Startup", {}); }
    bool Disconnect() override {
        Connected = false;
        return Call("Disconnect", "Disconnect", {});
    }
    bool StartEditor(const QString& reserved1, const QString& mainKey, const QString& reserved2) override {
        return Call("StartEditor", "StartEditor", {reserved1, mainKey, reserved2}, true);
    }
    bool Message(const QString& target, const QString& command, const QVariant& params,
                 QVariant* answer) override;
    QString LastError() const override { return Error; }

private:
    // Records the call and answers whether it is to go on (not to fail); one that needsProject
    // fails while none is connected.
    bool Call(const QString& operation, const QString& failureKey, const QVariantList& arguments,
              bool needsProject = false);

    QString LogFile;
    QHash<QString, QString> Failures;
    QString Project;
    bool Connected = false;
    QString Error;
};

// The root of the test component plugin: "KXTestEditor.Connect" makes a RecordingEditor,
// "KXTestNoAddIn.Connect" an object without the editor add-in interface.
class TestEditorPlugin : public QObject, public IClassFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID IClassFactory_iid)
    Q_INTERFACES(IClassFactory)
public:
    QObject* CreateInstance(const QString& progId) override;
};
