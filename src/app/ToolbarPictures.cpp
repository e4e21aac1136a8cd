#include "app/ToolbarPictures.h"

#include <QPainter>
#include <QPainterPath>

namespace ToolbarPictures {

namespace {

constexpr int Size = 16;

QPixmap Blank() {
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QPixmap Tools() {
    QPixmap pixmap = Blank();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor steel(0x5a, 0x64, 0x6e);
    // The handle, corner to corner.
    painter.setPen(QPen(steel, 3.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(3.0, 13.0), QPointF(10.0, 6.0));
    // The jaw: a ring open towards the top right.
    QPainterPath jaw;
    jaw.addEllipse(QPointF(11.0, 5.0), 4.0, 4.0);
    QPainterPath opening;
    opening.addRect(QRectF(10.5, 0.0, 6.0, 4.5));
    painter.setPen(Qt::NoPen);
    painter.setBrush(steel);
    painter.drawPath(jaw.subtracted(opening));
    painter.setBrush(QColor(0xd8, 0xdc, 0xe0));
    painter.drawEllipse(QPointF(11.0, 5.0), 1.6, 1.6);
    return pixmap;
}

QPixmap Information() {
    QPixmap pixmap = Blank();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1c, 0x4f, 0x9c), 1.0));
    painter.setBrush(QColor(0x2f, 0x74, 0xd0));
    painter.drawEllipse(QRectF(0.5, 0.5, 15.0, 15.0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(8.0, 4.3), 1.4, 1.4);
    painter.drawRoundedRect(QRectF(6.8, 6.6, 2.4, 6.6), 0.8, 0.8);
    return pixmap;
}

} // namespace ToolbarPictures
