#pragma once

#include <QString>

// What the toolbar's pin button shows. Where the desktop alone decides which
// window is on top (a Wayland client cannot ask), the help says so instead of
// promising the window stays there.
namespace PinButton {

struct Look
{
    QString symbol;
    QString help;
    // Pinned: tinted with the theme's bot colour; otherwise the secondary colour.
    bool botTint = false;
};

Look look(bool pinned, bool desktopKeepsAbove);

} // namespace PinButton
