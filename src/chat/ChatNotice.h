#pragma once

#include "settings/AppTheme.h"

#include <QColor>
#include <QString>
#include <optional>

// The tint of a notice banner, resolved late because it depends on theme and
// appearance.
enum class NoticeTint { systemGreen, systemRed, systemGrey, systemOrange, botAccent };

// A bot message recognised as a notice (a Mac task reply, a reminder, a
// cronjob answer) and shown as a banner above its body.
struct ChatNotice
{
    QString title;
    QString symbol;
    NoticeTint tint = NoticeTint::systemOrange;
    QString body;

    // Examines only the first line, trimmed; the first matching rule wins.
    static std::optional<ChatNotice> chatNotice(const QString &text);

    // The platform's system colours in the given appearance, or the theme's bot colour.
    static QColor tintColor(NoticeTint tint, AppTheme theme, bool lightAppearance);
    // Outgoing notices draw their tint 25 % towards black.
    static QColor bannerTint(const QColor &tint, bool isOutgoing);
    // The round badge behind the symbol: the tint at 16 % opacity.
    static QColor badgeFill(const QColor &bannerTint);

    friend bool operator==(const ChatNotice &, const ChatNotice &) = default;
};
