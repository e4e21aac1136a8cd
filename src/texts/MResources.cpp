#include "texts/MResources.h"

#include "studio/Failure.h"
#include "studio/IStudioUtilities.h"
#include "studio/Variant.h"
#include "texts/MResourceTable.h"

#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <limits>
#include <memory>
#include <optional>

namespace MResources {
namespace {

constexpr qint32 EnglishOffset = 10000;

QHash<QString, QString> ResourceCollection;
qint32 LanguageOffsetValue = 0;
qint32 CurrentLCIDValue = 0;

// "R" + (ResId + offset), or nothing when the sum leaves the 32-bit range.
std::optional<QString> KeyOf(qint32 ResId, qint64 offset) {
    const qint64 number = qint64(ResId) + offset;
    if (number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return QStringLiteral("R") + QString::number(number);
}

// The argument a placeholder names, in its text form; nothing for a number that names none.
QString ArgumentText(const QString& number, const QVariantList& Args) {
    try {
        const double n = Variant::RoundHalfEven(Variant::LenientNumber(number));
        if (n < 1 || n > Args.size())
            return QString();
        return Variant::ToText(Args.at(qsizetype(n) - 1));
    } catch (const Failure&) {
        return QString();
    }
}

QString EscapeReplacement(QChar c) {
    switch (c.unicode()) {
    case u'\\': return QStringLiteral("\\");
    case u'@': return QStringLiteral("@");
    case u'n': return QStringLiteral("\n");
    case u't': return QStringLiteral("\t");
    default: return QString();
    }
}

// Qt's own texts (standard buttons and dialogs) and the platform's, which follow the default
// locale, speak the table's language: one language on screen.
void SpeakToQt(bool english) {
    static std::unique_ptr<QTranslator> qtTexts;
    QLocale::setDefault(english ? QLocale(QLocale::English, QLocale::UnitedStates)
                                : QLocale(QLocale::German, QLocale::Germany));
    if (qtTexts) {
        QCoreApplication::removeTranslator(qtTexts.get());
        qtTexts.reset();
    }
    if (english)
        return; // Qt's texts are English as built
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator.get()))
        qtTexts = std::move(translator);
}

} // namespace

void InitLanguage() {
    CurrentLCIDValue = StudioLcid();
    if (CurrentLCIDValue == GermanLcid)
        LanguageOffsetValue = 0;
    else if (CurrentLCIDValue == EnglishLcid)
        LanguageOffsetValue = EnglishOffset;
    SpeakToQt(LanguageOffsetValue == EnglishOffset);
    MResourceTable::FillResourceTable();
}

void AddResource(qint32 ResId, const QStringList& Texts) {
    qint64 offset = 0;
    for (const QString& text : Texts) {
        if (const auto key = KeyOf(ResId, offset); key && !ResourceCollection.contains(*key))
            ResourceCollection.insert(*key, text);
        offset += EnglishOffset;
    }
}

QString GetResString(qint32 ResId) {
    if (const auto key = KeyOf(ResId, LanguageOffsetValue)) {
        const auto found = ResourceCollection.constFind(*key);
        if (found != ResourceCollection.constEnd())
            return *found;
    }
    return QStringLiteral("Resource ") + QString::number(ResId) + QStringLiteral(" not found");
}

QString GetResMessage(qint32 ResId, const QVariantList& Args) {
    QString text = GetResString(ResId);
    if (text.isEmpty())
        text = QStringLiteral("\\@") + QString::number(ResId);

    // One pass from left to right; whatever is inserted is never scanned again.
    qsizetype p = 0;
    for (;;) {
        const qsizetype a = text.indexOf(u'@', p);
        const qsizetype b = text.indexOf(u'\\', p);
        if (a < 0 && b < 0)
            break;
        if (b >= 0 && (a < 0 || b < a)) {
            const QString replacement = b + 1 < text.size() ? EscapeReplacement(text.at(b + 1)) : QString();
            // A defined escape replaces both characters; any other backslash alone is dropped.
            text = text.left(b) + replacement + text.mid(b + 1 + replacement.size());
            p = b + replacement.size();
            continue;
        }
        const qsizetype e = text.indexOf(u'@', a + 1);
        if (e < 0) {
            text.remove(a, 1);
            p = a;
            continue;
        }
        const QString replacement = ArgumentText(text.mid(a + 1, e - a - 1), Args);
        text = text.left(a) + replacement + text.mid(e + 1);
        p = a + replacement.size();
    }
    return text;
}

qint32 CurrentLCID() { return CurrentLCIDValue; }

qint32 LanguageOffset() { return LanguageOffsetValue; }

void ResetForTesting() {
    ResourceCollection.clear();
    LanguageOffsetValue = 0;
    CurrentLCIDValue = 0;
}

} // namespace MResources
