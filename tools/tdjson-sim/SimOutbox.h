#pragma once

#include <QByteArray>
#include <condition_variable>
#include <deque>
#include <mutex>

// Answers and updates waiting for td_receive. The text handed out stays alive
// until the next receive, as libtdjson promises.
class SimOutbox
{
public:
    void push(QByteArray text);
    // Blocks up to timeout seconds; nullptr when nothing arrived.
    const char *receive(double timeoutSeconds);
    void clear();

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<QByteArray> m_queue;
    QByteArray m_current;
};
