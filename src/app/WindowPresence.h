#pragma once

#include <QObject>
#include <QPointer>

class SettingsStore;
class TelegramWindow;

// Where the window is and whether it comes forward: the user's close, the
// follow-active-space setting, bringing it to the front on activation, and
// the placement and desktop hooks that the desktop integration fills.
class WindowPresence : public QObject
{
    Q_OBJECT
public:
    explicit WindowPresence(SettingsStore &settings, QObject *parent = nullptr);

    void attach(TelegramWindow *window);
    bool mainWindowClosedByUser() const { return m_mainWindowClosedByUser; }
    bool followActiveSpaceEnabled() const { return m_followActiveSpaceEnabled; }

    // Start-up: the saved position when the window does not follow the desktops.
    void placeWindowOnPrimaryScreen();
    void applySpaceBehavior();
    // Nothing after the user closed the window; otherwise shown, raised and made key.
    void bringWindowToFront();
    // Shows the window again even after the user closed it (a task needs the user).
    void reopen();

private:
    QPointer<TelegramWindow> m_window;
    bool m_mainWindowClosedByUser = false;
    bool m_followActiveSpaceEnabled;
};
