#include "KXLanguage/LanguagePlugin.h"

#include "KXLanguage/LanguageEditor.h"

QObject* LanguagePlugin::CreateInstance(const QString& progId) {
    if (progId.compare(QLatin1String("KXLanguage.Connect"), Qt::CaseInsensitive) != 0)
        return nullptr;
    return new LanguageEditor;
}
