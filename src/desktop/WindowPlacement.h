#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

// Where the chat window goes on a screen, computed on plain rectangles so every
// case can be checked without a display. Origins are the frame's top-left corner.
namespace WindowPlacement {

// The stored form of an origin: "{x, y}".
QString pointString(const QPoint &point);
// Reads "{x, y}" (fractions rounded); anything else is absent.
std::optional<QPoint> parsePointString(const QString &text);

// Keeps a frame of this size inside the visible area; a frame larger than the
// area keeps its top-left corner on the area's top-left.
QPoint clampedOrigin(const QPoint &origin, const QSize &size, const QRect &visibleArea);

// Where a window of this size goes on a screen with this visible area, or
// nothing when it stays where it is. On the screen it is already on it moves
// only to a saved origin, and only when the frame there would touch the area;
// onto another screen it goes centred.
std::optional<QPoint> targetOrigin(bool alreadyOnScreen, bool useSavedPosition,
                                   const std::optional<QPoint> &savedOrigin, const QSize &size,
                                   const QRect &visibleArea);

// The screen whose frame starts at (0, 0); else the main one; else the first;
// -1 without screens.
int primaryScreenIndex(const QList<QRect> &screenFrames, int mainIndex);

} // namespace WindowPlacement
