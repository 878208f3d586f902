#include "SimScheduler.h"

SimScheduler::SimScheduler() : m_thread([this] { loop(); })
{
}

SimScheduler::~SimScheduler()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_tasks.clear();
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void SimScheduler::postDelayed(int milliseconds, std::function<void()> fn)
{
    const auto due = Clock::now() + std::chrono::milliseconds(qMax(0, milliseconds));
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        m_tasks.emplace(std::make_pair(due, m_sequence++), std::move(fn));
    }
    m_wake.notify_all();
}

void SimScheduler::runAndWait(const std::function<void()> &fn)
{
    if (isWorkerThread()) {
        fn();
        return;
    }
    std::mutex doneMutex;
    std::condition_variable doneWake;
    bool done = false;
    post([&] {
        fn();
        std::lock_guard lock(doneMutex);
        done = true;
        doneWake.notify_all();
    });
    std::unique_lock lock(doneMutex);
    doneWake.wait(lock, [&] { return done; });
}

void SimScheduler::clear()
{
    std::lock_guard lock(m_mutex);
    m_tasks.clear();
}

void SimScheduler::loop()
{
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (m_tasks.empty()) {
            m_wake.wait(lock);
            continue;
        }
        const auto first = m_tasks.begin();
        if (first->first.first > Clock::now()) {
            m_wake.wait_until(lock, first->first.first);
            continue;
        }
        std::function<void()> fn = std::move(first->second);
        m_tasks.erase(first);
        lock.unlock();
        fn();
        lock.lock();
    }
}
