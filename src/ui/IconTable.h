#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

// The one table from the SF Symbols names the application uses to the icons
// compiled into its resources. Icons are single-colour and tinted when drawn.
namespace IconTable {

// The resource path of a symbol's icon, empty for an unknown name.
QString resourcePath(const QString &symbolName);
// Every symbol name of the table, for the build's resource list and tests.
QStringList symbolNames();

// The symbol drawn in one colour at a square size in device-independent
// pixels. A missing symbol gives a null pixmap (the caller keeps its text).
QPixmap pixmap(const QString &symbolName, const QColor &tint, int size, qreal devicePixelRatio = 2.0);
QIcon icon(const QString &symbolName, const QColor &tint, int size);

} // namespace IconTable
