#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What the fuzz targets share. A broken expectation ends the process as a crash would, so that
// libFuzzer keeps the input and the replay of the corpus fails on it.
namespace Fuzz {

// Aborts, saying what did not hold and on what, when condition is false.
inline void Expect(bool condition, const char* what, const QString& detail = QString()) {
    if (condition)
        return;
    std::fprintf(stderr, "fuzz: expectation failed: %s%s%s\n", what, detail.isEmpty() ? "" : ": ",
                 qUtf8Printable(detail));
    std::abort();
}

// The input without a copy: a read past its end is a read past libFuzzer's buffer, which the
// address sanitizer sees.
inline QByteArray Bytes(const uint8_t* data, size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

// The program's own log categories off: a damaged input is expected, and their warnings would
// drown libFuzzer's report.
inline void Quiet() {
    static const bool done = [] {
        QLoggingCategory::setFilterRules(QStringLiteral("kx4.*=false"));
        return true;
    }();
    (void)done;
}

} // namespace Fuzz
