#pragma once

#include "settings/AppTheme.h"

#include <QColor>
#include <QFont>
#include <QPalette>

class QWidget;

// The theme and appearance a view is drawn in, and the fonts and colours
// derived from them. Sizes are given in the points of the design (one point
// is one device-independent pixel of the window).
struct UiTheme
{
    AppTheme theme;
    bool light = false;

    QColor resolve(const ColorPair &pair) const { return pair.resolved(light); }
    QColor window() const { return resolve(theme.windowColors()); }
    QColor transcript() const { return resolve(theme.transcriptColors()); }
    QColor composer() const { return resolve(theme.composerColors()); }
    QColor accent() const { return resolve(theme.botColors()); }
    QColor account() const { return resolve(theme.accountColors()); }
    QColor attachment() const { return resolve(theme.attachmentColors()); }
    QColor retry() const { return resolve(theme.retryColors()); }
    QColor text() const;
    QColor secondary() const;
    QColor border() const;
    QColor buttonSurface() const;
    // The bubble behind a message: the composer surface, warmed towards the
    // account colour for the user's own messages.
    QColor bubble(bool outgoing) const;

    // The palette every widget of the window inherits.
    QPalette palette() const;

    friend bool operator==(const UiTheme &, const UiTheme &) = default;
};

namespace UiStyle {

// A font of the given size in design points.
QFont font(qreal points, QFont::Weight weight = QFont::Normal);
QFont monospaceFont(qreal points);
// The application's palette and the shared appearance flag for a theme.
void applyApplicationTheme(const UiTheme &theme);
// Fills a widget's background with a colour through its palette.
void setBackground(QWidget *widget, const QColor &color);
QColor blend(const QColor &from, const QColor &to, qreal amount);

} // namespace UiStyle
