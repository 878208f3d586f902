#include "ui/SettingsSeparatorView.h"

#include <QPainter>

SettingsSeparatorView::SettingsSeparatorView(QWidget *parent) : QWidget(parent)
{
    installAccessibility();
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SettingsSeparatorView::paintEvent(QPaintEvent *)
{
    QColor line = theme().border();
    line.setAlphaF(0.7f);
    QPainter painter(this);
    painter.fillRect(QRectF(0, (height() - 1) / 2.0, width(), 1), line);
}

#include "moc_SettingsSeparatorView.cpp"
