#pragma once

#include <QByteArray>
#include <QFile>

// Peak resident memory of this process, for benchmarks that measure several runs in one process.
namespace PeakMemory {

// Peak resident memory in KiB since the start or the last Reset; -1 where /proc cannot tell.
inline long KiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Starts a new peak from the present resident size.
inline void Reset() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

} // namespace PeakMemory
