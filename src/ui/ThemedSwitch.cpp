#include "ui/ThemedSwitch.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

ThemedSwitch::ThemedSwitch(QWidget *parent) : QWidget(parent)
{
    installAccessibility();
    setFixedSize(sizeHint());
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void ThemedSwitch::setOn(bool on)
{
    if (on == m_isOn)
        return;
    m_isOn = on;
    update();
    announceValue(this);
}

void ThemedSwitch::flip()
{
    m_isOn = !m_isOn;
    update();
    announceValue(this);
    emit toggled(m_isOn);
}

void ThemedSwitch::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    flip();
}

void ThemedSwitch::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        flip();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ThemedSwitch::paintEvent(QPaintEvent *)
{
    const UiTheme &colors = theme();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    const QRectF track = QRectF(rect()).adjusted(0, 1, 0, -1);
    QColor fill = colors.accent();
    fill.setAlphaF(0.55f);
    painter.setBrush(m_isOn ? fill : colors.buttonSurface());
    painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);

    const qreal diameter = height() - 4;
    const qreal x = m_isOn ? width() - diameter - 2 : 2;
    painter.setBrush(colors.resolve(colors.theme.switchThumbColors()));
    painter.drawEllipse(QRectF(x, 2, diameter, diameter));

    if (hasFocus()) {
        QColor ring = colors.accent();
        ring.setAlphaF(0.85f);
        painter.setPen(QPen(ring, 1.5));
        painter.setBrush(Qt::NoBrush);
        const QRectF outline = QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75);
        painter.drawRoundedRect(outline, outline.height() / 2, outline.height() / 2);
    }
}

#include "moc_ThemedSwitch.cpp"
