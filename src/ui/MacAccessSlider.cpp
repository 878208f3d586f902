#include "ui/MacAccessSlider.h"

#include "ui/IconTable.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

MacAccessSlider::MacAccessSlider(QWidget *parent) : QWidget(parent)
{
    installAccessibility();
    setFixedSize(sizeHint());
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(QStringLiteral("Mac access"));
    m_animation.setDuration(animationMs);
    m_animation.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_thumbX = value.toReal();
        update();
    });
    m_thumbX = restingX(m_level);
    describe();
}

QString MacAccessSlider::symbolName(MacAccessLevel level)
{
    switch (level) {
    case MacAccessLevel::off:
        return QStringLiteral("nosign");
    case MacAccessLevel::readOnly:
        return QStringLiteral("eye");
    case MacAccessLevel::full:
        return QStringLiteral("sparkles");
    }
    return {};
}

qreal MacAccessSlider::restingX(MacAccessLevel level) const
{
    return third() * int(level) + 2;
}

void MacAccessSlider::describe()
{
    setAccessibleDescription(MacAccessLevels::helpText(m_level));
    setToolTip(MacAccessLevels::helpText(m_level));
}

void MacAccessSlider::setLevel(MacAccessLevel level)
{
    m_animation.stop();
    m_thumbX = restingX(level);
    if (level != m_level) {
        m_level = level;
        describe();
        announceValue(this);
    }
    update();
}

void MacAccessSlider::pick(qreal x)
{
    if (width() <= 0)
        return;
    const int index = std::clamp(int(std::floor(x / third())), 0, 2);
    const MacAccessLevel level = MacAccessLevels::all[size_t(index)];
    if (level == m_level)
        return;
    m_level = level;
    m_animation.stop();
    m_animation.setStartValue(m_thumbX);
    m_animation.setEndValue(restingX(level));
    m_animation.start();
    describe();
    announceValue(this);
    update();
    emit levelChanged(level);
}

void MacAccessSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_tracking = true;
    pick(event->position().x());
}

void MacAccessSlider::mouseMoveEvent(QMouseEvent *event)
{
    if (m_tracking)
        pick(event->position().x());
}

void MacAccessSlider::mouseReleaseEvent(QMouseEvent *)
{
    m_tracking = false;
}

void MacAccessSlider::resizeEvent(QResizeEvent *)
{
    if (!isAnimating())
        m_thumbX = restingX(m_level);
}

void MacAccessSlider::paintEvent(QPaintEvent *)
{
    const UiTheme &colors = theme();
    const QColor accent = colors.accent();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    QColor track = colors.text();
    track.setAlphaF(0.055f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(track);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);

    const QRectF thumb = QRectF(m_thumbX, 2, third() - 4, height() - 4).adjusted(0.25, 0.25, -0.25, -0.25);
    QColor fill = accent;
    fill.setAlphaF(0.20f);
    QColor outline = accent;
    outline.setAlphaF(0.32f);
    painter.setBrush(fill);
    painter.setPen(QPen(outline, 0.5));
    painter.drawRoundedRect(thumb, 7, 7);

    for (MacAccessLevel level : MacAccessLevels::all) {
        QColor ink = colors.secondary();
        ink.setAlphaF(0.85f);
        if (level == m_level)
            ink = accent;
        const QPixmap icon = IconTable::pixmap(symbolName(level), ink, 11, devicePixelRatioF());
        const QRectF stop(third() * int(level), 0, third(), height());
        if (!icon.isNull())
            painter.drawPixmap(QRectF(stop.center().x() - 5.5, stop.center().y() - 5.5, 11, 11), icon,
                               icon.rect());
    }
}

#include "moc_MacAccessSlider.cpp"
