#pragma once

#include <QApplication>

class Failure;

// The program's application object: runs the frame's start-up and ends the process with
// status 1 after a failure that nothing caught, shown with its number and description.
class ToolBoxApplication : public QApplication {
public:
    ToolBoxApplication(int& argc, char** argv);

    // Without a display Qt would pick xcb and abort: choose offscreen before the application exists.
    static void ChoosePlatform();
    // Loads the frame and, unless start-up took the silent road, runs the event loop.
    int Run();

    bool notify(QObject* receiver, QEvent* event) override;

    static void ReportUncaught(const Failure& failure);
};
