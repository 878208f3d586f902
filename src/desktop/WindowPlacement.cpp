#include "desktop/WindowPlacement.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace WindowPlacement {

QString pointString(const QPoint &point)
{
    return QStringLiteral("{%1, %2}").arg(point.x()).arg(point.y());
}

std::optional<QPoint> parsePointString(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral(R"(^\s*\{\s*([-+]?[0-9]*\.?[0-9]+)\s*,\s*([-+]?[0-9]*\.?[0-9]+)\s*\}\s*$)"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const double x = match.captured(1).toDouble();
    const double y = match.captured(2).toDouble();
    // Far outside any desktop: a damaged value, not a position.
    if (std::abs(x) > 1e6 || std::abs(y) > 1e6)
        return std::nullopt;
    return QPoint(int(std::lround(x)), int(std::lround(y)));
}

QPoint clampedOrigin(const QPoint &origin, const QSize &size, const QRect &visibleArea)
{
    const int minX = visibleArea.x();
    const int maxX = visibleArea.x() + visibleArea.width();
    const int minY = visibleArea.y();
    const int maxY = visibleArea.y() + visibleArea.height();
    return QPoint(std::min(std::max(minX, maxX - size.width()), std::max(origin.x(), minX)),
                  std::min(std::max(minY, maxY - size.height()), std::max(origin.y(), minY)));
}

std::optional<QPoint> targetOrigin(bool alreadyOnScreen, bool useSavedPosition,
                                   const std::optional<QPoint> &savedOrigin, const QSize &size,
                                   const QRect &visibleArea)
{
    QPoint target;
    if (alreadyOnScreen) {
        if (!useSavedPosition || !savedOrigin)
            return std::nullopt;
        // A position from a display that is gone (or changed) would leave the window out of reach.
        if (!QRect(*savedOrigin, size).intersects(visibleArea))
            return std::nullopt;
        target = *savedOrigin;
    } else {
        target = QPoint(visibleArea.x() + (visibleArea.width() - size.width()) / 2,
                        visibleArea.y() + (visibleArea.height() - size.height()) / 2);
    }
    return clampedOrigin(target, size, visibleArea);
}

int primaryScreenIndex(const QList<QRect> &screenFrames, int mainIndex)
{
    for (int i = 0; i < screenFrames.size(); ++i)
        if (screenFrames.at(i).topLeft() == QPoint(0, 0))
            return i;
    if (mainIndex >= 0 && mainIndex < screenFrames.size())
        return mainIndex;
    return screenFrames.isEmpty() ? -1 : 0;
}

} // namespace WindowPlacement
