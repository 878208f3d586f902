#pragma once

#include <QObject>

class AeroSpaceWorkspaceFollower;
class QWindow;
class WindowPresence;

// Drives the workspace follower from the follow-active-space setting: on at
// launch or when switched on it starts and reconciles at once, off stops it;
// the application coming forward reconciles; quitting stops it.
class WorkspaceFollowing : public QObject
{
    Q_OBJECT
public:
    WorkspaceFollowing(AeroSpaceWorkspaceFollower &follower, WindowPresence &presence,
                       QObject *parent = nullptr);

    // After the main window is shown.
    void attach(QWindow *window);
    void stop();

private:
    void followingChanged(bool enabled);

    AeroSpaceWorkspaceFollower &m_follower;
    WindowPresence &m_presence;
};
