#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <QtPlugin>

// The add-in interface of the studio's editor components. Every operation returns a status
// (true: success); after a failing status LastError() describes the failure.
class IEditorAddIn {
public:
    virtual ~IEditorAddIn() = default;

    // The project path, an empty text, two null object references.
    virtual bool Connect(const QString& project, const QString& reserved, QObject* application,
                         QObject* addInInstance) = 0;
    virtual bool Startup() = 0;
    virtual bool Disconnect() = 0;
    // An empty text, the main key ("IDX0"), an empty text.
    virtual bool StartEditor(const QString& reserved1, const QString& mainKey, const QString& reserved2) = 0;
    // Target "GLOBAL", a command and its parameters (a QVariantList); *answer receives the reply.
    virtual bool Message(const QString& target, const QString& command, const QVariant& params,
                         QVariant* answer) = 0;
    // What the last failing operation failed on, in words for the user.
    virtual QString LastError() const = 0;
};
#define IEditorAddIn_iid "kx4.EditorAddIn/1"
Q_DECLARE_INTERFACE(IEditorAddIn, IEditorAddIn_iid)
