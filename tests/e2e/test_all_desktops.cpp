// On a real X server: the window's desktop membership follows the
// follow-active-space setting, as far as a window manager is there to honour it;
// pinning keeps it above other windows; and a Wayland session starts it on X11.
#include "app/WindowPresence.h"
#include "settings/SettingsStore.h"
#include "ui/TelegramWindow.h"

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>
#include <xcb/xcb.h>

#include <cstdlib>
#include <vector>

namespace {

xcb_connection_t *connection()
{
    return qApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

xcb_window_t root()
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
}

xcb_atom_t atom(const char *name)
{
    auto *reply = xcb_intern_atom_reply(
        connection(), xcb_intern_atom(connection(), 0, quint16(qstrlen(name)), name), nullptr);
    const xcb_atom_t result = reply->atom;
    std::free(reply);
    return result;
}

std::vector<quint32> windowProperty(xcb_window_t window, const char *name)
{
    auto *reply = xcb_get_property_reply(
        connection(), xcb_get_property(connection(), 0, window, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
        nullptr);
    std::vector<quint32> values;
    if (reply && reply->format == 32) {
        const auto *data = static_cast<const quint32 *>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

void setWindowProperty(xcb_window_t window, const char *name, xcb_atom_t type, quint32 value)
{
    xcb_change_property(connection(), XCB_PROP_MODE_REPLACE, window, atom(name), type, 32, 1, &value);
    xcb_flush(connection());
}

bool contains(const std::vector<quint32> &values, quint32 value)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

bool isMapped(xcb_window_t window)
{
    auto *reply = xcb_get_window_attributes_reply(connection(),
                                                  xcb_get_window_attributes(connection(), window), nullptr);
    const bool mapped = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return mapped;
}

xcb_window_t inputFocus()
{
    auto *reply = xcb_get_input_focus_reply(connection(), xcb_get_input_focus(connection()), nullptr);
    const xcb_window_t focus = reply ? reply->focus : xcb_window_t(XCB_WINDOW_NONE);
    std::free(reply);
    return focus;
}

// What a window manager hears: the requests clients send to the root window,
// seen from a connection of our own.
class RootRequests
{
public:
    RootRequests() : m_connection(xcb_connect(nullptr, nullptr))
    {
        const quint32 mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, root(), XCB_CW_EVENT_MASK, &mask);
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    ~RootRequests() { xcb_disconnect(m_connection); }

    // Whether the window asked for a state (1: add, 0: remove) of _NET_WM_STATE.
    bool askedForState(xcb_window_t window, quint32 action, xcb_atom_t state)
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE)
                m_seen.push_back(*reinterpret_cast<xcb_client_message_event_t *>(event));
            std::free(event);
        }
        const xcb_atom_t type = atom("_NET_WM_STATE");
        return std::any_of(m_seen.begin(), m_seen.end(), [&](const xcb_client_message_event_t &message) {
            return message.window == window && message.type == type && message.data.data32[0] == action &&
                   (message.data.data32[1] == state || message.data.data32[2] == state);
        });
    }

private:
    xcb_connection_t *m_connection;
    std::vector<xcb_client_message_event_t> m_seen;
};

bool xvfbRunning = false;

} // namespace

class TestAllDesktops : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!xvfbRunning)
            QSKIP("Xvfb is not installed: these tests need a real X server");
    }

    void init()
    {
        QVERIFY(m_dir.isValid());
        m_settings = std::make_unique<SettingsStore>(m_dir.filePath(QStringLiteral("settings.json")));
        m_window = std::make_unique<TelegramWindow>();
        m_presence = std::make_unique<WindowPresence>(*m_settings);
        m_presence->attach(m_window.get());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup()
    {
        m_presence.reset();
        m_window.reset();
        m_settings.reset();
        xcb_delete_property(connection(), root(), atom("_NET_SUPPORTING_WM_CHECK"));
        xcb_flush(connection());
    }

    void withoutAWindowManagerNothingIsAsked()
    {
        QVERIFY(m_presence->followActiveSpaceEnabled());
        m_presence->applySpaceBehavior();
        QVERIFY(windowProperty(id(), "_NET_WM_DESKTOP").empty());
        QVERIFY(!contains(windowProperty(id(), "_NET_WM_STATE"), atom("_NET_WM_STATE_STICKY")));
    }

    void followingPutsTheWindowOnEveryDesktopAndBack()
    {
        announceWindowManager();
        setWindowProperty(root(), "_NET_CURRENT_DESKTOP", XCB_ATOM_CARDINAL, 2);
        const quint32 sticky = atom("_NET_WM_STATE_STICKY");

        m_presence->applySpaceBehavior();
        QCOMPARE(windowProperty(id(), "_NET_WM_DESKTOP"), std::vector<quint32>{0xFFFFFFFF});
        QVERIFY(contains(windowProperty(id(), "_NET_WM_STATE"), sticky));

        m_presence->toggleFollowActiveSpace();
        QVERIFY(!m_settings->defaultTrueBool(QStringLiteral("followActiveSpaceEnabled")));
        QCOMPARE(windowProperty(id(), "_NET_WM_DESKTOP"), std::vector<quint32>{2});
        QVERIFY(!contains(windowProperty(id(), "_NET_WM_STATE"), sticky));

        m_presence->toggleFollowActiveSpace();
        QVERIFY(m_settings->defaultTrueBool(QStringLiteral("followActiveSpaceEnabled")));
        QCOMPARE(windowProperty(id(), "_NET_WM_DESKTOP"), std::vector<quint32>{0xFFFFFFFF});
        QVERIFY(contains(windowProperty(id(), "_NET_WM_STATE"), sticky));
    }

    void aPinnedWindowAsksToStayAboveAndUnpinningAsksToLeaveIt()
    {
        const xcb_atom_t above = atom("_NET_WM_STATE_ABOVE");
        // Shown pinned: the window carries the state from its first mapping.
        QVERIFY(m_presence->windowIsPinned());
        QVERIFY(contains(windowProperty(id(), "_NET_WM_STATE"), above));
        m_window->activateWindow();
        QTRY_COMPARE(inputFocus(), id());
        const xcb_window_t window = id();
        const QRect frame = m_window->geometry();

        RootRequests requests;
        m_presence->toggleWindowPin();
        QTRY_VERIFY(requests.askedForState(window, 0, above));
        QVERIFY(!m_window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        // The same native window, still on screen where it was, still holding the keyboard.
        QCOMPARE(id(), window);
        QVERIFY(isMapped(window));
        QCOMPARE(m_window->geometry(), frame);
        QCOMPARE(inputFocus(), window);

        m_presence->toggleWindowPin();
        QTRY_VERIFY(requests.askedForState(window, 1, above));
        QVERIFY(m_window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(id(), window);
        QCOMPARE(inputFocus(), window);
    }

    void aWaylandSessionWithXWaylandStartsOnX11()
    {
        // Left to itself Qt would try Wayland first here (and say so before falling back).
        QTemporaryDir runtime;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-tessaly-test"));
        environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        QProcess tessaly;
        tessaly.setProcessEnvironment(environment);
        tessaly.start(qEnvironmentVariable("TESSALY_BIN_DIR") + QStringLiteral("/tessaly"),
                      {QStringLiteral("--demo"), QStringLiteral("--report-first-paint")});
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += tessaly.readAllStandardOutput()).contains("first-paint-ms:") ||
                                     tessaly.state() == QProcess::NotRunning,
                                 30000);
        tessaly.terminate();
        QVERIFY(tessaly.waitForFinished(20000));
        const QByteArray errors = tessaly.readAllStandardError();
        QVERIFY2(output.contains("first-paint-ms:"), errors.constData());
        QVERIFY2(!errors.contains("wayland"), errors.constData());
    }

private:
    xcb_window_t id() const { return xcb_window_t(m_window->windowHandle()->winId()); }

    // What a conventions-following manager puts up: a child window naming itself.
    void announceWindowManager()
    {
        const xcb_window_t check = xcb_generate_id(connection());
        xcb_create_window(connection(), XCB_COPY_FROM_PARENT, check, root(), 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        setWindowProperty(check, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, check);
        setWindowProperty(root(), "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, check);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<TelegramWindow> m_window;
    std::unique_ptr<WindowPresence> m_presence;
};

// A private X server for this run: the offscreen platform has no desktops.
int main(int argc, char **argv)
{
    QProcess server;
    server.setProgram(QStringLiteral("Xvfb"));
    server.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                         QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                         QStringLiteral("1280x800x24")});
    server.setStandardErrorFile(QProcess::nullDevice());
    server.start();
    QByteArray display;
    while (!display.endsWith('\n') && server.waitForReadyRead(10000))
        display += server.readAllStandardOutput();
    xvfbRunning = !display.trimmed().isEmpty();
    if (xvfbRunning) {
        qputenv("DISPLAY", ":" + display.trimmed());
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    int status = 0;
    {
        QApplication app(argc, argv);
        TestAllDesktops test;
        status = QTest::qExec(&test, argc, argv);
    }
    server.terminate();
    server.waitForFinished(5000);
    return status;
}

#include "test_all_desktops.moc"
