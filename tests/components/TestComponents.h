#pragma once

#include "platform/core/ObjectFactory.h"
#include "platform/registry/Registry.h"
#include "studio/IStudioUtilities.h"

#include <QFileInfo>

// Registers the test component plugins in the current prefix ($KX4_PREFIX) and reads what the
// recording editor logged. Every function answers whether it worked.
namespace TestComponents {

inline const QString EditorProgId = QStringLiteral("KXTestEditor.Connect");

// HKEY_CLASSES_ROOT\<progId>\InprocServer32, default value pluginFile.
inline bool RegisterClass(const QString& progId, const QString& pluginFile) {
    return RegistryStore::SetValue(HKEY_CLASSES_ROOT, progId + "\\InprocServer32",
                                   RegValue::String("", pluginFile)) == ERROR_SUCCESS;
}

// "Editor" of ServerComponents\<component> under HKEY_LOCAL_MACHINE.
inline bool RegisterComponent(const QString& component, const QString& editorPrefix) {
    return RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::ServerComponents + '\\' + component,
                                   RegValue::String("Editor", editorPrefix)) == ERROR_SUCCESS;
}

// The object of progId as I, kept alive in keep; null, with the reason warned, when it cannot be made.
template <typename I> I* Create(const QString& progId, ObjectRef& keep) {
    QString why;
    keep = ObjectFactory::Create(progId, &why);
    I* object = ObjectFactory::Query<I>(keep);
    if (!object)
        qWarning() << "cannot create" << progId << why;
    return object;
}

// Both classes of the editor plugin, by the plugin's file name alone (found beside the program),
// and "KXLanguage" served by the recording editor.
inline bool RegisterAll() {
    const QString fileName = QFileInfo(KX4_TEST_EDITOR_PLUGIN).fileName();
    return RegisterClass(EditorProgId, fileName) && RegisterClass("KXTestNoAddIn.Connect", fileName) &&
           RegisterComponent("KXLanguage", "KXTestEditor");
}

// The recording editor's log set to logFile (empty: no recording) and the failures to inject.
inline void Configure(const QString& logFile, const QStringList& failures = {}) {
    qputenv("KX4_TESTEDITOR_LOG", logFile.toLocal8Bit());
    qputenv("KX4_TESTEDITOR_FAIL", failures.join('\n').toUtf8());
}

} // namespace TestComponents
