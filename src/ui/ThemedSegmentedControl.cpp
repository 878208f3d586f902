#include "ui/ThemedSegmentedControl.h"

#include "ui/IconTable.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

ThemedSegmentedControl::ThemedSegmentedControl(const QStringList &labels, const QStringList &symbols,
                                               QWidget *parent)
    : QWidget(parent), m_labels(labels), m_symbols(symbols)
{
    installAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setFixedHeight(28);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize ThemedSegmentedControl::sizeHint() const
{
    return {qMax(count() * 104, 160), 28};
}

QString ThemedSegmentedControl::accessibleValue() const
{
    return m_labels.value(m_selected);
}

void ThemedSegmentedControl::setSelectedSegment(int segment)
{
    if (segment < 0 || segment >= m_labels.size() || segment == m_selected)
        return;
    m_selected = segment;
    update();
    announceValue(this);
}

std::optional<int> ThemedSegmentedControl::segmentAt(qreal x) const
{
    if (width() <= 0)
        return std::nullopt;
    const qreal share = qreal(width()) / count();
    const int segment = int(std::floor(x / share));
    if (segment < 0 || segment >= m_labels.size())
        return std::nullopt;
    return segment;
}

void ThemedSegmentedControl::select(int segment)
{
    setSelectedSegment(segment);
    emit activated(m_selected);
}

void ThemedSegmentedControl::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton)
        return;
    if (const auto segment = segmentAt(event->position().x()))
        select(*segment);
}

void ThemedSegmentedControl::mouseMoveEvent(QMouseEvent *event)
{
    const auto segment = segmentAt(event->position().x());
    if (segment != m_hovered) {
        m_hovered = segment;
        update();
    }
}

void ThemedSegmentedControl::leaveEvent(QEvent *)
{
    if (m_hovered) {
        m_hovered.reset();
        update();
    }
}

void ThemedSegmentedControl::keyPressEvent(QKeyEvent *event)
{
    if (m_labels.isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Left)
        select(qMax(m_selected - 1, 0));
    else if (event->key() == Qt::Key_Right)
        select(qMin(m_selected + 1, int(m_labels.size()) - 1));
    else
        QWidget::keyPressEvent(event);
}

void ThemedSegmentedControl::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void ThemedSegmentedControl::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void ThemedSegmentedControl::paintEvent(QPaintEvent *)
{
    const UiTheme &colors = theme();
    const QColor accent = colors.accent();
    const auto withAlpha = [](QColor color, qreal alpha) {
        color.setAlphaF(float(alpha));
        return color;
    };

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colors.buttonSurface());
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);

    const qreal share = qreal(width()) / count();
    for (int i = 0; i < m_labels.size(); ++i) {
        const QRectF pill(i * share + 2, 2, share - 4, height() - 4);
        const bool selected = i == m_selected;
        if (selected) {
            painter.setBrush(withAlpha(accent, 0.18));
            painter.setPen(QPen(withAlpha(accent, 0.55), 1));
            painter.drawRoundedRect(pill.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
        } else if (m_hovered == i) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(withAlpha(accent, 0.08));
            painter.drawRoundedRect(pill, 6, 6);
        }

        const QColor ink = selected ? accent : colors.secondary();
        const QFont font = UiStyle::font(12, selected ? QFont::DemiBold : QFont::Medium);
        const QFontMetricsF metrics(font);
        const QString label = m_labels.at(i);
        const QString symbol = m_symbols.value(i);
        const QPixmap icon =
            symbol.isEmpty() ? QPixmap() : IconTable::pixmap(symbol, ink, 13, devicePixelRatioF());
        const qreal iconWidth = icon.isNull() ? 0 : 13 + 6;
        const qreal textWidth = metrics.horizontalAdvance(label);
        qreal x = pill.center().x() - (iconWidth + textWidth) / 2;
        if (!icon.isNull()) {
            painter.drawPixmap(QRectF(x, pill.center().y() - 6.5, 13, 13), icon, icon.rect());
            x += iconWidth;
        }
        painter.setFont(font);
        painter.setPen(ink);
        painter.drawText(QRectF(x, pill.top(), textWidth + 1, pill.height()),
                         Qt::AlignVCenter | Qt::AlignLeft, label);
    }

    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(withAlpha(accent, 0.85), 1.5));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 7, 7);
    }
}

#include "moc_ThemedSegmentedControl.cpp"
