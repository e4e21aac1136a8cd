// The CSV reader and the import behind it on any bytes. The reader gives the same records, or
// the same refusal, whatever the size of its buffer. A file the reader refuses, the import
// refuses too, naming the line, and the project stays as it was. A file it takes, imported into
// an empty project and exported, gives CSV that the reader takes and that, imported into another
// empty project, exports the same again: the export-then-read round trip.
#include "ProjectData/CsvReader.h"
#include "ProjectData/ProjectCsv.h"
#include "ProjectData/ProjectFile.h"
#include "studio/Failure.h"

#include "FuzzCheck.h"

#include <QBuffer>
#include <QTemporaryDir>

namespace {

const QString Source = QStringLiteral("fuzz.csv");

// What the reader makes of csv: its records, then the refusal if there is one.
QList<QByteArray> Records(const QByteArray& csv, qsizetype bufferSize) {
    QBuffer device;
    device.setData(csv);
    device.open(QIODevice::ReadOnly);
    CsvReader reader(&device, bufferSize);
    QList<QByteArray> records;
    CsvRecord record;
    try {
        while (reader.Next(&record))
            records << QByteArray::number(record.line) + ':' + record.fields.join('|');
    } catch (const CsvError& error) {
        Fuzz::Expect(error.line >= 1 && !error.what.isEmpty(), "a refusal names the line and the fault");
        records << "refused at " + QByteArray::number(error.line) + ": " + error.what.toUtf8();
    }
    return records;
}

bool ReaderTakes(const QByteArray& csv) {
    const QList<QByteArray> records = Records(csv, 256 * 1024);
    // Buffers that end anywhere in a record, a quote or a line end.
    const QList<QByteArray> again = Records(csv, 1 + csv.size() % 7);
    Fuzz::Expect(again == records, "the buffer's size does not change the records",
                 QString::fromUtf8(records.join('\n') + "\nwith a small buffer:\n" + again.join('\n')));
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
        ProjectCsv::Import(*project, csv, Source);
    } catch (const Failure& failure) {
        Fuzz::Expect(failure.Description().startsWith(Source + QLatin1String(" line ")),
                     "a refused import names the file and line", failure.Description());
        Fuzz::Expect(Export(*project) == before, "a refused import changes nothing");
        return std::nullopt;
    }
    return Export(*project);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::Quiet();
    const QByteArray csv = Fuzz::Bytes(data, size);
    const bool taken = ReaderTakes(csv);
    // Projects live in a folder of their own, under TMPDIR (make fuzz puts it in memory).
    QTemporaryDir folder;
    Fuzz::Expect(folder.isValid(), "a temporary folder", folder.errorString());
    const std::optional<QByteArray> exported = ImportExport(folder.filePath(QStringLiteral("a.kxs")), csv);
    if (!taken) {
        Fuzz::Expect(!exported, "what the reader refuses, the import refuses");
        return 0;
    }
    if (!exported)
        return 0; // well-formed CSV that is no project's texts
    Fuzz::Expect(ReaderTakes(*exported), "the reader takes an export", QString::fromUtf8(*exported));
    const std::optional<QByteArray> again = ImportExport(folder.filePath(QStringLiteral("b.kxs")), *exported);
    Fuzz::Expect(again.has_value(), "an export imports", QString::fromUtf8(*exported));
    Fuzz::Expect(*again == *exported, "an export imported exports the same",
                 QString::fromUtf8(*exported) + QLatin1String("\nagain:\n") + QString::fromUtf8(*again));
    return 0;
}
