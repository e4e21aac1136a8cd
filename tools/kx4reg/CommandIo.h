#pragma once

#include "kx4reg/Switches.h"
#include "platform/registry/Registry.h"

#include <QTextStream>

#include <optional>

// What the verbs of kx4reg share: their streams, reg's words and the checks every verb makes.
namespace Kx4RegCommands {

extern const QString NotFound; // reg's words for a missing key or value
extern const QString Done;     // reg's words for success

struct Io {
    QTextStream& out;
    QTextStream& err;
    QTextStream* answers; // null: no person to answer questions

    // Writes "ERROR: why" as one line on err; returns the exit status 1.
    int Fail(const QString& why);
    int Syntax(const QString& verb, const QString& why);
    // Asks a yes/no question; without a person to answer, fails naming the switch that skips it.
    // Returns 0 to go on, else the exit status.
    int Confirm(const QString& question, const QString& skipSwitch);
};

// "HKLM\Software\X" into its root and path (one backslash at its end is dropped); what is
// wrong with it as reg judges it (an unknown root, "HKLM\" with nothing after the backslash,
// two backslashes at the end), or an empty text.
QString ParseKey(const QString& text, HKEY* root, QString* path);
// "HKEY_LOCAL_MACHINE\Software\X".
QString FullName(HKEY root, const QString& path);
// A registry result as kx4reg's reason: reg's words for a missing key, else the store's.
QString Why(long rc, HKEY root);
// Prints the usage of verb (all verbs for an empty one); returns 0.
int Usage(Io& io, const QString& verb);

// One verb's command line, checked.
struct Command {
    Switches sw;
    HKEY root = 0;
    QString path;
};

// The checks of a verb: its switches (allowed), help, the count of positional arguments and,
// when withKey, the key as the first of them. An exit status when the command ends here.
std::optional<int> Prepare(Io& io, const QString& verb, const QStringList& args, const QStringList& allowed,
                           int positional, bool withKey, Command* cmd);

} // namespace Kx4RegCommands
