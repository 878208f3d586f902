#include "app/WorkspaceFollowing.h"

#include "app/WindowPresence.h"
#include "desktop/AeroSpaceWorkspaceFollower.h"

#include <QGuiApplication>

WorkspaceFollowing::WorkspaceFollowing(AeroSpaceWorkspaceFollower &follower, WindowPresence &presence,
                                       QObject *parent)
    : QObject(parent), m_follower(follower), m_presence(presence)
{
    connect(&presence, &WindowPresence::followActiveSpaceChanged, this,
            &WorkspaceFollowing::followingChanged);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            m_follower.reconcileNow();
    });
}

void WorkspaceFollowing::attach(QWindow *window)
{
    m_follower.attach(window);
    followingChanged(m_presence.followActiveSpaceEnabled());
}

void WorkspaceFollowing::stop()
{
    m_follower.stop();
}

void WorkspaceFollowing::followingChanged(bool enabled)
{
    if (enabled) {
        m_follower.start();
        m_follower.reconcileNow();
    } else {
        m_follower.stop();
    }
}

#include "moc_WorkspaceFollowing.cpp"
