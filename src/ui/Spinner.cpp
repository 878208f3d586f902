#include "ui/Spinner.h"

#include <QPainter>

Spinner::Spinner(QWidget *parent) : QWidget(parent)
{
    setFixedSize(sizeHint());
    m_timer.setInterval(80);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % 12;
        update();
    });
}

void Spinner::startAnimation()
{
    m_animating = true;
    if (isVisible())
        m_timer.start();
}

void Spinner::stopAnimation()
{
    m_animating = false;
    m_timer.stop();
}

void Spinner::showEvent(QShowEvent *)
{
    if (m_animating)
        m_timer.start();
}

void Spinner::hideEvent(QHideEvent *) { m_timer.stop(); }

void Spinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    const QColor base = palette().color(QPalette::WindowText);
    for (int i = 0; i < 12; ++i) {
        QColor c = base;
        c.setAlphaF(m_animating ? 0.15 + 0.85 * double((i + 12 - m_step) % 12) / 11.0 : 0.3);
        painter.setPen(QPen(c, 2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -5), QPointF(0, -8.5));
        painter.rotate(30);
    }
}

#include "moc_Spinner.cpp"
