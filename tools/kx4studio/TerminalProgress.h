#pragma once

#include "ProjectData/ProjectCsv.h"

#include <QElapsedTimer>
#include <QString>

class QTextStream;

// How far a long run is, as "<what> 42%" on a terminal, rewritten in place as the figure
// changes and erased when the run ends, so that a good run leaves nothing on standard error.
// Nothing shows for a run that ends within a second, nor without a terminal.
class TerminalProgress {
public:
    // terminal: standard error when it is a terminal, else null for silence.
    TerminalProgress(QTextStream* terminal, const QString& what);
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    // What a run reports its progress to; empty when nothing is shown, so no count is taken. The
    // run ends by reporting done == total.
    ProjectCsv::Progress Reporter();

private:
    void Show(qint64 done, qint64 total);
    void Erase();

    QTextStream* m_terminal;
    QString m_what;
    QElapsedTimer m_clock;
    int m_shown = -1; // the percentage on screen, -1 for none
};
