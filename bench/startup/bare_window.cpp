// The yardstick: a bare Qt Widgets program that shows one window and quits.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
