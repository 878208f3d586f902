#pragma once

#include <QImage>
#include <QRectF>
#include <optional>

// The crop of a photo about to be sent. A selection is kept in unit
// coordinates across the drawn image (0 to 1, origin at its bottom-left), so
// it survives resizing; view points use Qt's top-left origin.
class PhotoCrop
{
public:
    // The image scaled to fit the view with its aspect ratio kept, centred;
    // empty when the image has no size.
    static QRectF imageRect(const QSizeF &imageSize, const QSizeF &viewSize);

    // A press outside the image changes nothing; an existing selection stays until a drag replaces it.
    void press(const QPointF &viewPoint, const QRectF &imageRect);
    void drag(const QPointF &viewPoint, const QRectF &imageRect);
    // A selection narrower or lower than three points on screen is dropped: the full photo is sent.
    void release(const QRectF &imageRect);
    void reset();

    const std::optional<QRectF> &selection() const { return m_selection; }
    // The selection in view points, for drawing.
    static QRectF viewRect(const QRectF &selection, const QRectF &imageRect);
    // The selection in the image's pixels (origin top-left), rounded outwards and kept inside the image.
    static QRect pixelRect(const QRectF &selection, const QSize &pixelSize);
    // The full image without a selection; a null image when the crop cannot be made.
    QImage croppedImage(const QImage &image) const;

private:
    static QPointF unitPoint(const QPointF &viewPoint, const QRectF &imageRect);

    std::optional<QPointF> m_start;
    std::optional<QRectF> m_selection;
};
