// Shows a help window or the about box on the display, for looking at them by eye:
//   show_Help help <file.chm> <context> [seconds]
//   show_Help about [seconds]
// Not a test; nothing is checked. The window closes after the given seconds (default 30).
#include "help/FAbout.h"
#include "platform/help/HtmlHelp.h"

#include <QApplication>
#include <QTextStream>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool help = args.value(0) == QLatin1String("help") && args.size() >= 3;
    if (!help && args.value(0) != QLatin1String("about")) {
        QTextStream(stderr) << "usage: show_Help help <file.chm> <context> [seconds] | about [seconds]\n";
        return 2;
    }
    const int seconds = args.value(help ? 3 : 1, QStringLiteral("30")).toInt();
    QTimer::singleShot(seconds * 1000, &app, [] {
        if (FAbout* box = FAbout::Current())
            box->accept();
        QCoreApplication::quit();
    });
    if (!help) {
        FAbout::ShowModal();
        return 0;
    }
    const QByteArray file = args.at(1).toUtf8();
    if (HtmlHelpA(0, file.constData(), HH_HELP_CONTEXT, args.at(2).toUInt()) == 0)
        return 1;
    return app.exec();
}
