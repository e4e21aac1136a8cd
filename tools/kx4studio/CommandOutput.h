#pragma once

#include <memory>

class QIODevice;
class QTextStream;

// A command's text output as a device, for writers of bytes: the stream's own device when it has
// one (what the stream holds is flushed first, so the order holds), else a device that decodes
// the bytes as UTF-8 into the stream.
class CommandOutput {
public:
    explicit CommandOutput(QTextStream& out);
    // Flushes what was written to the device.
    ~CommandOutput();
    CommandOutput(const CommandOutput&) = delete;
    CommandOutput& operator=(const CommandOutput&) = delete;

    QIODevice* Device() const { return m_device; }

private:
    std::unique_ptr<QIODevice> m_decoder;
    QIODevice* m_device;
};
