#include "ui/QrCodeImage.h"

#include <QPainter>
#include <qrencode.h>

namespace QrCodeImage {

QImage render(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.isEmpty())
        return {};
    QRcode *code = QRcode_encodeData(int(bytes.size()), reinterpret_cast<const unsigned char *>(bytes.constData()),
                                     0, QR_ECLEVEL_M);
    if (!code)
        return {};
    const int width = code->width;
    QImage modules(width, width, QImage::Format_RGB888);
    for (int y = 0; y < width; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool dark = code->data[y * width + x] & 1;
            modules.setPixelColor(x, y, dark ? Qt::black : Qt::white);
        }
    }
    QRcode_free(code);

    QImage bitmap(bitmapSide, bitmapSide, QImage::Format_RGB888);
    bitmap.fill(Qt::white);
    {
        QPainter painter(&bitmap);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        const double inset = bitmapSide * margin;
        painter.drawImage(QRectF(inset, inset, bitmapSide - 2 * inset, bitmapSide - 2 * inset), modules);
    }
    bitmap.setDevicePixelRatio(3.0);
    return bitmap;
}

} // namespace QrCodeImage
