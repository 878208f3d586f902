#pragma once

#include <QDateTime>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>

class QScreen;
class SettingsStore;
class TelegramWindow;

// Where the window is and whether it comes forward: the user's close, showing
// and hiding it from the status item, the reopen guard, the follow-active-space
// setting, bringing it to the front on activation, and the placement and
// desktop hooks that the desktop integration fills.
class WindowPresence : public QObject
{
    Q_OBJECT
public:
    // clock: null is the system clock.
    explicit WindowPresence(SettingsStore &settings, std::function<QDateTime()> clock = {},
                            QObject *parent = nullptr);
    // A position not yet written is written now.
    ~WindowPresence() override;

    void attach(TelegramWindow *window);
    bool mainWindowClosedByUser() const { return m_mainWindowClosedByUser; }
    const std::optional<QDateTime> &mainWindowClosedAt() const { return m_mainWindowClosedAt; }
    bool followActiveSpaceEnabled() const { return m_followActiveSpaceEnabled; }
    bool windowIsPinned() const { return m_windowIsPinned; }

    // Start-up: the saved position when the window does not follow the desktops.
    void placeWindowOnPrimaryScreen();
    QScreen *primaryScreen() const;
    bool windowIsOnScreen(const QScreen *screen) const;
    // Onto another screen: centred. On its own screen: to the saved origin when
    // asked and when that still touches the screen. Always kept inside the visible area.
    void moveWindowToScreen(QScreen *screen, bool useSavedPosition);
    // Written once the window has stopped moving for a moment (a drag moves
    // it many times a second), and at the end.
    void rememberWindowOrigin();
    static constexpr int originSaveDelayMs = 500;
    void applySpaceBehavior();
    // Stored, applied to the window at once, and announced (workspace follower, settings).
    void toggleFollowActiveSpace();
    // Nothing after the user closed the window; otherwise shown, raised and made key.
    void bringWindowToFront();
    // Shows the window again even after the user closed it (a task needs the user).
    void reopen();

    // The user asks for the window (status item): shown, raised and made key.
    void showMainWindow();
    // The user puts the window away: it stays away until asked for again.
    void hideMainWindow();
    // Another start of the application: shows the window, unless the user closed
    // it a moment ago (the same click that closed it must not bring it back).
    void applicationShouldHandleReopen();
    // Pinned: the window stays above other windows; unpinned it takes the normal level.
    void toggleWindowPin();
    // The minimum size that goes with the message font scale; a narrower window
    // is widened to it, inside the visible area of its screen.
    void updateWindowMinSize(qreal fontScale);
    // Set while updateWindowMinSize changes the frame: that resize is its own.
    bool isResizingWindowForFontScale() const { return m_isResizingWindowForFontScale; }

signals:
    void windowPinChanged(bool pinned);
    void followActiveSpaceChanged(bool enabled);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void markClosedByUser();
    void applyWindowLevel();
    void applicationStateChanged(Qt::ApplicationState state);
    QDateTime now() const;
    void saveWindowOrigin();

    SettingsStore &m_settings;
    std::function<QDateTime()> m_clock;
    QPointer<TelegramWindow> m_window;
    QTimer m_originSave;
    QPoint m_pendingOrigin;
    bool m_mainWindowClosedByUser = false;
    std::optional<QDateTime> m_mainWindowClosedAt;
    bool m_followActiveSpaceEnabled;
    bool m_windowIsPinned = true;
    bool m_isResizingWindowForFontScale = false;
};
