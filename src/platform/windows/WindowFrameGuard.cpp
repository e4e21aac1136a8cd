#include "platform/windows/WindowFrameGuard.h"

#include <QMouseEvent>
#include <QStyle>
#include <QWidget>

WindowFrameGuard::WindowFrameGuard(QWidget* window) : QObject(window), m_window(window) {
    window->installEventFilter(this);
}

WindowFrameGuard* WindowFrameGuard::Of(QWidget* window) {
    if (WindowFrameGuard* guard = Find(window))
        return guard;
    return new WindowFrameGuard(window);
}

WindowFrameGuard* WindowFrameGuard::Find(const QWidget* window) {
    return window->findChild<WindowFrameGuard*>(QString(), Qt::FindDirectChildrenOnly);
}

bool WindowFrameGuard::HasSizingBorder(const QWidget* window) {
    const WindowFrameGuard* guard = Find(window);
    return !guard || guard->m_sizingBorder;
}

void WindowFrameGuard::SetSizingBorder(bool on) {
    m_sizingBorder = on;
    if (m_window->isWindow()) {
        if (on) {
            m_window->setMinimumSize(0, 0);
            m_window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        } else {
            m_window->setFixedSize(m_window->size());
        }
    } else if (!on) {
        m_window->unsetCursor(); // a resize cursor shown on the border would stay otherwise
    }
}

void WindowFrameGuard::Resize(const QSize& size) {
    if (m_window->isWindow() && !m_sizingBorder)
        m_window->setFixedSize(size);
    else
        m_window->resize(size);
}

bool WindowFrameGuard::InTitleBar(const QPoint& position) const {
    const QStyle* style = m_window->style();
    const int border = qMax(style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, m_window), 4);
    const int titleHeight = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, m_window);
    return QRect(border, border, m_window->width() - 2 * border, titleHeight - border).contains(position);
}

bool WindowFrameGuard::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::ContextMenu: return !(m_window->windowFlags() & Qt::WindowSystemMenuHint);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return !m_sizingBorder && !InTitleBar(static_cast<QMouseEvent*>(event)->position().toPoint());
    case QEvent::MouseMove: {
        // A move without a button only sets the resize cursor; with one it carries on a
        // press that was let through (moving by the title bar).
        const auto* mouse = static_cast<QMouseEvent*>(event);
        return !m_sizingBorder && mouse->buttons() == Qt::NoButton &&
               !InTitleBar(mouse->position().toPoint());
    }
    default: return false;
    }
}
