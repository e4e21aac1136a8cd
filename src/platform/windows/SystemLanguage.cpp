#include "platform/windows/SystemLanguage.h"

#include <QLocale>

bool SystemLanguage::IsGerman() { return QLocale().language() == QLocale::German; }

QString SystemLanguage::Pick(const char* english, const char* german) {
    return QString::fromUtf8(IsGerman() ? german : english);
}
