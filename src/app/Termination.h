#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

// The one owner of quitting: the steps before the session closes, the wait for
// TDLib to confirm the close, and the single fallback timer that gives up on a
// library that never answers. Only a real quit arms that timer.
class Termination : public QObject
{
    Q_OBJECT
public:
    explicit Termination(int fallbackMs, QObject *parent = nullptr);

    // Work that must stop before the session closes (agent, scheduled tasks, followers).
    std::function<void()> stopWork;
    // Closes the session; false when there is none to wait for.
    std::function<bool()> closeSession;

    bool isPending() const { return m_pending; }
    void request();
    // TDLib reported its session closed.
    void sessionClosed();

signals:
    // Emitted once: the application may exit now.
    void confirmed();

private:
    void confirm();

    bool m_pending = false;
    bool m_confirmed = false;
    QTimer m_fallback;
};
