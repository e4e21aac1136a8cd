// replay_<name> [--except file-name]... folder-or-file...: each input once, without libFuzzer.
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    QStringList except;
    QFileInfoList inputs;
    for (int i = 1; i < argc; ++i) {
        const QFileInfo argument(QString::fromLocal8Bit(argv[i]));
        if (argument.filePath() == "--except" && i + 1 < argc)
            except << QString::fromLocal8Bit(argv[++i]);
        else
            inputs << (argument.isDir() ? QDir(argument.filePath()).entryInfoList(QDir::Files, QDir::Name)
                                        : QFileInfoList{argument});
    }
    inputs.removeIf([&](const QFileInfo& input) { return except.contains(input.fileName()); });
    for (const QFileInfo& input : inputs) {
        std::printf("%s\n", qUtf8Printable(input.filePath())); // shown when the test fails
        std::fflush(stdout);
        QFile file(input.filePath());
        if (!file.open(QIODevice::ReadOnly))
            return std::fprintf(stderr, "replay: %s\n", qUtf8Printable(file.errorString())), 1;
        // Exactly the input's size, as libFuzzer gives it, so a read past the end shows.
        const QByteArray bytes = file.readAll();
        std::vector<uint8_t> data(bytes.begin(), bytes.end());
        LLVMFuzzerTestOneInput(data.data(), data.size());
    }
    std::printf("%lld inputs replayed\n", static_cast<long long>(inputs.size()));
    return inputs.isEmpty() ? 1 : 0; // an empty corpus tests nothing
}
