#pragma once

#include <QWidget>
#include <functional>

// A plain container with the events the frame handles: resize and mouse press/release.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    std::function<void()> OnResize;
    std::function<void(Qt::MouseButton, int x)> OnMouseDown;
    std::function<void(Qt::MouseButton, int x)> OnMouseUp;

    void SetBackColor(const QColor& color);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
