#include "kx4reg/Kx4Reg.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QTextStream in(stdin);
    // Questions are asked only of a person at a terminal; a script gets a refusal instead.
    const int status = RunKx4Reg(app.arguments().mid(1), out, err, isatty(STDIN_FILENO) ? &in : nullptr);
    out.flush();
    err.flush();
    return status;
}
