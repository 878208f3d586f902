#include "agent/PeekabooActivityPoller.h"

#include "agent/PeekabooLog.h"
#include "agent/PeekabooOutput.h"

#include <QFile>
#include <QTimer>

PeekabooActivityPoller::PeekabooActivityPoller(PeekabooLog &log)
    : m_log(log), m_queue(QStringLiteral("com.hollowmere.quayline.peekaboo-activity"))
{
}

PeekabooActivityPoller::~PeekabooActivityPoller()
{
    stop();
    m_queue.drain();
}

void PeekabooActivityPoller::start(const QString &errorFilePath, std::function<void(const QString &)> onStep,
                                   std::chrono::milliseconds interval)
{
    m_queue.async([this, errorFilePath, onStep = std::move(onStep), interval] {
        stopTimer();
        m_path = errorFilePath;
        m_lastStep.clear();
        m_onStep = onStep;
        m_timer = new QTimer(m_queue.context());
        m_timer->setTimerType(Qt::PreciseTimer);
        m_timer->setInterval(interval);
        QObject::connect(m_timer, &QTimer::timeout, m_queue.context(), [this] { poll(); });
        m_timer->start();
    });
}

void PeekabooActivityPoller::stop()
{
    if (!m_queue.hasStarted())
        return;
    m_queue.async([this] { stopTimer(); });
}

void PeekabooActivityPoller::stopTimer()
{
    delete m_timer;
    m_timer = nullptr;
    m_onStep = nullptr;
}

namespace {

constexpr qint64 tailLimit = 64 * 1024;

} // namespace

void PeekabooActivityPoller::poll()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // The step is the last line; a tool printing without end must not make
    // every poll read all of it.
    if (file.size() > tailLimit)
        file.seek(file.size() - tailLimit);
    // Broken bytes are repaired, so that later steps still show.
    const QString text = QString::fromUtf8(file.readAll());
    const QString step = PeekabooOutput::currentStep(text);
    if (step.isEmpty() || step == m_lastStep)
        return;
    m_lastStep = step;
    m_log.append(QStringLiteral("STEP ") + step);
    if (m_onStep)
        m_onStep(step);
}
