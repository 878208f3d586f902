#include "ui/AppIcon.h"

#include <QPainter>
#include <QPixmap>

namespace AppIcon {

void paint(QPainter &painter, qreal size)
{
    // A speech bubble on the theme's accent colour, laid out on a 128-unit square.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 128.0, size / 128.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x7c, 0x3a, 0xed));
    painter.drawRoundedRect(QRectF(8, 8, 112, 112), 26, 26);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(30, 36, 68, 46), 14, 14);
    const QPointF tail[] = {{46, 80}, {42, 96}, {60, 80}};
    painter.drawPolygon(tail, 3);
    painter.restore();
}

QPixmap pixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(painter, size);
    return pixmap;
}

QIcon icon()
{
    QIcon icon;
    // Every size goes to the X server with the window when it is first shown;
    // docks and large switchers take the installed theme icon instead.
    for (const int size : {16, 32, 48, 64, 128})
        icon.addPixmap(pixmap(size));
    return icon;
}

} // namespace AppIcon
