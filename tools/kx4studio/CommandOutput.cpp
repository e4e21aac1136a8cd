#include "kx4studio/CommandOutput.h"

#include <QFileDevice>
#include <QStringDecoder>
#include <QTextStream>

namespace {

// Lets a writer stream UTF-8 into a text stream; a character split between two writes is
// decoded once its last byte arrives.
class TextStreamDevice : public QIODevice {
public:
    explicit TextStreamDevice(QTextStream& out) : m_out(out) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        m_out << m_utf8.decode(QByteArrayView(data, size));
        return size;
    }

private:
    QTextStream& m_out;
    QStringDecoder m_utf8{QStringConverter::Utf8};
};

} // namespace

CommandOutput::CommandOutput(QTextStream& out) {
    out.flush();
    if (out.device()) {
        m_device = out.device();
    } else {
        m_decoder = std::make_unique<TextStreamDevice>(out);
        m_device = m_decoder.get();
    }
}

CommandOutput::~CommandOutput() {
    if (auto* file = qobject_cast<QFileDevice*>(m_device))
        file->flush();
}
