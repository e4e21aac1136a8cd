#pragma once

#include <QString>

// The two exchange formats for translators.
enum class TranslationFormat { Xliff, Po };

// One text to translate as a translator file carries it: the index named by id, its text in the
// source language and in the target language, both languages as BCP 47 tags.
struct TranslationUnit {
    // The index group's path and the index: "Alarme\Texte\12".
    QString id;
    QString source;
    QString target;
    // False when the file marks the target as not done (fuzzy, needs translation) or has none.
    bool translated = false;
    QString sourceLanguage;
    QString targetLanguage;
    // Where the unit begins in its file, for messages.
    qsizetype line = 0;
    bool operator==(const TranslationUnit&) const = default;
};

namespace TranslationUnits {

// The id of an index: its group's path, "\", the index in decimal.
QString Id(const QString& groupPath, qint64 index);

// Splits an id into the group path and the index; false for text that is no id (no "\", an
// empty level, an index that is not a plain decimal number).
bool SplitId(const QString& id, QString* groupPath, qint64* index);

// The format a file name's extension stands for: .xlf/.xliff, .po/.pot; false for others.
bool FormatOfFile(const QString& fileName, TranslationFormat* format);

} // namespace TranslationUnits
