#pragma once

#include <QStringList>

class QTextStream;
struct StudioToolContext;

// kx4studio: the studio's installer and project tooling. args are the words after the program
// name. Returns the exit status: 0 on success, 1 with a one-line reason on err.
int RunKx4Studio(const QStringList& args, QTextStream& out, QTextStream& err,
                 const StudioToolContext& context);
