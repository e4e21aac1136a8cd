#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What the fuzz targets share.
namespace Fuzz {

// Aborts as a crash would, saying what did not hold and on what, when condition is false: libFuzzer
// then keeps the input, and the replay fails on it.
inline void Expect(bool condition, const char* what, const QString& detail = QString()) {
    if (!condition) {
        std::fprintf(stderr, "fuzz: expectation failed: %s: %s\n", what, qUtf8Printable(detail));
        std::abort();
    }
}

// The input without a copy, so that a read past its end is one past libFuzzer's buffer. The log
// goes off: damaged input is expected, and warnings would drown libFuzzer's report.
inline QByteArray Bytes(const uint8_t* data, size_t size) {
    [[maybe_unused]] static const bool quiet = (QLoggingCategory::setFilterRules("kx4.*=false"), true);
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

} // namespace Fuzz

// Defines the fuzz entry point as a function of the input, which is libFuzzer's buffer itself.
#define KX4_FUZZ_TARGET(input)                                                                               \
    static void FuzzOne(const QByteArray& input);                                                            \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {                                \
        FuzzOne(Fuzz::Bytes(data, size));                                                                    \
        return 0;                                                                                            \
    }                                                                                                        \
    static void FuzzOne(const QByteArray& input)
