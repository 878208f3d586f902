#include "app/WindowPresence.h"

#include "chat/FontScale.h"
#include "desktop/WindowPlacement.h"
#include "platform/WindowDesktops.h"
#include "settings/SettingsStore.h"
#include "ui/TelegramWindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace {
// A reopen this soon after the close is the same gesture, not a new request.
constexpr qint64 kReopenGuardMs = 750;
constexpr int kMinimumWindowHeight = 360;
} // namespace

WindowPresence::WindowPresence(SettingsStore &settings, std::function<QDateTime()> clock, QObject *parent)
    : QObject(parent), m_settings(settings), m_clock(std::move(clock)),
      m_followActiveSpaceEnabled(settings.defaultTrueBool(QStringLiteral("followActiveSpaceEnabled")))
{
    m_originSave.setSingleShot(true);
    m_originSave.setInterval(originSaveDelayMs);
    connect(&m_originSave, &QTimer::timeout, this, &WindowPresence::saveWindowOrigin);
}

WindowPresence::~WindowPresence()
{
    if (m_originSave.isActive())
        saveWindowOrigin();
}

void WindowPresence::attach(TelegramWindow *window)
{
    m_window = window;
    connect(window, &TelegramWindow::closedByUser, this, &WindowPresence::markClosedByUser);
    window->installEventFilter(this);
    if (!m_followActiveSpaceEnabled)
        placeWindowOnPrimaryScreen();
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &WindowPresence::applicationStateChanged);
    applyWindowLevel();
}

void WindowPresence::applicationStateChanged(Qt::ApplicationState state)
{
    if (state == Qt::ApplicationActive) {
        if (m_followActiveSpaceEnabled)
            bringWindowToFront();
        return;
    }
    // A pinned window stays above the application that took the focus, without taking it back.
    if (m_windowIsPinned && !m_mainWindowClosedByUser && m_window && m_window->isVisible()) {
        applySpaceBehavior();
        m_window->raise();
    }
}

bool WindowPresence::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Move && watched == m_window)
        rememberWindowOrigin();
    return QObject::eventFilter(watched, event);
}

// Following the active desktop means being on all of them; otherwise the window stays on its own.
void WindowPresence::applySpaceBehavior()
{
    if (m_window && m_window->windowHandle())
        WindowDesktops::setOnAllDesktops(m_window->windowHandle(), m_followActiveSpaceEnabled);
}

void WindowPresence::toggleFollowActiveSpace()
{
    m_followActiveSpaceEnabled = !m_followActiveSpaceEnabled;
    m_settings.setBool(QStringLiteral("followActiveSpaceEnabled"), m_followActiveSpaceEnabled);
    applySpaceBehavior();
    emit followActiveSpaceChanged(m_followActiveSpaceEnabled);
}

void WindowPresence::placeWindowOnPrimaryScreen()
{
    moveWindowToScreen(primaryScreen(), true);
}

QScreen *WindowPresence::primaryScreen() const
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    QList<QRect> frames;
    for (const QScreen *screen : screens)
        frames.append(screen->geometry());
    const int index =
        WindowPlacement::primaryScreenIndex(frames, int(screens.indexOf(QGuiApplication::primaryScreen())));
    return index < 0 ? nullptr : screens.at(index);
}

bool WindowPresence::windowIsOnScreen(const QScreen *screen) const
{
    return m_window && screen && m_window->screen() == screen;
}

void WindowPresence::moveWindowToScreen(QScreen *screen, bool useSavedPosition)
{
    if (!m_window || !screen)
        return;
    std::optional<QPoint> saved;
    if (const auto stored = m_settings.string(QStringLiteral("primaryWindowOrigin")))
        saved = WindowPlacement::parsePointString(*stored);
    const auto target =
        WindowPlacement::targetOrigin(windowIsOnScreen(screen), useSavedPosition, saved,
                                      m_window->frameGeometry().size(), screen->availableGeometry());
    if (!target)
        return;
    m_window->move(*target);
    rememberWindowOrigin();
}

void WindowPresence::rememberWindowOrigin()
{
    if (!m_window)
        return;
    m_pendingOrigin = m_window->pos();
    m_originSave.start();
}

void WindowPresence::saveWindowOrigin()
{
    m_originSave.stop();
    const QString origin = WindowPlacement::pointString(m_pendingOrigin);
    if (m_settings.string(QStringLiteral("primaryWindowOrigin")) != origin)
        m_settings.setString(QStringLiteral("primaryWindowOrigin"), origin);
}

QDateTime WindowPresence::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTimeUtc();
}

void WindowPresence::markClosedByUser()
{
    m_mainWindowClosedByUser = true;
    m_mainWindowClosedAt = now();
}

void WindowPresence::bringWindowToFront()
{
    if (m_mainWindowClosedByUser || !m_window)
        return;
    applySpaceBehavior();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void WindowPresence::reopen()
{
    m_mainWindowClosedByUser = false;
    m_mainWindowClosedAt.reset();
    bringWindowToFront();
}

void WindowPresence::showMainWindow()
{
    m_mainWindowClosedByUser = false;
    m_mainWindowClosedAt.reset();
    if (!m_window)
        return;
    if (m_window->isMinimized())
        m_window->showNormal();
    moveWindowToScreen(QGuiApplication::primaryScreen(), false);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void WindowPresence::hideMainWindow()
{
    markClosedByUser();
    if (m_window)
        m_window->hide();
}

void WindowPresence::applicationShouldHandleReopen()
{
    if (m_mainWindowClosedAt && m_mainWindowClosedAt->msecsTo(now()) < kReopenGuardMs)
        return;
    showMainWindow();
}

void WindowPresence::toggleWindowPin()
{
    m_windowIsPinned = !m_windowIsPinned;
    applyWindowLevel();
    emit windowPinChanged(m_windowIsPinned);
}

void WindowPresence::applyWindowLevel()
{
    if (!m_window)
        return;
    Qt::WindowFlags flags = m_window->windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) == m_windowIsPinned)
        return;
    flags.setFlag(Qt::WindowStaysOnTopHint, m_windowIsPinned);
    // Told to the existing native window directly: setWindowFlags would recreate
    // and hide it, losing its place and the keyboard focus.
    m_window->overrideWindowFlags(flags);
    if (QWindow *handle = m_window->windowHandle())
        handle->setFlags(flags);
}

void WindowPresence::updateWindowMinSize(qreal fontScale)
{
    if (!m_window)
        return;
    const QSize minimum(FontScale::minimumWindowWidth(fontScale), kMinimumWindowHeight);
    const QRect frame = m_window->geometry();
    m_isResizingWindowForFontScale = true;
    // The new minimum alone would already widen the window, without regard to the screen.
    m_window->setMinimumSize(minimum);
    if (frame.width() < minimum.width()) {
        QRect target(frame.topLeft(), QSize(minimum.width(), m_window->height()));
        const QScreen *screen = m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen();
        if (screen)
            target.moveTopLeft(
                WindowPlacement::clampedOrigin(target.topLeft(), target.size(), screen->availableGeometry()));
        m_window->setGeometry(target);
    }
    m_isResizingWindowForFontScale = false;
}

#include "moc_WindowPresence.cpp"
