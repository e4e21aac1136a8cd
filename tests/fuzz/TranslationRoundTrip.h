#pragma once

#include "ProjectData/TranslationUnit.h"
#include "studio/Failure.h"

#include "FuzzCheck.h"

#include <QBuffer>
#include <QList>

// The oracle of the translator-file targets: a reader gives units or a Failure "line N: ...";
// the units, written by the same format's writer, read back as they were (a unit written with
// a target reads back with it or as not translated, one written without reads back untranslated).
namespace Fuzz {

template <typename Reader> bool ReadUnits(const QByteArray& bytes, QList<TranslationUnit>* units) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    Reader reader(&buffer);
    try {
        TranslationUnit unit;
        while (reader.Next(&unit))
            units->append(unit);
    } catch (const Failure& failure) {
        Expect(failure.Description().startsWith(QLatin1String("line ")), "a refusal names the line",
               failure.Description());
        return false;
    }
    return true;
}

template <typename Writer> QByteArray WriteUnits(const QList<TranslationUnit>& units) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    Writer writer(&buffer);
    writer.Begin(QStringLiteral("fuzz.kxs"), units.first().sourceLanguage, units.first().targetLanguage);
    for (const TranslationUnit& unit : units)
        writer.Unit(unit.id, unit.source, unit.translated ? unit.target : QString());
    writer.End();
    return buffer.data();
}

template <typename Reader, typename Writer> void ExpectRoundTrip(const QByteArray& input) {
    Quiet();
    QList<TranslationUnit> units;
    if (!ReadUnits<Reader>(input, &units) || units.isEmpty())
        return;
    // One file of one language pair is what the writer makes.
    for (const TranslationUnit& unit : units) {
        if (unit.sourceLanguage != units.first().sourceLanguage ||
            unit.targetLanguage != units.first().targetLanguage)
            return;
    }
    const QByteArray written = WriteUnits<Writer>(units);
    QList<TranslationUnit> again;
    Expect(ReadUnits<Reader>(written, &again), "the written file reads back", QString::fromUtf8(written));
    Expect(again.size() == units.size(), "the written file holds every unit", QString::fromUtf8(written));
    for (qsizetype i = 0; i < units.size(); ++i) {
        const TranslationUnit& was = units.at(i);
        const TranslationUnit& is = again.at(i);
        const QString where = QStringLiteral("unit %1 of\n%2").arg(i + 1).arg(QString::fromUtf8(written));
        Expect(is.id == was.id && is.source == was.source, "id and source read back", where);
        Expect(is.sourceLanguage == was.sourceLanguage && is.targetLanguage == was.targetLanguage,
               "the languages read back", where);
        if (is.translated)
            Expect(was.translated && is.target == was.target, "a translated target reads back as written",
                   where);
        if (!was.translated || was.target.isEmpty())
            Expect(!is.translated, "a unit without target reads back untranslated", where);
    }
}

} // namespace Fuzz
