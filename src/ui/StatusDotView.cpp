#include "ui/StatusDotView.h"

#include <QPainter>

StatusDotView::StatusDotView(QWidget *parent) : QWidget(parent)
{
    installAccessibility();
    setFixedSize(sizeHint());
}

void StatusDotView::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void StatusDotView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color);
    painter.drawEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
}

#include "moc_StatusDotView.cpp"
