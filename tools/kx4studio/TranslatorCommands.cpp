#include "kx4studio/TranslatorCommands.h"

#include "ProjectData/ProjectCsv.h"
#include "ProjectData/ProjectFile.h"
#include "ProjectData/ProjectLocator.h"
#include "ProjectData/TextStatistics.h"
#include "ProjectData/TranslationExport.h"
#include "ProjectData/TranslationImport.h"
#include "ProjectData/TranslationUnit.h"
#include "kx4studio/CommandOutput.h"
#include "kx4studio/ProjectCommands.h"
#include "kx4studio/ToolArguments.h"
#include "studio/Failure.h"

#include <QSaveFile>
#include <QTextStream>

namespace TranslatorCommands {

namespace {

Failure Invalid(const QString& why) { return Failure(Failure::InvalidCall, why); }

// Runs write on OUT, replacing the file only once all of it is written.
template <typename Write> void WriteFile(const QString& path, Write write) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Failure(Failure::PathAccessError,
                      QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    write(&file);
    if (!file.commit())
        throw Failure(Failure::DeviceIOError,
                      QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
}

void ExportCsv(const ToolArguments& args, QTextStream& out, const ProjectCsv::Progress& progress) {
    if (args.Has(QStringLiteral("source")) || args.Has(QStringLiteral("target")))
        throw Invalid(QStringLiteral("--source and --target are for --format xliff and po"));
    if (!args.Has(QStringLiteral("o"))) {
        ProjectCommands::Export(args, out, progress);
        return;
    }
    const ProjectFile project(ProjectLocator::Resolve(args.Positional(0)), ProjectFile::Access::Read);
    WriteFile(args.Value(QStringLiteral("o")), [&](QIODevice* file) {
        ProjectCsv::Export(project, args.Value(QStringLiteral("group")), file, progress);
    });
}

} // namespace

void Export(const ToolArguments& args, QTextStream& out, const ProjectCsv::Progress& progress) {
    const QString format = args.Value(QStringLiteral("format"), QStringLiteral("csv")).toLower();
    TranslationExport::Options options;
    if (format == QLatin1String("csv"))
        return ExportCsv(args, out, progress);
    if (format == QLatin1String("xliff"))
        options.format = TranslationFormat::Xliff;
    else if (format == QLatin1String("po"))
        options.format = TranslationFormat::Po;
    else
        throw Invalid(QStringLiteral("--format %1 is none of csv, xliff, po").arg(format));
    options.source = args.Value(QStringLiteral("source"));
    options.target = args.Value(QStringLiteral("target"));
    if (options.source.isEmpty() || options.target.isEmpty())
        throw Invalid(QStringLiteral("--format %1 needs --source and --target").arg(format));
    options.groupPath = args.Value(QStringLiteral("group"));
    const ProjectFile project(ProjectLocator::Resolve(args.Positional(0)), ProjectFile::Access::Read);
    if (!args.Has(QStringLiteral("o"))) {
        const CommandOutput output(out);
        TranslationExport::Write(project, options, output.Device());
        return;
    }
    const QString path = args.Value(QStringLiteral("o"));
    TranslationExport::Summary summary;
    WriteFile(path, [&](QIODevice* file) { summary = TranslationExport::Write(project, options, file); });
    out << "exported " << summary.units << " units (" << summary.untranslated << " without translation) to "
        << path << Qt::endl;
}

void Import(const ToolArguments& args, QTextStream& out, const ProjectCsv::Progress& progress) {
    TranslationFormat format;
    const bool force = args.Has(QStringLiteral("force"));
    if (!TranslationUnits::FormatOfFile(args.Positional(1), &format)) {
        if (force)
            throw Invalid(QStringLiteral("--force is for XLIFF and PO files"));
        ProjectCommands::Import(args, out, progress);
        return;
    }
    ProjectFile project(ProjectLocator::Resolve(args.Positional(0)));
    const TranslationImport::Summary summary =
        TranslationImport::ApplyFile(project, args.Positional(1), force);
    for (const QString& id : summary.changedSources)
        out << "source changed since the export: " << id << Qt::endl;
    if (!summary.changedSources.isEmpty() && !force)
        out << "kept the project's text of " << summary.changedSources.size()
            << " units whose source changed (--force imports them)" << Qt::endl;
    if (summary.languageAdded)
        out << "added language " << summary.language << Qt::endl;
    out << "imported " << summary.units << " units into " << project.Path()
        << "; texts changed: " << summary.changed << Qt::endl;
}

void Stats(const ToolArguments& args, QTextStream& out) {
    const ProjectFile project(ProjectLocator::Resolve(args.Positional(0)), ProjectFile::Access::Read);
    const TextStatistics statistics = TextStatistics::Of(project, args.Value(QStringLiteral("group")));
    out << project.Path() << ": " << statistics.indexes << " indexes" << Qt::endl;
    for (const TextStatistics::Language& language : statistics.languages) {
        out << language.name;
        if (!language.tag.isEmpty() && language.tag != language.name)
            out << " (" << language.tag << ')';
        out << ": " << language.indexes << " with text, " << statistics.indexes - language.indexes
            << " to translate" << Qt::endl;
    }
}

} // namespace TranslatorCommands
