#include "TestEditorPlugin.h"

#include "RecordingEditor.h"

#include <memory>

QObject* TestEditorPlugin::CreateInstance(const QString& progId) {
    if (progId.compare(QLatin1String("KXTestEditor.Connect"), Qt::CaseInsensitive) == 0)
        return std::make_unique<RecordingEditor>().release();
    if (progId.compare(QLatin1String("KXTestNoAddIn.Connect"), Qt::CaseInsensitive) == 0) {
        auto object = std::make_unique<QObject>();
        object->setObjectName(QStringLiteral("NoAddIn"));
        return object.release();
    }
    return nullptr;
}
