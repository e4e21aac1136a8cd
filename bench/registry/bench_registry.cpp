// Imports a .reg file of many values, then reads every value back through RegistryStore.
//   bench_registry [KEYS VALUES_PER_KEY]      generate, import, read; report figures
//   bench_registry generate FILE [KEYS VALUES] only write the .reg file (to time kx4reg import)
#include "platform/registry/RegFile.h"
#include "platform/registry/RegFileReader.h"
#include "platform/registry/Registry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {

QString KeyName(int k) { return QStringLiteral("Software\\Bench\\Key%1").arg(k, 4, 10, QLatin1Char('0')); }
QString ValueName(int v) { return QStringLiteral("Value%1").arg(v); }

bool Generate(const QString& path, int keys, int values) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray text = "Windows Registry Editor Version 5.00\r\n\r\n";
    for (int k = 0; k < keys; ++k) {
        text += "[HKEY_CURRENT_USER\\" + KeyName(k).toUtf8() + "]\r\n";
        for (int v = 0; v < values; ++v) {
            const QByteArray name = ValueName(v).toUtf8();
            // A mix of the common forms: strings, dwords, binary.
            switch (v % 3) {
            case 0:
                text += "\"" + name + "\"=\"C:\\\\Program Files\\\\KestrixStudio\\\\file" +
                        QByteArray::number(v) + ".txt\"\r\n";
                break;
            case 1:
                text += "\"" + name + "\"=dword:" + QByteArray::number(v, 16).rightJustified(8, '0') + "\r\n";
                break;
            default: text += "\"" + name + "\"=hex:01,02,03,04,05,06,07,08\r\n"; break;
            }
        }
        text += "\r\n";
    }
    return file.write(text) == text.size();
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long PeakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (!args.isEmpty() && args.first() == u"generate") {
        if (args.size() < 2)
            return 2;
        const int keys = args.size() > 2 ? args.at(2).toInt() : 1000;
        const int values = args.size() > 3 ? args.at(3).toInt() : 100;
        return Generate(args.at(1), keys, values) ? 0 : 1;
    }
    const int keys = args.size() > 0 ? args.at(0).toInt() : 1000;
    const int values = args.size() > 1 ? args.at(1).toInt() : 100;

    QTemporaryDir dir;
    qputenv("KX4_PREFIX", QFile::encodeName(dir.path() + "/prefix"));
    const QString regFile = dir.path() + "/bench.reg";
    if (!Generate(regFile, keys, values))
        return 1;
    std::printf("file: %d keys x %d values = %d values, %lld bytes\n", keys, values, keys * values,
                qint64(QFile(regFile).size()));
    std::printf("peak memory before import: %ld KiB\n", PeakKb());

    QElapsedTimer timer;
    QString error;
    {
        // The parse alone, to tell it from the store's share of the import.
        QFile file(regFile);
        file.open(QIODevice::ReadOnly);
        QList<RegFileEntry> entries;
        const double cpu = CpuSeconds();
        timer.start();
        RegFileReader::Parse(file.readAll(), &entries, &error);
        std::printf("parse only: %.3f s (cpu %.3f s)\n", timer.nsecsElapsed() / 1e9, CpuSeconds() - cpu);
    }
    const double cpu = CpuSeconds();
    timer.restart();
    if (RegFile::Import(regFile, &error) != ERROR_SUCCESS) {
        std::fprintf(stderr, "import failed: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("import: %.3f s (cpu %.3f s)\n", timer.nsecsElapsed() / 1e9, CpuSeconds() - cpu);
    std::printf("peak memory after import: %ld KiB\n", PeakKb());

    // The names are built before timing, so the figure is the store's own cost.
    QStringList keyNames;
    QStringList valueNames;
    for (int k = 0; k < keys; ++k)
        keyNames << KeyName(k);
    for (int v = 0; v < values; ++v)
        valueNames << ValueName(v);
    for (const char* pass : {"first read", "warm read"}) {
        const double readCpu = CpuSeconds();
        timer.restart();
        qint64 found = 0;
        RegValue value;
        for (const QString& key : std::as_const(keyNames))
            for (const QString& name : std::as_const(valueNames))
                found += RegistryStore::QueryValue(HKEY_CURRENT_USER, key, name, &value) == ERROR_SUCCESS;
        const double seconds = timer.nsecsElapsed() / 1e9;
        if (found != qint64(keys) * values) {
            std::fprintf(stderr, "only %lld of %d values found\n", found, keys * values);
            return 1;
        }
        std::printf("%s: %lld values in %.3f s, %.0f reads/s, %.2f us per read (cpu %.2f us)\n", pass, found,
                    seconds, found / seconds, seconds * 1e6 / found, (CpuSeconds() - readCpu) * 1e6 / found);
    }
    std::printf("peak memory at the end: %ld KiB\n", PeakKb());
    return 0;
}
