#include "chat/PinButton.h"

PinButton::Look PinButton::look(bool pinned, bool desktopKeepsAbove)
{
    if (pinned)
        return {
            QStringLiteral("pin.fill"),
            desktopKeepsAbove
                ? QStringLiteral("Window stays on top. Click to let other windows come forward.")
                : QStringLiteral("Asked to stay on top; on Wayland the desktop decides. Click to let other "
                                 "windows come forward."),
            true};
    return {QStringLiteral("pin.slash"),
            desktopKeepsAbove ? QStringLiteral("Keep window on top")
                              : QStringLiteral("Ask to keep window on top (on Wayland the desktop decides)"),
            false};
}
