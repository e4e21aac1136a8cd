#pragma once

#include <QString>

// The language of the platform's own texts (the help viewer's buttons and complaints): German
// when the locale is German, else English, as the system's own dialogs would speak.
namespace SystemLanguage {

bool IsGerman();
// german when the locale is German, else english; both UTF-8.
QString Pick(const char* english, const char* german);

} // namespace SystemLanguage
