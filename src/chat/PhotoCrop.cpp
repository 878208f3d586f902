#include "chat/PhotoCrop.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr qreal minimumSelectionPoints = 3.0;
} // namespace

QRectF PhotoCrop::imageRect(const QSizeF &imageSize, const QSizeF &viewSize)
{
    if (imageSize.width() <= 0 || imageSize.height() <= 0)
        return {};
    const qreal scale =
        std::min(viewSize.width() / imageSize.width(), viewSize.height() / imageSize.height());
    const QSizeF drawn = imageSize * scale;
    return QRectF(QPointF((viewSize.width() - drawn.width()) / 2, (viewSize.height() - drawn.height()) / 2), drawn);
}

QPointF PhotoCrop::unitPoint(const QPointF &viewPoint, const QRectF &imageRect)
{
    const qreal x = (viewPoint.x() - imageRect.left()) / imageRect.width();
    const qreal y = (imageRect.bottom() - viewPoint.y()) / imageRect.height();
    return {std::clamp(x, 0.0, 1.0), std::clamp(y, 0.0, 1.0)};
}

void PhotoCrop::press(const QPointF &viewPoint, const QRectF &imageRect)
{
    if (imageRect.isEmpty() || !imageRect.contains(viewPoint))
        return;
    m_start = unitPoint(viewPoint, imageRect);
}

void PhotoCrop::drag(const QPointF &viewPoint, const QRectF &imageRect)
{
    if (!m_start || imageRect.isEmpty())
        return;
    const QPointF end = unitPoint(viewPoint, imageRect);
    m_selection = QRectF(QPointF(std::min(m_start->x(), end.x()), std::min(m_start->y(), end.y())),
                         QPointF(std::max(m_start->x(), end.x()), std::max(m_start->y(), end.y())));
}

void PhotoCrop::release(const QRectF &imageRect)
{
    if (m_selection && (m_selection->width() * imageRect.width() < minimumSelectionPoints ||
                        m_selection->height() * imageRect.height() < minimumSelectionPoints))
        m_selection.reset();
    m_start.reset();
}

void PhotoCrop::reset()
{
    m_start.reset();
    m_selection.reset();
}

QRectF PhotoCrop::viewRect(const QRectF &selection, const QRectF &imageRect)
{
    return QRectF(imageRect.left() + selection.left() * imageRect.width(),
                  imageRect.top() + (1 - selection.bottom()) * imageRect.height(),
                  selection.width() * imageRect.width(), selection.height() * imageRect.height());
}

QRect PhotoCrop::pixelRect(const QRectF &selection, const QSize &pixelSize)
{
    const qreal x = selection.left() * pixelSize.width();
    const qreal y = (1 - selection.bottom()) * pixelSize.height();
    const qreal right = x + selection.width() * pixelSize.width();
    const qreal bottom = y + selection.height() * pixelSize.height();
    // Rounded outwards, so a selection never loses a pixel it touches; the
    // tolerance keeps arithmetic noise (9.9999…) from adding a pixel it does not.
    constexpr qreal noise = 1e-6;
    const QRect rounded(QPoint(int(std::floor(x + noise)), int(std::floor(y + noise))),
                        QPoint(int(std::ceil(right - noise)) - 1, int(std::ceil(bottom - noise)) - 1));
    return rounded.intersected(QRect(QPoint(0, 0), pixelSize));
}

QImage PhotoCrop::croppedImage(const QImage &image) const
{
    if (image.isNull())
        return {};
    QImage result = image;
    if (m_selection) {
        const QRect pixels = pixelRect(*m_selection, image.size());
        // An empty rectangle would make copy() return the whole image.
        if (pixels.isEmpty())
            return {};
        result = image.copy(pixels);
    }
    // Its size in points is its size in pixels.
    result.setDevicePixelRatio(1.0);
    return result;
}
