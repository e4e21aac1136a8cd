// Imports a .reg file of many values, then reads every value back through RegistryStore, and
// again through the utility library (IRegistryService::GetValue and EnumKeys), as the program's
// dialogs read it.
//   bench_registry [KEYS VALUES_PER_KEY]      generate, import, read; report figures
//   bench_registry generate FILE [KEYS VALUES] only write the .reg file (to time kx4reg import)
#include "platform/registry/RegFile.h"
#include "platform/registry/RegFileReader.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryBatch.h"
#include "studio/IStudioUtilities.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
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

// The same reads through the utility library: the tagged value the program gets; then its
// enumeration of the keys.
bool UtilityReads(IRegistryService& service, const QStringList& keyNames, const QStringList& valueNames,
                  int keys) {
    QElapsedTimer timer;
    for (const char* pass : {"utility read", "warm utility read"}) {
        const double readCpu = CpuSeconds();
        timer.restart();
        qint64 found = 0;
        for (const QString& key : std::as_const(keyNames))
            for (const QString& name : std::as_const(valueNames))
                found += service.GetValue(HKEY_CURRENT_USER, key, name, QString()).isValid();
        const double seconds = timer.nsecsElapsed() / 1e9;
        std::printf("%s: %lld values in %.3f s, %.2f us per read (cpu %.2f us)\n", pass, found, seconds,
                    seconds * 1e6 / found, (CpuSeconds() - readCpu) * 1e6 / found);
    }
    {
        const double readCpu = CpuSeconds();
        timer.restart();
        constexpr int Rounds = 100;
        qint64 listed = 0;
        for (int round = 0; round < Rounds; ++round)
            listed += service.EnumKeys(HKEY_CURRENT_USER, QStringLiteral("Software\\Bench")).size();
        const double seconds = timer.nsecsElapsed() / 1e9;
        std::printf("utility EnumKeys of %d keys: %.3f ms per call (cpu %.3f ms)\n", keys,
                    seconds * 1e3 / Rounds, (CpuSeconds() - readCpu) * 1e3 / Rounds);
        if (listed != qint64(keys) * Rounds)
            return false;
    }
    return true;
}

// As the project-open dialog reads its registrations: enumerate the keys, then read two values
// of each; after a change by another process, after one of this process, and again.
bool DialogReads(IRegistryService& service) {
    constexpr int Projects = 5000;
    const QString parent = QStringLiteral("Software\\Studio\\Projects");
    {
        RegistryBatch batch;
        if (batch.BeginWrite(true, false) != ERROR_SUCCESS)
            return false;
        for (int i = 0; i < Projects; ++i) {
            const QString key = parent + QStringLiteral("\\Project %1").arg(i, 6, 10, QLatin1Char('0'));
            batch.SetValue(HKEY_LOCAL_MACHINE, key, RegValue::String("ProjectType", "Single"));
            batch.SetValue(HKEY_LOCAL_MACHINE, key, RegValue::String("Path", "C:\\Projects\\" + key));
        }
        if (batch.Commit() != ERROR_SUCCESS)
            return false;
    }
    // A change by another connection (another process) empties the read cache; one of this
    // process's own forgets only what it touched.
    auto changeElsewhere = [] {
        RegistryBatch batch;
        return batch.BeginWrite(true, false) == ERROR_SUCCESS &&
               batch.SetValue(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Other"),
                              RegValue::Dword("n", 1)) == ERROR_SUCCESS &&
               batch.Commit() == ERROR_SUCCESS;
    };
    auto changeHere = [] {
        return RegistryStore::SetValue(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Other"),
                                       RegValue::Dword("n", 2)) == ERROR_SUCCESS;
    };
    const std::pair<const char*, std::function<bool()>> passes[] = {
        {"dialog reads after another process's change", changeElsewhere},
        {"dialog reads after a change of this process", changeHere},
        {"dialog reads again", [] { return true; }},
    };
    for (const auto& [pass, change] : passes) {
        if (!change())
            return false;
        const double cpu = CpuSeconds();
        QElapsedTimer timer;
        timer.start();
        qint64 found = 0;
        for (const QString& name : service.EnumKeys(HKEY_LOCAL_MACHINE, parent)) {
            const QString key = parent + u'\\' + name;
            found += !service.GetValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("ProjectType"), QString())
                          .toString()
                          .isEmpty();
            found += !service.GetValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("Path"), QString())
                          .toString()
                          .isEmpty();
        }
        const double seconds = timer.nsecsElapsed() / 1e9;
        if (found != 2 * Projects)
            return false;
        std::printf("%s: EnumKeys of %d keys and %lld reads in %.1f ms, %.2f us per read (cpu %.2f us)\n",
                    pass, Projects, found, seconds * 1e3, seconds * 1e6 / found,
                    (CpuSeconds() - cpu) * 1e6 / found);
    }
    return true;
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
    IRegistryService& service = StudioUtilities().Registry();
    if (!UtilityReads(service, keyNames, valueNames, keys))
        return 1;
    if (!DialogReads(service))
        return 1;
    std::printf("peak memory at the end: %ld KiB\n", PeakKb());
    return 0;
}
