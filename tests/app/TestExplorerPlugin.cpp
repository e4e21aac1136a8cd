#include "TestExplorerPlugin.h"

#include "RecordingExplorer.h"

#include <memory>

QObject* TestExplorerPlugin::CreateInstance(const QString& progId) {
    if (progId.compare(QLatin1String("KXProjectExplorer.Explorer"), Qt::CaseInsensitive) == 0) {
        if (qEnvironmentVariable("KX4_TESTEXPLORER_FAIL").contains(QLatin1String("Interface")))
            return std::make_unique<QObject>().release();
        return std::make_unique<RecordingExplorer>().release();
    }
    if (progId.compare(QLatin1String("KXTestNotAnExplorer.Explorer"), Qt::CaseInsensitive) == 0)
        return std::make_unique<QObject>().release();
    return nullptr;
}
