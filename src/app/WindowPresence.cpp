#include "app/WindowPresence.h"

#include "settings/SettingsStore.h"
#include "ui/TelegramWindow.h"

#include <QGuiApplication>
#include <QWindow>

namespace {
// A reopen this soon after the close is the same gesture, not a new request.
constexpr qint64 kReopenGuardMs = 750;
} // namespace

WindowPresence::WindowPresence(SettingsStore &settings, std::function<QDateTime()> clock, QObject *parent)
    : QObject(parent), m_clock(std::move(clock)),
      m_followActiveSpaceEnabled(settings.defaultTrueBool(QStringLiteral("followActiveSpaceEnabled")))
{
}

void WindowPresence::attach(TelegramWindow *window)
{
    m_window = window;
    connect(window, &TelegramWindow::closedByUser, this, &WindowPresence::markClosedByUser);
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

void WindowPresence::placeWindowOnPrimaryScreen()
{
}
void WindowPresence::applySpaceBehavior()
{
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
