#pragma once

#include "ProjectData/ProjectCsv.h"

class ToolArguments;
class QTextStream;

// kx4studio's project commands. Each takes its parsed command line, writes its results to out
// and throws Failure with a one-line reason; a failing command leaves projects and the
// registry as they were.
namespace ProjectCommands {

// new FILE.kxs [--language L]...
void New(const ToolArguments& args, QTextStream& out);
// register FILE [--type TYPE] [--name NAME]
void Register(const ToolArguments& args, QTextStream& out);
// unregister NAME
void Unregister(const ToolArguments& args, QTextStream& out);
// list: one tab-separated line per registration: name, type, path, "present" or "missing".
void List(const ToolArguments& args, QTextStream& out);
// groups FILE: the tree, two spaces per level, with the text count per language.
void Groups(const ToolArguments& args, QTextStream& out);
// export FILE [--group NAME]: CSV on out, as it is read.
void Export(const ToolArguments& args, QTextStream& out, const ProjectCsv::Progress& progress);
// import FILE CSV, read as it is imported
void Import(const ToolArguments& args, QTextStream& out, const ProjectCsv::Progress& progress);

} // namespace ProjectCommands
