// The CSV reader and the import behind it on any bytes: the same records or refusal with any
// buffer; what the reader refuses the import refuses, naming the line and changing nothing; what it
// takes, imported and exported, reads and imports into another project exporting the same.
#include "ProjectData/CsvReader.h"
#include "ProjectData/ProjectCsv.h"
#include "ProjectData/ProjectFile.h"
#include "studio/Failure.h"

#include "FuzzCheck.h"

#include <QBuffer>
#include <QTemporaryDir>

namespace {

// What the reader makes of csv: its records, then the refusal if there is one.
QByteArrayList Records(const QByteArray& csv, qsizetype bufferSize) {
    QBuffer device;
    device.setData(csv);
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

bool ReaderTakes(const QByteArray& csv) {
    // Small buffers end anywhere in a record, a quote or a line end.
    const QByteArrayList records = Records(csv, 256 * 1024);
    Fuzz::Expect(Records(csv, 1 + csv.size() % 7) == records, "the buffer's size does not change the records",
                 QString::fromUtf8(records.join('\n')));
    return records.isEmpty() || !records.last().startsWith("refused at ");
}

QByteArray Export(const ProjectFile& project) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ProjectCsv::Export(project, QString(), &buffer);
    return buffer.data();
}

// Imports csv into a new project at path; the export afterwards, or nothing when refused.
std::optional<QByteArray> ImportExport(const QString& path, const QByteArray& csv) {
    auto project = ProjectFile::Create(path, {});
    const QByteArray before = Export(*project);
    try {
        ProjectCsv::Import(*project, csv, QStringLiteral("fuzz.csv"));
    } catch (const Failure& failure) {
        Fuzz::Expect(failure.Description().startsWith(QLatin1String("fuzz.csv line ")),
                     "a refused import names the file and line", failure.Description());
        Fuzz::Expect(Export(*project) == before, "a refused import changes nothing");
        return std::nullopt;
    }
    return Export(*project);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray csv = Fuzz::Bytes(data, size);
    const bool taken = ReaderTakes(csv);
    QTemporaryDir folder; // under TMPDIR, which make fuzz puts in memory
    Fuzz::Expect(folder.isValid(), "a temporary folder", folder.errorString());
    const std::optional<QByteArray> exported = ImportExport(folder.filePath(QStringLiteral("a.kxs")), csv);
    Fuzz::Expect(taken || !exported, "what the reader refuses, the import refuses");
    if (!exported)
        return 0; // refused, or well-formed CSV that is no project's texts
    Fuzz::Expect(ReaderTakes(*exported), "the reader takes an export", QString::fromUtf8(*exported));
    const std::optional<QByteArray> again = ImportExport(folder.filePath(QStringLiteral("b.kxs")), *exported);
    Fuzz::Expect(again == exported, "an export imported exports the same",
                 QString::fromUtf8(*exported) + QLatin1String("\nagain:\n") +
                     QString::fromUtf8(again.value_or("")));
    return 0;
}
