#include "app/PictureBox.h"

#include <QMouseEvent>

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) { setAutoFillBackground(true); }

void PictureBox::SetBackColor(const QColor& color) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, color);
    setPalette(palette);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (OnResize)
        OnResize();
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    if (OnMouseDown)
        OnMouseDown(event->button(), qRound(event->position().x()));
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    if (OnMouseUp)
        OnMouseUp(event->button(), qRound(event->position().x()));
}
