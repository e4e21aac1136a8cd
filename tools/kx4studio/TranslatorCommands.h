#pragma once

#include "ProjectData/ProjectCsv.h"

class ToolArguments;
class QTextStream;

// kx4studio's commands for translators' files and the options they add to export and import.
// Each takes its parsed command line, writes its results to out and throws Failure with a
// one-line reason; a failing command leaves the project as it was.
namespace TranslatorCommands {

// export FILE [--format csv|xliff|po] [--source L --target L] [--group NAME] [-o OUT]: CSV as
// before, or an XLIFF 1.2 or PO file of the source and target language; on out, or written
// whole to OUT (a failed export leaves OUT as it was), then one line saying how many units.
// progress hears how far a CSV export is.
void Export(const ToolArguments& args, QTextStream& out, const ProjectCsv::Progress& progress);
// import FILE TRANSLATED [--force]: a .xlf/.xliff/.po file; any other is CSV. Lists the units
// whose source changed since the export, then one line with the counts. progress hears how far
// a CSV import is.
void Import(const ToolArguments& args, QTextStream& out, const ProjectCsv::Progress& progress);
// stats FILE [--group NAME]: the number of indexes, then per language how many have a text
// and how many are left to translate.
void Stats(const ToolArguments& args, QTextStream& out);

} // namespace TranslatorCommands
