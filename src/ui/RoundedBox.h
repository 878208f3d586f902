#pragma once

#include <QColor>
#include <QRect>

class QPainter;

// A rounded box with a hairline border on an opaque background, as the
// transcript draws its message bubbles. Drawn from nine pieces cut once from
// a small drawing of the same box: outlining and filling a rounded path costs
// several times more than copying its corners, and every scroll repaints rows.
struct RoundedBox
{
    qreal radius = 10;
    QColor fill;
    QColor border;
    qreal borderWidth = 0.6;
    // What shows outside the rounded corners; transparent leaves what lies under the box.
    QColor background = Qt::transparent;
    // A band of another colour across the top (a code block's header), inside the border.
    QColor header;
    int headerHeight = 0;

    void paint(QPainter &painter, const QRect &rect) const;
    // The box drawn as a path, which the pieces are cut from (and which draws
    // boxes too small to cut, or at a fractional pixel ratio).
    void paintDirectly(QPainter &painter, const QRect &rect) const;

    bool operator==(const RoundedBox &) const = default;
};
