#pragma once

#include <QtGlobal>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

// The simulator's one worker thread: runs posted functions in order and delayed
// functions at their time. Waits on a condition variable while idle, so an idle
// simulator costs no CPU. Every client's state is touched only on this thread.
class SimScheduler
{
public:
    using Clock = std::chrono::steady_clock;

    SimScheduler();
    ~SimScheduler();
    SimScheduler(const SimScheduler &) = delete;
    SimScheduler &operator=(const SimScheduler &) = delete;

    void post(std::function<void()> fn) { postDelayed(0, std::move(fn)); }
    void postDelayed(int milliseconds, std::function<void()> fn);
    // Runs fn on the worker and waits for it; runs it directly when called on the worker.
    void runAndWait(const std::function<void()> &fn);
    // Drops every pending function (used by reset).
    void clear();
    bool isWorkerThread() const { return std::this_thread::get_id() == m_thread.get_id(); }

private:
    void loop();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    // Keyed by due time, then by submission order, so equal times keep their order.
    std::map<std::pair<Clock::time_point, quint64>, std::function<void()>> m_tasks;
    quint64 m_sequence = 0;
    bool m_stopping = false;
    std::thread m_thread;
};
