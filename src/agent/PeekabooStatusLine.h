#pragma once

#include "agent/PeekabooAvailability.h"

#include <QString>

// What the settings window's Peekaboo status line shows for an
// availability: the dot, the text, and the one action its button offers.
// The window only displays it; the button runs `action`.
struct PeekabooStatusLine
{
    enum class Dot { yellow, green, orange, red };
    enum class StatusAction { none, grant, download, guide };

    Dot dot = Dot::yellow;
    QString text;
    StatusAction action = StatusAction::none;
    // Empty while the button is hidden.
    QString buttonTitle;

    // While the answer is awaited.
    static PeekabooStatusLine checking();
    static PeekabooStatusLine from(const PeekabooAvailability &availability);

    // The system colour of a dot, as "#rrggbb".
    static QString colorName(Dot dot);

    // Texts the window shows while the button's action runs.
    static QString requestingPermissionsText() { return QStringLiteral("Requesting permissions…"); }
    static QString afterPermissionRequestText()
    {
        return QStringLiteral("Follow the macOS prompts, then click Check.");
    }
    static QString downloadingText() { return QStringLiteral("Downloading Peekaboo…"); }

    // Opened by the `guide` action.
    static QString installGuideAddress()
    {
        return QStringLiteral("https://www.npmjs.com/package/@fennick/peekaboo");
    }

    bool operator==(const PeekabooStatusLine &) const = default;
};
