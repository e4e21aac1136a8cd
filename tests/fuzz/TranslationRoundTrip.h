#pragma once

#include "ProjectData/TranslationUnit.h"
#include "studio/Failure.h"

#include "FuzzCheck.h"

#include <QBuffer>

// The translator-file targets' oracle: units of one language pair, written by the same format's
// writer, read back as they were (a target as written or untranslated); refusals name the line.
namespace Fuzz {

template <typename Reader> bool ReadUnits(QByteArray bytes, QList<TranslationUnit>* units) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    Reader reader(&buffer);
    try {
        for (TranslationUnit unit; reader.Next(&unit);)
            units->append(unit);
    } catch (const Failure& failure) {
        Expect(failure.Description().startsWith("line "), "a refusal names the line", failure.Description());
        return false;
    }
    return true;
}

template <typename Reader, typename Writer> void ExpectRoundTrip(const QByteArray& input) {
    QList<TranslationUnit> units, again;
    if (!ReadUnits<Reader>(input, &units) || units.isEmpty())
        return;
    const TranslationUnit& first = units.first();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    Writer writer(&buffer);
    writer.Begin("fuzz.kxs", first.sourceLanguage, first.targetLanguage);
    for (const TranslationUnit& unit : units) {
        if (unit.sourceLanguage != first.sourceLanguage || unit.targetLanguage != first.targetLanguage)
            return; // one file of one language pair is what the writer makes
        writer.Unit(unit.id, unit.source, unit.translated ? unit.target : QString());
    }
    writer.End();
    const QString written = QString::fromUtf8(buffer.data());
    Expect(ReadUnits<Reader>(buffer.data(), &again) && again.size() == units.size(),
           "the written file reads back with every unit", written);
    for (qsizetype i = 0; i < units.size(); ++i) {
        const TranslationUnit &was = units.at(i), &is = again.at(i);
        Expect((!is.translated || (was.translated && !was.target.isEmpty() && is.target == was.target)) &&
                   is.id == was.id && is.source == was.source && is.sourceLanguage == was.sourceLanguage &&
                   is.targetLanguage == was.targetLanguage,
               "a unit reads back as written", QString("unit %1 of\n%2").arg(i + 1).arg(written));
    }
}

} // namespace Fuzz
