#pragma once

#include <QObject>

class QWidget;

// What a captioned window may do with its frame, over what Qt offers: without a sizing border
// its border no longer resizes it (a child window's frame swallows the presses; a top-level
// window gets a fixed size, since the window manager draws its border); without the
// system-menu hint its title bar opens no system menu. The guard is a child of its window.
class WindowFrameGuard : public QObject {
    Q_OBJECT
public:
    // The guard of window, made on first use.
    static WindowFrameGuard* Of(QWidget* window);
    // The guard of window, nullptr while it has none.
    static WindowFrameGuard* Find(const QWidget* window);
    // Whether window has a sizing border (true until one is taken away).
    static bool HasSizingBorder(const QWidget* window);

    void SetSizingBorder(bool on);
    // Sizes the window; a top-level window without a sizing border keeps the new size fixed.
    void Resize(const QSize& size);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit WindowFrameGuard(QWidget* window);
    // The part of the window that moves it: the title bar inside the border.
    bool InTitleBar(const QPoint& position) const;

    QWidget* m_window;
    bool m_sizingBorder = true;
};
