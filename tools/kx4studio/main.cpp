#include "kx4studio/Kx4Studio.h"
#include "kx4studio/StudioToolContext.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return RunKx4Studio(app.arguments().mid(1), out, err,
                        StudioToolContext::ForProgram(QCoreApplication::applicationDirPath()));
}
