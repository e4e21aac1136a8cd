#pragma once

#include <QString>

class QTextStream;
struct StudioToolContext;

// The studio's installer for the prefix ($KX4_PREFIX): the installation keys, the maker's
// folders, the user's documents folder, the component registrations and the system
// information program. Running it again keeps what is there: a value that exists is only
// replaced when an option asks for it, and the component registrations always point at the
// components beside this program.
namespace StudioSetup {

struct Options {
    QString lcid;        // "" keeps the value there, else 1031
    QString installPath; // "" keeps the value there, else C:\Program Files\KestrixStudio
};

// Throws Failure naming the key, value or folder that could not be written.
void Run(const Options& options, const StudioToolContext& context, QTextStream& out);

} // namespace StudioSetup
