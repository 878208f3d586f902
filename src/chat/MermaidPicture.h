#pragma once

#include <QByteArray>
#include <QSizeF>

// A drawn diagram as the row shows it: the SVG, and a PNG beside it when the
// SVG uses what Qt SVG cannot draw faithfully.
struct MermaidPicture
{
    QByteArray svg;
    QByteArray png;
    // The diagram's own size in points.
    QSizeF size;

    bool isRaster() const { return !png.isEmpty(); }
    qint64 byteSize() const { return svg.size() + png.size(); }
};
