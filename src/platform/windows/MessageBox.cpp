#include "platform/windows/MessageBox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>

namespace {

MessageBox::Hook& CurrentHook() {
    static MessageBox::Hook hook;
    return hook;
}

QMessageBox::Icon ToQt(MessageBox::Icon icon) {
    switch (icon) {
    case MessageBox::Icon::Critical: return QMessageBox::Critical;
    case MessageBox::Icon::Exclamation: return QMessageBox::Warning;
    case MessageBox::Icon::Information: return QMessageBox::Information;
    case MessageBox::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

namespace MessageBox {

bool IsHeadless() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return true;
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

void SetHook(Hook hook) { CurrentHook() = std::move(hook); }

void Show(const QString& text, const QString& title, Icon icon, QWidget* owner) {
    if (CurrentHook()) {
        CurrentHook()(text, title, icon);
        return;
    }
    if (IsHeadless()) {
        const QByteArray line = (title + QStringLiteral(": ") + text + QLatin1Char('\n')).toLocal8Bit();
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        std::fflush(stderr);
        return;
    }
    QMessageBox box(ToQt(icon), title, text, QMessageBox::Ok, owner);
    box.exec();
}

} // namespace MessageBox
