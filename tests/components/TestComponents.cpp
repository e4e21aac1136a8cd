#include "TestComponents.h"

#include "platform/registry/Registry.h"
#include "studio/IStudioUtilities.h"

#include <QFile>
#include <QFileInfo>

namespace TestComponents {

QString EditorPlugin() { return KX4_TEST_EDITOR_PLUGIN; }

QString PlainPlugin() { return KX4_TEST_PLAIN_PLUGIN; }

bool RegisterClass(const QString& progId, const QString& pluginFile) {
    return RegistryStore::SetValue(HKEY_CLASSES_ROOT, progId + "\\InprocServer32",
                                   RegValue::String("", pluginFile)) == ERROR_SUCCESS;
}

bool RegisterComponent(const QString& component, const QString& editorPrefix) {
    return RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::ServerComponents + '\\' + component,
                                   RegValue::String("Editor", editorPrefix)) == ERROR_SUCCESS;
}

bool RegisterAll() {
    const QString fileName = QFileInfo(EditorPlugin()).fileName();
    return RegisterClass(EditorProgId, fileName) && RegisterClass("KXTestNoAddIn.Connect", fileName) &&
           RegisterComponent("KXLanguage", "KXTestEditor");
}

void Configure(const QString& logFile, const QStringList& failures) {
    qputenv("KX4_TESTEDITOR_LOG", logFile.toLocal8Bit());
    qputenv("KX4_TESTEDITOR_FAIL", failures.join('\n').toUtf8());
}

QStringList ReadLog(const QString& logFile) {
    QFile log(logFile);
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts)
                                         : QStringList();
}

} // namespace TestComponents
