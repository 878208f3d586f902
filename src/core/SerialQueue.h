#pragma once

#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

// A labelled serial work queue: one worker thread that runs the submitted
// functions one after another, in order. The thread starts with the first
// function, so a queue that is never used costs no thread. Destruction quits
// and waits, so shutdown is orderly.
class SerialQueue
{
public:
    explicit SerialQueue(const QString &label);
    ~SerialQueue();
    SerialQueue(const SerialQueue &) = delete;
    SerialQueue &operator=(const SerialQueue &) = delete;

    const QString &label() const { return m_label; }
    void async(std::function<void()> fn);
    // Blocks the caller until every function submitted so far has run.
    void drain();
    bool isCurrent() const;
    // True once a function was submitted (and with it the thread started).
    bool hasStarted() const;
    // Lets tests and callers hop onto the queue's thread with signal/slot connections.
    QObject *context() const { return m_context.get(); }

private:
    QString m_label;
    QThread m_thread;
    std::once_flag m_startOnce;
    std::atomic<bool> m_started{false};
    std::unique_ptr<QObject> m_context;
};
