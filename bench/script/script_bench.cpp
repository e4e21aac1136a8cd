// Runs a generated script through RunScriptFile against the recording editor with recording
// off, and reports lines per second and the peak memory of the run.
//   script_bench [lines] [encoding: utf8|utf16|cp1252]
#include "TestComponents.h"

#include "script/MScriptScan.h"
#include "studio/Failure.h"

#include "common/PeakMemory.h"
#include <QCoreApplication>

#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

// The commands of a migration script in a loop, with the remarks and blank lines users write.
const char* const Body[] = {
    "copy \"Alarme Kessel %1\" \"Alarme Kessel %1 neu\"",
    "copynonh \"Meldungen %1\" \"Meldungen %1\"",
    "' Gruppe %1 aktualisieren",
    "updategroup \"St\xC3\xB6rungen %1\" \"St\xC3\xB6rungen %1\"",
    "",
    "\tdelete \"Alt %1\"",
    "rename \"Texte %1\" \"Texte %1 (alt)\"",
    "updateflag \"2\"",
    "addlanguage \"en-GB\"",
    "REM Ende Block %1",
};

bool WriteScript(const QString& path, qint64 lines, const QString& encoding) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QStringConverter::Encoding target = encoding == QLatin1String("utf16") ? QStringConverter::Utf16LE
                                              : encoding == QLatin1String("cp1252") ? QStringConverter::Latin1
                                                                                    : QStringConverter::Utf8;
    QStringEncoder encoder(target, encoding == QLatin1String("utf16") ? QStringConverter::Flag::WriteBom
                                                                      : QStringConverter::Flag::Default);
    QString text = QStringLiteral("set dbread \"C:\\Projekte\\Quelle\\Quelle.kxs\"\r\n"
                                  "set dbwrite \"C:\\Projekte\\Ziel\\Ziel.kxs\"\r\n");
    for (qint64 i = 2; i < lines; ++i) {
        const QString line = QString::fromUtf8(Body[i % std::size(Body)]);
        text += line.contains(QLatin1String("%1")) ? line.arg(i / std::size(Body)) : line;
        text += QStringLiteral("\r\n");
        if (text.size() > 60000) {
            file.write(encoder.encode(text));
            text.clear();
        }
    }
    file.write(encoder.encode(text));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 lines = args.size() > 1 ? args[1].toLongLong() : 100000;
    const QString encoding = args.size() > 2 ? args[2] : QStringLiteral("utf8");

    QTemporaryDir prefix;
    qputenv("KX4_PREFIX", prefix.path().toLocal8Bit());
    TestComponents::Configure(QString());
    if (!TestComponents::RegisterAll()) {
        std::fprintf(stderr, "cannot register the test components in %s\n", qPrintable(prefix.path()));
        return 2;
    }
    const QString script = prefix.filePath(QStringLiteral("bench.txt"));
    if (!WriteScript(script, lines, encoding)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(script));
        return 2;
    }

    const long before = PeakMemory::KiB();
    PeakMemory::Reset();
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    try {
        MScriptScan::RunScriptFile(script);
    } catch (const Failure& failure) {
        std::fprintf(stderr, "%s\n", qPrintable(failure.Text()));
        return 1;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    // CPU time as well: on a busy machine the wall clock says more about the neighbours.
    const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const long peak = PeakMemory::KiB();
    std::printf("lines %lld (%s, %lld bytes): %.3f s, %.0f lines/s (CPU %.3f s, %.0f lines/s); "
                "peak RSS before run %ld KiB, during run %ld KiB\n",
                static_cast<long long>(lines), qPrintable(encoding),
                static_cast<long long>(QFile(script).size()), seconds, lines / seconds, cpuSeconds,
                lines / cpuSeconds, before, peak);
    return 0;
}
