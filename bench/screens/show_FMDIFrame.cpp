// For a look by eye and for screenshots: the frame started on a project (as the command line
// would), a group of the explorer opened in the MDI area through toolbar button 1, and
// optionally the splitter dragged by DELTA pixels. Leaves after SECONDS.
//   show_FMDIFrame PROJECT [GROUP] [DELTA] [SECONDS]
#include "app/FMDIFrame.h"
#include "app/ToolBoxApplication.h"

#include <QTimer>
#include <QTreeWidget>

int main(int argc, char* argv[]) {
    ToolBoxApplication::ChoosePlatform();
    ToolBoxApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2)
        return 2;
    const QString group = args.value(2, QStringLiteral("Kessel"));
    const int delta = args.value(3).toInt();
    const int seconds = args.value(4, QStringLiteral("6")).toInt();

    FMDIFrame frame({args.at(1)});
    frame.MDIForm_Load();
    frame.resize(1200, 740);
    frame.move(20, 20);
    frame.show();
    QTimer::singleShot(500, &frame, [&frame, group, delta] {
        if (delta != 0) {
            frame.pctSplit_MouseDown(Qt::LeftButton, 1);
            frame.pctSplit_MouseUp(Qt::LeftButton, delta);
        }
        if (auto* tree = frame.Picture1()->findChild<QTreeWidget*>()) {
            const auto items = tree->findItems(group, Qt::MatchExactly | Qt::MatchRecursive);
            if (!items.isEmpty())
                tree->setCurrentItem(items.first());
        }
        frame.tbr_ButtonClick(1);
    });
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    return app.exec();
}
