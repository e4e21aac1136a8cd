#pragma once

#include "studio/IEditorAddIn.h"

#include <QObject>
#include <memory>

class ProjectFile;

// The language editor component: index groups and languages of one project, driven by
// messages to the target "GLOBAL" after StartEditor with the main key "IDX0".
//
// Connect and Startup failures are not looked at by the caller, so the editor keeps their
// description and every later operation fails with it: a mistyped project shows at the first
// command. Each message is one transaction; a failing one leaves the project as it was.
class LanguageEditor : public QObject, public IEditorAddIn {
    Q_OBJECT
    Q_INTERFACES(IEditorAddIn)

public:
    LanguageEditor();
    ~LanguageEditor() override;

    // project: a ".kxs" path (Windows-style or local) or a registered project's name.
    bool Connect(const QString& project, const QString& reserved, QObject* application,
                 QObject* addInInstance) override;
    bool Startup() override;
    bool Disconnect() override;
    bool StartEditor(const QString& reserved1, const QString& mainKey, const QString& reserved2) override;
    // Commands "Copy", "Copynonh", "Paste", "Updategroup", "Delete", "AddLanguage", "Rename";
    // params is a QVariantList. "Copy" and "Copynonh" answer the copy (a QByteArray).
    bool Message(const QString& target, const QString& command, const QVariant& params,
                 QVariant* answer) override;
    QString LastError() const override;

private:
    bool Usable();
    bool Fail(const QString& why);
    QVariant Dispatch(const QString& command, const QVariantList& params);

    std::unique_ptr<ProjectFile> m_project;
    QString m_broken; // why Connect/Startup failed; every later call fails with it
    QString m_lastError;
    bool m_started = false;
};
