#include "platform/WindowDesktops.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QWindow>
#include <xcb/xcb.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr quint32 kAllDesktops = 0xFFFFFFFF;
// _NET_WM_STATE client message actions.
constexpr quint32 kStateRemove = 0;
constexpr quint32 kStateAdd = 1;

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const auto cookie = xcb_intern_atom(connection, 0, quint16(qstrlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

std::vector<quint32> cardinals(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
                               xcb_atom_t type)
{
    const auto cookie = xcb_get_property(connection, 0, window, property, type, 0, 1024);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr);
    std::vector<quint32> values;
    if (reply && reply->format == 32) {
        const auto *data = static_cast<const quint32 *>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

// A window manager that follows the desktop conventions announces itself on the root window.
bool windowManagerRunning(xcb_connection_t *connection, xcb_window_t root)
{
    const xcb_atom_t check = atom(connection, "_NET_SUPPORTING_WM_CHECK");
    const auto child = cardinals(connection, root, check, XCB_ATOM_WINDOW);
    if (child.empty() || child.front() == XCB_WINDOW_NONE)
        return false;
    // A window left behind by a manager that has exited no longer names itself.
    const auto self = cardinals(connection, child.front(), check, XCB_ATOM_WINDOW);
    return !self.empty() && self.front() == child.front();
}

bool isMapped(xcb_connection_t *connection, xcb_window_t window)
{
    xcb_get_window_attributes_reply_t *reply =
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr);
    const bool mapped = reply && reply->map_state != XCB_MAP_STATE_UNMAPPED;
    std::free(reply);
    return mapped;
}

void sendToWindowManager(xcb_connection_t *connection, xcb_window_t root, xcb_window_t window,
                         xcb_atom_t type, quint32 first, quint32 second)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    event.data.data32[0] = first;
    event.data.data32[1] = second;
    event.data.data32[3] = 1; // from a normal application
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
}

} // namespace

void WindowDesktops::setOnAllDesktops(QWindow *window, bool onAll)
{
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const auto id = xcb_window_t(window->winId());
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen || !windowManagerRunning(connection, screen->root))
        return;

    const xcb_atom_t desktopAtom = atom(connection, "_NET_WM_DESKTOP");
    const xcb_atom_t stateAtom = atom(connection, "_NET_WM_STATE");
    const xcb_atom_t sticky = atom(connection, "_NET_WM_STATE_STICKY");
    quint32 desktop = kAllDesktops;
    if (!onAll) {
        const auto current =
            cardinals(connection, screen->root, atom(connection, "_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL);
        desktop = current.empty() ? 0 : current.front();
    }

    // Written on the window for the manager to read when it maps it, and asked
    // of the manager for a window that is already on screen.
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, desktopAtom, XCB_ATOM_CARDINAL, 32, 1,
                        &desktop);
    std::vector<quint32> states = cardinals(connection, id, stateAtom, XCB_ATOM_ATOM);
    std::erase(states, sticky);
    if (onAll)
        states.push_back(sticky);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, stateAtom, XCB_ATOM_ATOM, 32,
                        quint32(states.size()), states.data());
    if (isMapped(connection, id)) {
        sendToWindowManager(connection, screen->root, id, desktopAtom, desktop, 0);
        sendToWindowManager(connection, screen->root, id, stateAtom, onAll ? kStateAdd : kStateRemove,
                            sticky);
    }
    xcb_flush(connection);
}

bool WindowDesktops::canKeepAbove()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
