// Runs a fuzz target's entry point once for every file of the given corpus folders (or the
// given files), without libFuzzer, so that each input that once failed is tried on every build.
//
//   replay_<name> [--except file-name]... folder-or-file...
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

QStringList Inputs(const QStringList& paths, const QStringList& except) {
    QStringList inputs;
    for (const QString& path : paths) {
        if (!QFileInfo(path).isDir()) {
            inputs << path;
            continue;
        }
        const QDir folder(path);
        for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
            if (!except.contains(name))
                inputs << folder.filePath(name);
        }
    }
    return inputs;
}

} // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    QStringList paths;
    QStringList except;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QLatin1String("--except") && i + 1 < argc)
            except << QString::fromLocal8Bit(argv[++i]);
        else
            paths << argument;
    }
    const QStringList inputs = Inputs(paths, except);
    if (inputs.isEmpty()) {
        std::fprintf(stderr, "replay: no inputs in %s\n", qUtf8Printable(paths.join(QLatin1Char(' '))));
        return 1;
    }
    for (const QString& input : inputs) {
        QFile file(input);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "replay: %s: %s\n", qUtf8Printable(input),
                         qUtf8Printable(file.errorString()));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        // A buffer of exactly the input's size, as libFuzzer gives it, so a read past the end shows.
        std::vector<uint8_t> data(bytes.begin(), bytes.end());
        // Said before the run, on standard output, which the test shows only when it fails.
        std::printf("%s\n", qUtf8Printable(input));
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(data.data(), data.size());
    }
    std::printf("%lld inputs replayed\n", static_cast<long long>(inputs.size()));
    return 0;
}
