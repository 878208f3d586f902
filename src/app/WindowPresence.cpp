#include "app/WindowPresence.h"

#include "settings/SettingsStore.h"
#include "ui/TelegramWindow.h"

#include <QGuiApplication>

WindowPresence::WindowPresence(SettingsStore &settings, QObject *parent)
    : QObject(parent),
      m_followActiveSpaceEnabled(settings.defaultTrueBool(QStringLiteral("followActiveSpaceEnabled")))
{
}

void WindowPresence::attach(TelegramWindow *window)
{
    m_window = window;
    connect(window, &TelegramWindow::closedByUser, this, [this] { m_mainWindowClosedByUser = true; });
    if (!m_followActiveSpaceEnabled)
        placeWindowOnPrimaryScreen();
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && m_followActiveSpaceEnabled)
            bringWindowToFront();
    });
}

void WindowPresence::placeWindowOnPrimaryScreen() {}
void WindowPresence::applySpaceBehavior() {}

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
    bringWindowToFront();
}
