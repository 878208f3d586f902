#include "ui/SettingsCardView.h"

#include <QPainter>

SettingsCardView::SettingsCardView(QWidget *parent) : QWidget(parent)
{
    installAccessibility();
}

void SettingsCardView::paintEvent(QPaintEvent *)
{
    const UiTheme &colors = theme();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colors.border(), 1));
    painter.setBrush(colors.composer());
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
}

#include "moc_SettingsCardView.cpp"
