#pragma once

#include <QString>
#include <QStringList>

// What kx4studio needs to know about the machine it runs on; tests make their own.
struct StudioToolContext {
    // The folder of the kx4studio program; the components lie in ../lib/kx4toolbox beside it
    // and the data in ../share/kx4toolbox.
    QString programDir;
    // System information programs in order of preference; setup registers the first that exists.
    QStringList systemInfoPrograms;
    // The user whose documents folder setup makes inside the prefix.
    QString userName;
    // Standard error is a terminal: long imports and exports show there how far they are.
    bool progressOnError = false;
    // Standard output is a terminal.
    bool outputOnTerminal = false;

    // The context of the running program on this machine.
    static StudioToolContext ForProgram(const QString& programDir);
};
