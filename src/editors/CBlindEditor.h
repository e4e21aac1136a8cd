#pragma once

#include "platform/core/ObjectFactory.h"

#include <QString>
#include <QVariant>

class IEditorAddIn;

// One instance of a studio editor component, used without a window: created from its registered
// component name, connected to one project, started with a main key and sent global messages.
// Releasing the wrapper (its destructor) disconnects the component when it holds the add-in.
class CBlindEditor {
public:
    // The number of the failure that carries a failing status of the component; its description
    // is the component's own (LastError()).

    CBlindEditor() = default;
    ~CBlindEditor();
    CBlindEditor(const CBlindEditor&) = delete;
    CBlindEditor& operator=(const CBlindEditor&) = delete;

    // Create(ComponentName), then connects to Project whatever that gave. Always empty and never
    // throws: a missing or unusable component shows only at the next Start.
    QVariant CreateBlindEditor(const QString& ComponentName, const QString& Project);

    // Creates the component that "Editor" of ServerComponents\<ComponentName> (HKLM) names, as
    // "<Editor>.Connect". True when that worked, and also when the name is empty or no "Editor"
    // is registered (no component then); false when reading or creating failed. Never throws.
    bool Create(const QString& ComponentName);

    // StartEditor("", mainkey, ""). Always empty. Throws Failure 91 when no add-in is held,
    // ComponentFailure when the component reports a failure.
    QVariant Start(const QString& mainkey);

    // The component's answer to Message("GLOBAL", Command, Params), unchanged. Throws as Start.
    QVariant GlobalMessage(const QString& Command, const QVariant& Params);

    bool HasComponent() const { return Component != nullptr; }
    bool HasAddIn() const { return AddIn != nullptr; }

private:
    bool ConnectComponent(const QString& Project);
    IEditorAddIn& RequireAddIn(const char* operation) const;
    [[noreturn]] void ThrowComponentFailure(const QString& operation) const;

    ObjectRef Component;
    // The same object as Component, seen through its add-in interface; the reference keeps it.
    ObjectRef AddInObject;
    IEditorAddIn* AddIn = nullptr;

    // What the wrapper was made for and why it has no usable component, for failure texts.
    QString Name;
    QString ProjectPath;
    QString Why;
    QString Cause; // the component's own words, when Connect or Startup failed
};
