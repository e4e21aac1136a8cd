#pragma once

#include <QApplication>

class Failure;

// The program's application object: runs the frame's start-up and ends the process with
// status 1 after a failure that nothing caught, shown with its number and description.
class ToolBoxApplication : public QApplication {
public:
    // argc and argv must outlive the object; Qt takes its own options out of them.
    ToolBoxApplication(int& argc, char** argv);

    // The program: the process arguments stay the user's, untouched by Qt (which would take
    // "-reverse", "-style X", ... for itself); then Run. Returns the exit status.
    static int Main(int argc, char** argv);
    // Without a display Qt would pick xcb and abort: choose offscreen before the application exists.
    static void ChoosePlatform();
    // Loads the frame on arguments (without the program's path) and, unless start-up took the
    // silent road, runs the event loop.
    int Run(const QStringList& arguments);

    bool notify(QObject* receiver, QEvent* event) override;

    static void ReportUncaught(const Failure& failure);
};
