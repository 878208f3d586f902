#include "SimOutbox.h"

#include <chrono>
#include <cmath>

void SimOutbox::push(QByteArray text)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(text));
    }
    m_wake.notify_one();
}

const char *SimOutbox::receive(double timeoutSeconds)
{
    std::unique_lock lock(m_mutex);
    // NaN, negative and absurd timeouts are clamped rather than trusted.
    if (!(timeoutSeconds > 0))
        timeoutSeconds = 0;
    timeoutSeconds = std::min(timeoutSeconds, 86400.0 * 365);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::microseconds(qint64(timeoutSeconds * 1e6));
    m_wake.wait_until(lock, deadline, [this] { return !m_queue.empty(); });
    if (m_queue.empty())
        return nullptr;
    m_current = std::move(m_queue.front());
    m_queue.pop_front();
    return m_current.constData();
}

void SimOutbox::clear()
{
    std::lock_guard lock(m_mutex);
    m_queue.clear();
}
