// Tasks approved for a later time: each waits for its time, and quitting drops them.
#include "agent/MacTaskOrchestrator.h"

#include <QTimer>
#include <algorithm>
#include <limits>

namespace {

// The longest single wait of a timer, in milliseconds.
constexpr qint64 longestTimerWait = std::numeric_limits<int>::max();

} // namespace

void MacTaskOrchestrator::scheduleMacTask(const MacRequest &request, const QString &chatID,
                                          const std::optional<QString> &replyTo,
                                          const std::optional<QString> &taskLabel)
{
    const QUuid id = QUuid::createUuid();
    m_scheduledMacTasks.insert(id, new QObject(this));
    waitForScheduledTime(id, request, chatID, replyTo, taskLabel);

    const QString label = request.action.isSystem()
                              ? MacSystemActions::title(request.action.systemAction).toLower()
                              : QStringLiteral("Mac task");
    sendMacReply(QStringLiteral("Scheduled ") + label + QStringLiteral(" for ") + request.timingDescription +
                     QStringLiteral(". Keep this app running."),
                 chatID, replyTo);
}

void MacTaskOrchestrator::waitForScheduledTime(const QUuid &id, const MacRequest &request,
                                               const QString &chatID, const std::optional<QString> &replyTo,
                                               const std::optional<QString> &taskLabel)
{
    QObject *pending = m_scheduledMacTasks.value(id);
    if (!pending)
        return;
    // A timer waits at most about 24 days; a later time is reached in steps.
    const qint64 wait = std::clamp<qint64>(now().msecsTo(request.fireDate), 500, longestTimerWait);
    auto work = [this, id, wait, request, chatID, replyTo, taskLabel] {
        if (wait == longestTimerWait && now().msecsTo(request.fireDate) > 0) {
            waitForScheduledTime(id, request, chatID, replyTo, taskLabel);
            return;
        }
        if (QObject *done = m_scheduledMacTasks.take(id))
            done->deleteLater();
        executeMacRequest(request, chatID, replyTo, taskLabel);
    };
    if (m_options.wait)
        m_options.wait(std::chrono::milliseconds(wait), pending, std::move(work));
    else
        QTimer::singleShot(std::chrono::milliseconds(wait), Qt::PreciseTimer, pending, std::move(work));
}

void MacTaskOrchestrator::dropScheduledMacTasks()
{
    qDeleteAll(m_scheduledMacTasks);
    m_scheduledMacTasks.clear();
}
