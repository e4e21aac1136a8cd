#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The switches of one kx4reg command line, as reg reads them.
struct Switches {
    QStringList positional;
    std::optional<QString> valueName; // /v NAME, or "" for /ve
    bool allValues = false;           // /va
    bool recurse = false;             // /s (query)
    bool force = false;               // /f or /y
    bool regedit4 = false;            // /regedit4 (export)
    bool view = false;                // /reg:32 or /reg:64: one view here, so no effect
    bool help = false;                // /?, /h
    std::optional<QString> type;      // /t
    std::optional<QString> separator; // /s (add)
    std::optional<QString> data;      // /d
};

// Parses args for verb, allowed naming the switches (without their "/") the verb takes; help
// and the view switches count for every verb. Only the switch names kx4reg knows count as
// switches, so "/tmp/x.reg" stays a file name. As reg, it refuses a switch given twice and an
// argument after the switches. Returns what is wrong, or an empty text.
QString ParseSwitches(const QString& verb, const QStringList& args, const QStringList& allowed, Switches* sw);
