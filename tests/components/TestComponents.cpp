#include "TestComponents.h"

#include "platform/registry/Registry.h"
#include "studio/IStudioUtilities.h"

#include <QFile>
#include <QFileInfo>

namespace TestComponents {

QString EditorPlugin() { return QStringLiteral(KX4_TEST_EDITOR_PLUGIN); }

QString PlainPlugin() { return QStringLiteral(KX4_TEST_PLAIN_PLUGIN); }

bool RegisterClass(const QString& progId, const QString& pluginFile) {
    return RegistryStore::SetValue(HKEY_CLASSES_ROOT, progId + QStringLiteral("\\InprocServer32"),
                                   RegValue::String(QString(), pluginFile)) == ERROR_SUCCESS;
}

bool RegisterComponent(const QString& component, const QString& editorPrefix) {
    return RegistryStore::SetValue(HKEY_LOCAL_MACHINE,
                                   StudioKeys::ServerComponents + QLatin1Char('\\') + component,
                                   RegValue::String(QStringLiteral("Editor"), editorPrefix)) == ERROR_SUCCESS;
}

bool RegisterAll() {
    const QString fileName = QFileInfo(EditorPlugin()).fileName();
    return RegisterClass(EditorProgId, fileName) && RegisterClass(NoAddInProgId, fileName) &&
           RegisterComponent(QStringLiteral("KXLanguage"), QStringLiteral("KXTestEditor"));
}

void Configure(const QString& logFile, const QStringList& failures) {
    qputenv(LogVariable.toLatin1().constData(), logFile.toLocal8Bit());
    qputenv(FailVariable.toLatin1().constData(), failures.join(u'\n').toUtf8());
}

QStringList ReadLog(const QString& logFile) {
    QFile log(logFile);
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace TestComponents
