// CSV reader and import: any buffer reads alike; refusals name the line, change nothing; exports round-trip.
#include "ProjectData/CsvReader.h"
#include "ProjectData/ProjectCsv.h"
#include "ProjectData/ProjectFile.h"
#include "studio/Failure.h"

#include "FuzzCheck.h"

#include <QBuffer>
#include <QTemporaryDir>

namespace {

// What the reader makes of csv with a buffer of bufferSize: its records, then the refusal if any.
QByteArrayList Records(QByteArray csv, qsizetype bufferSize) {
    QBuffer device(&csv);
    device.open(QIODevice::ReadOnly);
    CsvReader reader(&device, bufferSize);
    QByteArrayList records;
    try {
        for (CsvRecord record; reader.Next(&record);)
            records << QByteArray::number(record.line) + ':' + record.fields.join('|');
    } catch (const CsvError& error) {
        Fuzz::Expect(error.line >= 1 && !error.what.isEmpty(), "a refusal names the line and the fault");
        records << "refused at " + QByteArray::number(error.line) + ": " + error.what.toUtf8();
    }
    return records;
}

// Small buffers end anywhere in a record, a quote or a line end, and read the same.
void ExpectAnyBuffer(const QByteArray& csv) {
    const QByteArrayList records = Records(csv, 256 * 1024);
    for (const qsizetype size : {qsizetype(1), qsizetype(2), qsizetype(3), 1 + csv.size() % 7})
        Fuzz::Expect(Records(csv, size) == records, "the buffer's size does not change the records",
                     QString::fromUtf8(records.join('\n')));
}

// Imports csv into a new project at path; the export afterwards, or nothing when refused.
std::optional<QByteArray> ImportExport(const QString& path, const QByteArray& csv) {
    auto project = ProjectFile::Create(path, {});
    const auto exported = [&] {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        ProjectCsv::Export(*project, QString(), &buffer);
        return buffer.data();
    };
    const QByteArray before = exported();
    try {
        ProjectCsv::Import(*project, csv, QStringLiteral("fuzz.csv"));
    } catch (const Failure& failure) {
        Fuzz::Expect(failure.Description().startsWith(QLatin1String("fuzz.csv line ")) &&
                         exported() == before,
                     "a refused import names the file and line and changes nothing", failure.Description());
        return std::nullopt;
    }
    return exported();
}

} // namespace

KX4_FUZZ_TARGET(input) {
    ExpectAnyBuffer(input);
    QTemporaryDir folder; // under TMPDIR, which make fuzz puts in memory
    Fuzz::Expect(folder.isValid(), "a temporary folder", folder.errorString());
    const std::optional<QByteArray> exported = ImportExport(folder.filePath("a.kxs"), input);
    if (!exported)
        return; // refused, or well-formed CSV that is no project's texts
    const std::optional<QByteArray> again = ImportExport(folder.filePath("b.kxs"), *exported);
    Fuzz::Expect(again == exported, "an export imported exports the same",
                 QString::fromUtf8(*exported) + "\nagain:\n" + QString::fromUtf8(again.value_or("")));
}
