#include "kx4studio/TerminalProgress.h"

#include <QTextStream>

namespace {

constexpr qint64 QuietMs = 1000;

} // namespace

TerminalProgress::TerminalProgress(QTextStream* terminal, const QString& what)
    : m_terminal(terminal), m_what(what) {
    m_clock.start();
}

TerminalProgress::~TerminalProgress() { Erase(); }

void TerminalProgress::Erase() {
    if (m_shown < 0)
        return;
    *m_terminal << '\r' << QString(m_what.size() + 6, QLatin1Char(' ')) << '\r';
    m_terminal->flush();
    m_shown = -1;
}

ProjectCsv::Progress TerminalProgress::Reporter() {
    if (!m_terminal)
        return {};
    return [this](qint64 done, qint64 total) { Show(done, total); };
}

void TerminalProgress::Show(qint64 done, qint64 total) {
    // The end goes before the command's own output.
    if (done >= total)
        return Erase();
    if (m_clock.elapsed() < QuietMs)
        return;
    const int percent = int(qBound(qint64(0), done * 100 / total, qint64(100)));
    if (percent == m_shown)
        return;
    m_shown = percent;
    *m_terminal << '\r' << m_what << ' ' << percent << '%';
    m_terminal->flush();
}
