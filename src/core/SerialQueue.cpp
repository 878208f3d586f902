#include "core/SerialQueue.h"

#include <QSemaphore>

SerialQueue::SerialQueue(const QString &label) : m_label(label), m_context(std::make_unique<QObject>())
{
    m_thread.setObjectName(label);
    m_context->moveToThread(&m_thread);
}

SerialQueue::~SerialQueue()
{
    m_thread.quit();
    m_thread.wait();
    // The context belongs to a finished thread now; deleting it here is safe.
}

void SerialQueue::async(std::function<void()> fn)
{
    std::call_once(m_startOnce, [this] {
        m_thread.start();
        m_started = true;
    });
    QMetaObject::invokeMethod(m_context.get(), std::move(fn), Qt::QueuedConnection);
}

void SerialQueue::drain()
{
    if (isCurrent() || !hasStarted())
        return;
    QSemaphore done;
    async([&done] { done.release(); });
    done.acquire();
}

bool SerialQueue::isCurrent() const { return QThread::currentThread() == &m_thread; }

bool SerialQueue::hasStarted() const
{
    return m_started;
}
