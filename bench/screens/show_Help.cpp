// Shows a help window or the about box on the display, for looking at them by eye:
//   show_Help help <file.chm> <context> [seconds] [contents|index|search|find|print [text]]
//   show_Help about [seconds]
// The tab named is shown; for the index the text goes into the filter, for the search it is
// searched for and the first topic found opened, for find it is found in the page; print opens
// the print dialog. Not a test; nothing is checked. The window closes after the given seconds
// (default 30).
#include "help/FAbout.h"
#include "platform/help/HelpFindBar.h"
#include "platform/help/HelpIndexPane.h"
#include "platform/help/HelpSearchPane.h"
#include "platform/help/HelpWindow.h"
#include "platform/help/HtmlHelp.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>
#include <QTreeWidget>

namespace {

void ShowTab(HelpWindow* window, const QString& tab, const QString& text) {
    if (tab == QLatin1String("index")) {
        window->Tabs()->setCurrentWidget(window->IndexPane());
        window->IndexPane()->FilterField()->setText(text);
    } else if (tab == QLatin1String("search")) {
        window->Tabs()->setCurrentWidget(window->SearchPane());
        HelpSearchPane* search = window->SearchPane();
        search->QueryField()->setText(text);
        // The first topic found is opened, with its words marked.
        QObject::connect(search, &HelpSearchPane::IndexBuilt, search, [search] {
            if (QTreeWidgetItem* first = search->Results()->topLevelItem(0))
                Q_EMIT search->Results()->itemActivated(first, 0);
        });
        search->Search();
    } else if (tab == QLatin1String("print")) {
        QTimer::singleShot(0, window,
                           [window] { window->findChild<QAction*>(QStringLiteral("print"))->trigger(); });
    } else if (tab == QLatin1String("find")) {
        window->FindBar()->Open();
        window->FindBar()->Field()->setText(text);
        window->FindBar()->FindNext();
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool help = args.value(0) == QLatin1String("help") && args.size() >= 3;
    if (!help && args.value(0) != QLatin1String("about")) {
        QTextStream(stderr) << "usage: show_Help help <file.chm> <context> [seconds] "
                               "[contents|index|search|find|print [text]]"
                               " | about [seconds]\n";
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
    const qint32 id = HtmlHelpA(0, file.constData(), HH_HELP_CONTEXT, args.at(2).toUInt());
    if (id == 0)
        return 1;
    ShowTab(HtmlHelp::Window(id), args.value(4), args.value(5));
    return app.exec();
}
