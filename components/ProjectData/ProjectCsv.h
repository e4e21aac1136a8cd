#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class ProjectFile;
class QIODevice;

// The index texts of a project as CSV (RFC 4180, UTF-8, CRLF line ends). The header is
// `group,index,<language>...` with the languages in the order the project got them; each row
// is one index of one group, the group as its path with "\" between levels; an empty cell is
// no text in that language. Groups come in tree order (parents before their subgroups, siblings
// in their order), indexes ascending. A group without texts gets one row with an empty index,
// so that an export imported into an empty project gives the same tree.
// Both read and write as they go: memory stays flat whatever the size of the project or the file.
namespace ProjectCsv {

// Told now and then how far a long run is: done of total (0 when the total is not known).
using Progress = std::function<void(qint64 done, qint64 total)>;

// Writes the whole project, or only the group at groupPath and its subgroups. progress, when
// given, counts the texts written.
void Export(const ProjectFile& project, const QString& groupPath, QIODevice* out,
            const Progress& progress = {});

// Imports CSV in one transaction: adds the header's languages the project lacks, creates
// missing groups, and sets each row's texts (an empty cell removes that language's text).
// A malformed header or row throws Failure "<source> line N: <what>; nothing imported" and
// changes nothing. Returns the number of rows imported. progress, when given, counts the bytes
// of csv read.
qsizetype Import(ProjectFile& project, QIODevice* csv, const QString& source, const Progress& progress = {});
// The same for CSV held in memory.
qsizetype Import(ProjectFile& project, const QByteArray& csv, const QString& source);

} // namespace ProjectCsv
