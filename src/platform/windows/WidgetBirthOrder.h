#pragma once

#include <QObject>
#include <QWidgetList>

// Remembers the order in which widgets became children of their parents, which QObject's
// child list forgets as soon as a widget is raised or lowered. Installed on the application
// when it starts; a widget that joined its parent before that sorts first, in child-list order.
class WidgetBirthOrder : public QObject {
    Q_OBJECT
public:
    explicit WidgetBirthOrder(QObject* parent = nullptr);

    // The widget children of parent in the order they joined it.
    static QWidgetList ChildrenOf(const QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
