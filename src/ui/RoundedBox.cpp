#include "ui/RoundedBox.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <vector>

namespace {

// Corners reach this far into the box; the pixel column after them is straight.
int cornerSize(qreal radius)
{
    return int(std::ceil(radius)) + 1;
}

struct Pieces
{
    RoundedBox box;
    qreal ratio = 1;
    QPixmap drawing;
    // The inside as drawn: the fill over the background.
    QColor inside;
};

// A box just larger than its four corners, drawn once per look and pixel ratio.
const Pieces &piecesFor(const RoundedBox &box, qreal ratio)
{
    // A handful of looks at most (incoming and outgoing, per theme and font scale).
    static std::vector<Pieces> cache;
    for (const Pieces &pieces : cache) {
        if (pieces.ratio == ratio && pieces.box == box)
            return pieces;
    }
    if (cache.size() >= 16)
        cache.erase(cache.begin());
    // Below the corners and the header, one row of the straight edges.
    const int c = cornerSize(box.radius);
    const int side = 2 * c + 1;
    const int height = std::max(box.headerHeight, c) + c + 1;
    QPixmap drawing(QSize(side, height) * ratio);
    drawing.setDevicePixelRatio(ratio);
    // A transparent background leaves the corners to what lies under the box.
    drawing.fill(Qt::transparent);
    QPainter painter(&drawing);
    box.paintDirectly(painter, QRect(0, 0, side, height));
    painter.end();
    const int middle = int((side / 2) * ratio);
    const int body = int(std::max(box.headerHeight, c) * ratio);
    cache.push_back({box, ratio, drawing, drawing.toImage().pixelColor(middle, body)});
    return cache.back();
}

} // namespace

void RoundedBox::paintDirectly(QPainter &painter, const QRect &rect) const
{
    painter.save();
    painter.fillRect(rect, background);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    painter.fillPath(path, fill);
    if (headerHeight > 0) {
        painter.save();
        painter.setClipPath(path);
        painter.fillRect(QRectF(rect.left(), rect.top(), rect.width(), headerHeight), header);
        painter.restore();
    }
    painter.setPen(QPen(border, borderWidth));
    painter.drawPath(path);
    painter.restore();
}

void RoundedBox::paint(QPainter &painter, const QRect &rect) const
{
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const int c = cornerSize(radius);
    // The top part holds the upper corners and the header band, copied as drawn.
    const int top = std::max(headerHeight, c);
    if (rect.width() < 2 * c + 1 || rect.height() < top + c + 1 || ratio != std::round(ratio) ||
        !painter.transform().isIdentity()) {
        paintDirectly(painter, rect);
        return;
    }
    const Pieces &pieces = piecesFor(*this, ratio);
    const QPixmap &drawing = pieces.drawing;
    const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const int side = 2 * c + 1;
    const int bottom = top + 1; // where the lower corners start in the drawing
    const int x0 = rect.left(), y0 = rect.top(), w = rect.width(), h = rect.height();
    // Source rectangles are in device pixels; copied pixels stay exact, and a
    // one-pixel strip stretched along a straight edge repeats it.
    const auto piece = [&](int x, int y, int pw, int ph, int sx, int sy, int sw, int sh) {
        painter.drawPixmap(QRectF(x0 + x, y0 + y, pw, ph), drawing,
                           QRectF(sx * ratio, sy * ratio, sw * ratio, sh * ratio));
    };
    piece(0, 0, c, top, 0, 0, c, top);
    piece(w - c, 0, c, top, side - c, 0, c, top);
    piece(c, 0, w - 2 * c, top, c, 0, 1, top);
    piece(0, h - c, c, c, 0, bottom, c, c);
    piece(w - c, h - c, c, c, side - c, bottom, c, c);
    piece(c, h - c, w - 2 * c, c, c, bottom, 1, c);
    piece(0, top, c, h - top - c, 0, top, c, 1);
    piece(w - c, top, c, h - top - c, side - c, top, c, 1);
    painter.fillRect(QRect(x0 + c, y0 + top, w - 2 * c, h - top - c), pieces.inside);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}
