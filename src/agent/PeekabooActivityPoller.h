#pragma once

#include "core/SerialQueue.h"

#include <QString>
#include <chrono>
#include <functional>

class PeekabooLog;
class QTimer;

// Follows the agent's error file while it runs and reports its current step:
// once a second, on its own serial queue, the last progress line is read and,
// when it is new and not blank, logged as "STEP …" and handed on.
class PeekabooActivityPoller
{
public:
    explicit PeekabooActivityPoller(PeekabooLog &log);
    ~PeekabooActivityPoller();
    PeekabooActivityPoller(const PeekabooActivityPoller &) = delete;
    PeekabooActivityPoller &operator=(const PeekabooActivityPoller &) = delete;

    // onStep runs on the poller's queue; a later start replaces an earlier one.
    void start(const QString &errorFilePath, std::function<void(const QString &)> onStep,
               std::chrono::milliseconds interval = std::chrono::seconds(1));
    void stop();

private:
    void poll();
    void stopTimer();

    PeekabooLog &m_log;
    SerialQueue m_queue;
    // Touched on the queue only.
    QTimer *m_timer = nullptr;
    QString m_path;
    QString m_lastStep;
    std::function<void(const QString &)> m_onStep;
};
