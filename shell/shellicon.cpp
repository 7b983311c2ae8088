#include "shellicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// A blue tile with a white order sheet: lines of items and a total.
QPixmap render(int sizePixels)
{
    QPixmap pixmap(sizePixels, sizePixels);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(sizePixels / 32.0, sizePixels / 32.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x4e, 0x79));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(8, 5, 16, 22), 2, 2);
    p.setPen(QPen(QColor(0x1f, 0x4e, 0x79), 1.6, Qt::SolidLine, Qt::RoundCap));
    for (const qreal y : {10.0, 14.0, 18.0})
        p.drawLine(QPointF(11, y), QPointF(21, y));
    p.setPen(QPen(QColor(0x2e, 0x9d, 0x4f), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15, 23), QPointF(21, 23));
    return pixmap;
}

} // namespace

QIcon shellIcon()
{
    QIcon icon;
    for (const int sizePixels : {16, 24, 32, 48, 64})
        icon.addPixmap(render(sizePixels));
    return icon;
}
