#pragma once

#include <QImage>
#include <QString>

// The sign-in link as a QR code: level M, drawn without interpolation into a
// 660-pixel white square with a 9 % quiet margin, shown at 220 points.
namespace QrCodeImage {

constexpr int bitmapSide = 660;
constexpr double margin = 0.09;

// A null image when the text cannot be encoded.
QImage render(const QString &text);

} // namespace QrCodeImage
