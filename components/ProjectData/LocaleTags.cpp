#include "ProjectData/LocaleTags.h"

#include "ProjectData/ProjectFile.h"

#include <QRegularExpression>

namespace {

struct LocaleTag {
    int lcid;
    const char* tag;
};

// The locale ids a studio installation offers. A tag appears once, so the table reads both ways.
constexpr LocaleTag Table[] = {
    {1025, "ar-SA"}, {1026, "bg-BG"}, {1027, "ca-ES"},      {1028, "zh-TW"},       {1029, "cs-CZ"},
    {1030, "da-DK"}, {1031, "de-DE"}, {1032, "el-GR"},      {1033, "en-US"},       {1035, "fi-FI"},
    {1036, "fr-FR"}, {1037, "he-IL"}, {1038, "hu-HU"},      {1039, "is-IS"},       {1040, "it-IT"},
    {1041, "ja-JP"}, {1042, "ko-KR"}, {1043, "nl-NL"},      {1044, "nb-NO"},       {1045, "pl-PL"},
    {1046, "pt-BR"}, {1048, "ro-RO"}, {1049, "ru-RU"},      {1050, "hr-HR"},       {1051, "sk-SK"},
    {1052, "sq-AL"}, {1053, "sv-SE"}, {1054, "th-TH"},      {1055, "tr-TR"},       {1057, "id-ID"},
    {1058, "uk-UA"}, {1059, "be-BY"}, {1060, "sl-SI"},      {1061, "et-EE"},       {1062, "lv-LV"},
    {1063, "lt-LT"}, {1065, "fa-IR"}, {1066, "vi-VN"},      {1071, "mk-MK"},       {1081, "hi-IN"},
    {1086, "ms-MY"}, {1087, "kk-KZ"}, {2052, "zh-CN"},      {2055, "de-CH"},       {2057, "en-GB"},
    {2058, "es-MX"}, {2060, "fr-BE"}, {2064, "it-CH"},      {2067, "nl-BE"},       {2070, "pt-PT"},
    {3076, "zh-HK"}, {3079, "de-AT"}, {3081, "en-AU"},      {3082, "es-ES"},       {3084, "fr-CA"},
    {4100, "zh-SG"}, {4103, "de-LU"}, {4105, "en-CA"},      {4108, "fr-CH"},       {5127, "de-LI"},
    {5129, "en-NZ"}, {6153, "en-IE"}, {9242, "sr-Latn-RS"}, {10266, "sr-Cyrl-RS"},
};

// Language, optional script, optional region, variants: the tags a translation tool writes.
const QRegularExpression TagPattern(QStringLiteral("^[a-z]{2,3}(-[a-z]{4})?(-(?:[a-z]{2}|[0-9]{3}))?"
                                                   "(-(?:[a-z0-9]{5,8}|[0-9][a-z0-9]{3}))*$"),
                                    QRegularExpression::CaseInsensitiveOption);

QString Canonical(const QString& text) {
    QString tag = text;
    tag.replace(QLatin1Char('_'), QLatin1Char('-'));
    if (!TagPattern.match(tag).hasMatch())
        return QString();
    QStringList parts = tag.toLower().split(QLatin1Char('-'));
    for (qsizetype i = 1; i < parts.size(); ++i) {
        if (parts[i].size() == 2)
            parts[i] = parts[i].toUpper();
        else if (parts[i].size() == 4 && parts[i].at(0).isLetter())
            parts[i][0] = parts[i].at(0).toUpper();
    }
    return parts.join(QLatin1Char('-'));
}

} // namespace

namespace LocaleTags {

QString TagOf(const QString& language) {
    bool number = false;
    const int lcid = language.toInt(&number);
    if (number && QString::number(lcid) == language) {
        for (const LocaleTag& entry : Table) {
            if (entry.lcid == lcid)
                return QString::fromLatin1(entry.tag);
        }
        return QString();
    }
    return Canonical(language);
}

QString LanguageNameFor(const QString& tag) {
    const QString canonical = Canonical(tag);
    for (const LocaleTag& entry : Table) {
        if (canonical == QLatin1String(entry.tag))
            return QString::number(entry.lcid);
    }
    return canonical;
}

QString ProjectLanguage(const ProjectFile& project, const QString& nameOrTag) {
    const QStringList names = project.Languages();
    for (const QString& name : names) {
        if (name.compare(nameOrTag, Qt::CaseInsensitive) == 0)
            return name;
    }
    const QString tag = TagOf(nameOrTag);
    for (const QString& name : names) {
        if (!tag.isEmpty() && TagOf(name) == tag)
            return name;
    }
    return QString();
}

} // namespace LocaleTags
