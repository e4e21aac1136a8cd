#include "platform/windows/WidgetBirthOrder.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QVariant>
#include <QWidget>
#include <algorithm>

namespace {

constexpr char BirthProperty[] = "_kx4_birth";
quint64 lastBirth = 0;

quint64 BirthOf(const QObject* object) { return object->property(BirthProperty).toULongLong(); }

void InstallOnApplication() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(new WidgetBirthOrder(app));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallOnApplication)

WidgetBirthOrder::WidgetBirthOrder(QObject* parent) : QObject(parent) {}

QWidgetList WidgetBirthOrder::ChildrenOf(const QWidget* parent) {
    QWidgetList widgets;
    for (QObject* child : parent->children())
        if (child->isWidgetType())
            widgets.append(static_cast<QWidget*>(child));
    std::stable_sort(widgets.begin(), widgets.end(),
                     [](const QWidget* a, const QWidget* b) { return BirthOf(a) < BirthOf(b); });
    return widgets;
}

bool WidgetBirthOrder::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildAdded) {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType())
            child->setProperty(BirthProperty, ++lastBirth);
    }
    return QObject::eventFilter(watched, event);
}
