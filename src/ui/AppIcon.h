#pragma once

#include <QIcon>

class QPainter;

// The application's icon, drawn rather than shipped: the window and the tray use
// it at run time, and the build exports the same drawing as the desktop entry's
// PNG and SVG files.
namespace AppIcon {

// Draws the icon into the square (0, 0, size, size).
void paint(QPainter &painter, qreal size);
QPixmap pixmap(int size);
// Every size a desktop asks for, each drawn sharp.
QIcon icon();

} // namespace AppIcon
