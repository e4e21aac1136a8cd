#pragma once

#include "studio/IEditorAddIn.h"

#include <QHash>
#include <QObject>

// An editor component for the tests. With $KX4_TESTEDITOR_LOG set it appends every call with
// its arguments and their types to that file, one line per call:
//   <project>: Message(QString:"GLOBAL", QString:"Copy", QVariantList[QString:"<IndexGroups>", ...])
// ($KX4_TESTEDITOR_LOG unset: nothing is recorded, for benchmarks.) $KX4_TESTEDITOR_FAIL makes
// operations fail: lines "<operation>=<description>", the operation being "Connect", "Startup",
// "Disconnect", "StartEditor", "Message" or "Message <command>". Both are read at creation.
// StartEditor and Message fail while no project is connected. "Copy" and "Copynonh" answer a
// QByteArray "copy of <group> from <project>"; other commands answer an empty value.
class RecordingEditor : public QObject, public IEditorAddIn {
    Q_OBJECT
    Q_INTERFACES(IEditorAddIn)
public:
    RecordingEditor();

    bool Connect(const QString& project, const QString& reserved, QObject* application,
                 QObject* addInInstance) override;
    bool Startup() override;
    bool Disconnect() override;
    bool StartEditor(const QString& reserved1, const QString& mainKey, const QString& reserved2) override;
    bool Message(const QString& target, const QString& command, const QVariant& params,
                 QVariant* answer) override;
    QString LastError() const override;

    // A tagged value as the log writes it: "empty", "QString:"text"", "short:0", "QVariantList[...]".
    static QString Render(const QVariant& value);

private:
    // Records the call and answers whether it is to fail.
    bool Call(const QString& operation, const QString& failureKey, const QVariantList& arguments);

    QString LogFile;
    QHash<QString, QString> Failures;
    QString Project;
    bool Connected = false;
    QString Error;
};
