#pragma once

class QWindow;

// Whether a window shows on every virtual desktop. Only a window manager that
// keeps desktops can honour it: without one, and on Wayland (where a client
// cannot ask), this does nothing.
namespace WindowDesktops {

void setOnAllDesktops(QWindow *window, bool onAll);
// Whether a window can ask to stay above the others: not as a Wayland client.
bool canKeepAbove();

} // namespace WindowDesktops
