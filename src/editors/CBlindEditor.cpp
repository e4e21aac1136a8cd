#include "editors/CBlindEditor.h"

#include "studio/CreateObject.h"
#include "studio/EditorContract.h"
#include "studio/Failure.h"
#include "studio/IEditorAddIn.h"
#include "studio/IStudioUtilities.h"
#include "studio/Variant.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcEditors, "kx4.editors", QtWarningMsg)

CBlindEditor::~CBlindEditor() {
    if (!AddIn)
        return;
    try {
        if (!AddIn->Disconnect())
            qCInfo(lcEditors) << "Disconnect of" << Name << "failed:" << AddIn->LastError();
    } catch (...) {
        qCWarning(lcEditors) << "Disconnect of" << Name << "threw";
    }
}

QVariant CBlindEditor::CreateBlindEditor(const QString& ComponentName, const QString& Project) {
    Create(ComponentName);
    ConnectComponent(Project);
    return {};
}

bool CBlindEditor::Create(const QString& ComponentName) {
    Name = ComponentName;
    Why.clear();
    Cause.clear();
    // Every step runs even when an earlier one failed; the result tells whether any did.
    bool failed = false;
    QString prefix;
    if (!ComponentName.isEmpty()) {
        const QString key = StudioKeys::ServerComponents + QLatin1Char('\\') + ComponentName;
        try {
            prefix = Variant::ToText(StudioUtilities().Registry().GetValue(
                HKEY_LOCAL_MACHINE, key, QStringLiteral("Editor"), QString(QLatin1String(""))));
            if (prefix.isEmpty())
                Why = QStringLiteral("no \"Editor\" value under HKEY_LOCAL_MACHINE\\%1").arg(key);
        } catch (const Failure& failure) {
            failed = true;
            Why = failure.Description();
        } catch (const std::exception& e) {
            failed = true;
            Why = QString::fromUtf8(e.what());
        }
    } else {
        Why = QStringLiteral("no component name given");
    }
    if (!prefix.isEmpty()) {
        try {
            Component = CreateObject(prefix + QStringLiteral(".Connect"));
        } catch (const Failure& f) {
            failed = true;
            Why = f.Description();
        }
    }
    if (failed) {
        Component.reset();
        qCInfo(lcEditors) << "Create" << ComponentName << "failed:" << Why;
        return false;
    }
    return true;
}

bool CBlindEditor::ConnectComponent(const QString& Project) {
    ProjectPath = Project;
    AddIn = ObjectFactory::Query<IEditorAddIn>(Component);
    AddInObject = AddIn ? Component : nullptr;
    if (!AddIn) {
        if (Component)
            Why = QStringLiteral("the component offers no editor add-in interface (%1)")
                      .arg(QLatin1String(IEditorAddIn_iid));
        return false;
    }
    // A component that cannot open the project reports it again at its first StartEditor;
    // the reason is kept so that failure can say what went wrong first.
    try {
        if (!AddIn->Connect(Project, QString(), nullptr, nullptr)) {
            Cause = AddIn->LastError();
            Why = QStringLiteral("connecting to \"%1\" failed: %2").arg(Project, Cause);
            qCInfo(lcEditors) << Why;
            return false;
        }
        if (!AddIn->Startup()) {
            Cause = AddIn->LastError();
            Why = QStringLiteral("starting up on \"%1\" failed: %2").arg(Project, Cause);
            qCInfo(lcEditors) << Why;
            return false;
        }
    } catch (...) {
        Why = QStringLiteral("connecting to \"%1\" threw").arg(Project);
        qCWarning(lcEditors) << Why;
        return false;
    }
    return true;
}

QVariant CBlindEditor::Start(const QString& mainkey) {
    IEditorAddIn& addIn = RequireAddIn("Start");
    if (!addIn.StartEditor(QString(), mainkey, QString()))
        ThrowComponentFailure(QStringLiteral("StartEditor \"%1\"").arg(mainkey));
    return {};
}

QVariant CBlindEditor::GlobalMessage(const QString& Command, const QVariant& Params) {
    IEditorAddIn& addIn = RequireAddIn("GlobalMessage");
    QVariant answer;
    if (!addIn.Message(EditorContract::GlobalTarget, Command, Params, &answer))
        ThrowComponentFailure(QStringLiteral("Message \"%1\"").arg(Command));
    return answer;
}

IEditorAddIn& CBlindEditor::RequireAddIn(const char* operation) const {
    if (AddIn)
        return *AddIn;
    QString text = QStringLiteral("object not set: %1 without an editor component \"%2\" for \"%3\"")
                       .arg(QLatin1String(operation), Name, ProjectPath);
    if (!Why.isEmpty())
        text += QStringLiteral(" (") + Why + QLatin1Char(')');
    throw Failure(Failure::ObjectNotSet, text);
}

void CBlindEditor::ThrowComponentFailure(const QString& operation) const {
    QString text = AddIn->LastError();
    if (text.isEmpty())
        text = QStringLiteral("the editor component \"%1\" reported a failure in %2 on \"%3\"")
                   .arg(Name, operation, ProjectPath);
    // An earlier failure to connect is usually the cause of this one. A component that repeats
    // it has said it already: then only the step it failed in is added.
    if (!Why.isEmpty())
        text = text == Cause ? Why : text + QStringLiteral(" (") + Why + QLatin1Char(')');
    throw Failure(Failure::ComponentFailure, text);
}
