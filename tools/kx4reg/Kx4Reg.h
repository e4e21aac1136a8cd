#pragma once

#include <QStringList>
#include <QTextStream>

// Runs one kx4reg command (query, add, delete, import, export, check; args without the program
// name) with reg.exe's switches and output. Returns the exit status: 0 on success, 1 on failure with a
// one-line "ERROR: ..." on err. answers is where a question ("(Yes/No)") is answered; null when
// no person can answer (standard input is no terminal): then a command that would ask fails
// and says which switch (/f, /y) it needs.
int RunKx4Reg(const QStringList& args, QTextStream& out, QTextStream& err, QTextStream* answers);
