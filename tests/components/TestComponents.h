#pragma once

#include <QString>
#include <QStringList>

// Registers the test component plugins in the current prefix ($KX4_PREFIX) and reads what the
// recording editor logged. Every function answers whether it worked.
namespace TestComponents {

inline const QString EditorProgId = QStringLiteral("KXTestEditor.Connect");

// Full paths of the plugins as built.
QString EditorPlugin();
QString PlainPlugin();

// HKEY_CLASSES_ROOT\<progId>\InprocServer32, default value pluginFile.
bool RegisterClass(const QString& progId, const QString& pluginFile);
// "Editor" of ServerComponents\<component> under HKEY_LOCAL_MACHINE.
bool RegisterComponent(const QString& component, const QString& editorPrefix);
// Both classes of the editor plugin, by the plugin's file name alone (found beside the program),
// and "KXLanguage" served by the recording editor.
bool RegisterAll();

// The recording editor's log set to logFile (empty: no recording) and the failures to inject.
void Configure(const QString& logFile, const QStringList& failures = {});
QStringList ReadLog(const QString& logFile);

} // namespace TestComponents
