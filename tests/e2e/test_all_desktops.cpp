// On a real X server: the window's desktop membership follows the
// follow-active-space setting, as far as a window manager is there to honour it.
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

} // namespace

class TestAllDesktops : public QObject
{
    Q_OBJECT
private slots:
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
    if (display.trimmed().isEmpty()) {
        qWarning("Xvfb did not start");
        return 1;
    }
    qputenv("DISPLAY", ":" + display.trimmed());
    qputenv("QT_QPA_PLATFORM", "xcb");
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
