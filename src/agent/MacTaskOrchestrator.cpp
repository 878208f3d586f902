#include "agent/MacTaskOrchestrator.h"

#include "agent/MacAccessPolicy.h"
#include "agent/MacTaskReplies.h"
#include "agent/PeekabooBridge.h"
#include "agent/PeekabooLog.h"
#include "core/Alerts.h"
#include "core/ProcessRunner.h"

#include <QFileInfo>
#include <QPointer>
#include <algorithm>
#include <limits>

namespace {

using namespace MacTaskReplies;
const QString warning = QStringLiteral("⚠️ ");

// A system action may take its time to return (a suspend returns on wake).
constexpr std::chrono::seconds systemActionTimeLimit{60};

SystemActions::Action platformAction(MacSystemAction action)
{
    switch (action) {
    case MacSystemAction::shutdown:
        return SystemActions::Action::shutdown;
    case MacSystemAction::restart:
        return SystemActions::Action::restart;
    case MacSystemAction::sleep:
        return SystemActions::Action::sleep;
    case MacSystemAction::logOut:
        return SystemActions::Action::logOut;
    case MacSystemAction::lock:
        return SystemActions::Action::lock;
    }
    return SystemActions::Action::lock;
}

struct Outcome
{
    QString header;
    QString status;
    bool repeatText = true;
};

Outcome classify(const PeekabooResult &result)
{
    if (result.text == QLatin1String("Mac task cancelled.") ||
        result.text == QLatin1String("Mac task cancelled"))
        return {QStringLiteral("■ Mac task cancelled"), QStringLiteral("Mac task cancelled."), false};
    if (result.text.startsWith(QLatin1String("Mac task timed out")))
        return {QStringLiteral("✕ Mac task timed out"), QStringLiteral("Mac task timed out.")};
    if (result.succeeded)
        return {QStringLiteral("✓ Mac task finished"), QStringLiteral("Mac task finished.")};
    return {QStringLiteral("✕ Mac task failed"), QStringLiteral("Mac task failed.")};
}

} // namespace

MacTaskOrchestrator::MacTaskOrchestrator(MacAccess &access, PeekabooBridge &bridge, PeekabooLog &log,
                                         Alerts &alerts, Hooks hooks, Options options)
    : m_access(access), m_bridge(bridge), m_log(log), m_alerts(alerts), m_hooks(std::move(hooks)),
      m_options(std::move(options))
{
    if (!m_options.systemActions)
        m_options.systemActions = SystemActions::platformDefault();
    m_macCommandWatchStart = now();
}

MacTaskOrchestrator::MacTaskOrchestrator(MacAccess &access, PeekabooBridge &bridge, PeekabooLog &log,
                                         Alerts &alerts, Hooks hooks)
    : MacTaskOrchestrator(access, bridge, log, alerts, std::move(hooks), Options())
{
}

MacTaskOrchestrator::~MacTaskOrchestrator()
{
    dropScheduledMacTasks();
}

QDateTime MacTaskOrchestrator::now() const
{
    return m_options.clock ? m_options.clock() : QDateTime::currentDateTime();
}

void MacTaskOrchestrator::status(const QString &text) const
{
    if (m_hooks.showStatus)
        m_hooks.showStatus(text);
}

QString MacTaskOrchestrator::cut(const QString &text, qsizetype limit)
{
    if (text.size() <= limit)
        return text;
    qsizetype end = limit;
    if (end > 0 && text.at(end - 1).isHighSurrogate())
        --end;
    return text.left(end) + QStringLiteral("…");
}

bool MacTaskOrchestrator::agentToolMissing(const MacRequest &request) const
{
    return !request.action.isSystem() && !m_bridge.executable();
}

bool MacTaskOrchestrator::isDuplicate(const QString &lowered)
{
    const QDateTime current = now();
    m_recentMacCommands.removeIf(
        [&](const RecentCommand &entry) { return entry.date.msecsTo(current) > 60'000; });
    for (const RecentCommand &entry : std::as_const(m_recentMacCommands)) {
        if (entry.text == lowered && entry.date.msecsTo(current) < 15'000)
            return true;
    }
    m_recentMacCommands.append({lowered, current});
    return false;
}

void MacTaskOrchestrator::handleMacControlMessages(const QList<ChatMessage> &messages)
{
    for (const ChatMessage &message : messages) {
        if (!message.isOutgoing)
            continue;
        const QString trimmed = message.text.trimmed();
        const QString lowered = trimmed.toLower();
        const std::optional<QString> task = MacCommandParser::explicitTask(trimmed);
        if (!task || m_handledMacCommandIDs.contains(message.id))
            continue;
        // Message dates have whole seconds: one sent in the start's own second is not older.
        if (message.date < m_macCommandWatchStart.toSecsSinceEpoch()) {
            m_handledMacCommandIDs.insert(message.id);
            continue;
        }
        const std::optional<MacRequest> request = MacCommandParser::parse(*task, true, now());
        m_handledMacCommandIDs.insert(message.id);
        if (isDuplicate(lowered))
            continue;
        const std::optional<QString> chatID =
            m_hooks.selectedChatID ? m_hooks.selectedChatID() : std::nullopt;
        if (!chatID)
            continue;
        const std::optional<QString> replyTo = message.id;

        if (const auto summary = m_bridge.skills().skillsSummary(*task)) {
            sendMacReply(*summary, *chatID, replyTo);
            continue;
        }
        if (m_access.macAccessLevel() == MacAccessLevel::off) {
            sendMacReply(accessOffReply, *chatID, replyTo);
            continue;
        }
        if (!request) {
            sendMacReply(emptyTaskReply, *chatID, replyTo);
            continue;
        }
        if (agentToolMissing(*request)) {
            sendMacReply(toolMissingReply, *chatID, replyTo);
            continue;
        }
        if (const auto refusal = m_access.readOnlyRefusal(*request)) {
            sendMacReply(warning + *refusal, *chatID, replyTo);
            continue;
        }
        if (m_macTaskRunning) {
            sendMacReply(waitingReply, *chatID, replyTo);
            continue;
        }
        requestApproval(*request, *chatID, replyTo, false);
    }
}

void MacTaskOrchestrator::runDraftAsMacTask(const QString &draft)
{
    const QString trimmed = draft.trimmed();
    const QString task = MacCommandParser::explicitTask(trimmed).value_or(trimmed);
    if (task.isEmpty()) {
        if (m_hooks.beep)
            m_hooks.beep();
        status(QStringLiteral("Type a task after /mac."));
        return;
    }
    const std::optional<QString> chatID = m_hooks.selectedChatID ? m_hooks.selectedChatID() : std::nullopt;
    if (!chatID) {
        status(QStringLiteral("Choose a bot before running a Mac task."));
        return;
    }
    if (const auto summary = m_bridge.skills().skillsSummary(task)) {
        sendMacReply(*summary, *chatID, std::nullopt);
        if (m_hooks.clearComposer)
            m_hooks.clearComposer();
        return;
    }
    QPointer<MacTaskOrchestrator> self(this);
    if (m_macTaskRunning) {
        AlertRequest alert;
        alert.message = QStringLiteral("A Mac task is still running");
        alert.informativeText = QStringLiteral("Wait for it to finish, or cancel it and run this draft.");
        alert.buttons = {QStringLiteral("Cancel running task"), QStringLiteral("Keep waiting")};
        alert.destructiveIndex = 0;
        alert.cancelIndex = 1;
        m_alerts.present(alert, [self](const AlertAnswer &answer) {
            if (!self || answer.buttonIndex != 0 || !self->m_bridge.isRunning())
                return;
            self->m_bridge.cancel();
            self->status(QStringLiteral("Cancelling the running Mac task…"));
        });
        return;
    }
    if (m_access.macAccessLevel() == MacAccessLevel::off) {
        AlertRequest alert;
        alert.message = QStringLiteral("Mac access is off");
        alert.informativeText = QStringLiteral("Choose how much this Mac task may do.");
        alert.buttons = {QStringLiteral("Read only"), QStringLiteral("Full access"),
                         QStringLiteral("Cancel")};
        alert.cancelIndex = 2;
        m_alerts.present(alert, [self, task](const AlertAnswer &answer) {
            if (!self || (answer.buttonIndex != 0 && answer.buttonIndex != 1))
                return;
            const MacAccessLevel level =
                answer.buttonIndex == 0 ? MacAccessLevel::readOnly : MacAccessLevel::full;
            if (const auto line = self->m_access.setMacAccess(level))
                self->status(*line);
            self->continueDraft(task);
        });
        return;
    }
    continueDraft(task);
}

void MacTaskOrchestrator::continueDraft(const QString &task)
{
    // The selection may have changed while a question was open.
    const std::optional<QString> chatID = m_hooks.selectedChatID ? m_hooks.selectedChatID() : std::nullopt;
    if (!chatID) {
        status(QStringLiteral("Choose a bot before running a Mac task."));
        return;
    }
    const std::optional<MacRequest> request = MacCommandParser::parse(task, true, now());
    if (!request)
        return;
    if (agentToolMissing(*request)) {
        sendMacReply(toolMissingReply, *chatID, std::nullopt);
        return;
    }
    if (const auto refusal = m_access.readOnlyRefusal(*request)) {
        status(QStringLiteral("Read-only access refused that task."));
        sendMacReply(warning + *refusal, *chatID, std::nullopt);
        if (m_hooks.clearComposer)
            m_hooks.clearComposer();
        return;
    }
    if (m_hooks.clearComposer)
        m_hooks.clearComposer();
    requestApproval(*request, *chatID, std::nullopt, true);
}

void MacTaskOrchestrator::requestApproval(const MacRequest &request, const QString &chatID,
                                          const std::optional<QString> &replyTo, bool includeTaskInReply)
{
    if (m_hooks.bringToFront)
        m_hooks.bringToFront();
    presentApproval(request, chatID, replyTo, includeTaskInReply);
}

void MacTaskOrchestrator::presentApproval(const MacRequest &request, const QString &chatID,
                                          const std::optional<QString> &replyTo, bool includeTaskInReply)
{
    const bool later = now().msecsTo(request.fireDate) > 1000;
    const QString when = later ? QStringLiteral("at ") + request.timingDescription : QStringLiteral("now");

    AlertRequest alert;
    alert.buttons = {QStringLiteral("Allow"), QStringLiteral("Cancel")};
    alert.style = AlertRequest::Style::Warning;
    alert.cancelIndex = 1;
    if (request.action.isSystem()) {
        alert.message = MacSystemActions::title(request.action.systemAction) + QStringLiteral(" this Mac ") +
                        when + QLatin1Char('?');
        alert.informativeText = QStringLiteral("Requested from Telegram. The action runs on this Mac") +
                                (later ? QStringLiteral(" while Tessaly stays running") : QString()) +
                                QLatin1Char('.');
    } else if (m_access.macAccessLevel() == MacAccessLevel::readOnly) {
        alert.message = QStringLiteral("Run this read-only Mac task ") + when + QLatin1Char('?');
        alert.informativeText =
            QLatin1Char('"') + cut(request.action.task, 500) +
            QStringLiteral("\"\n\nPeekaboo may look at the screen and read state. It will not "
                           "click, type, open apps or change anything on this Mac.");
    } else {
        alert.message = QStringLiteral("Run this Mac task ") + when + QLatin1Char('?');
        alert.informativeText =
            QLatin1Char('"') + cut(request.action.task, 500) +
            QStringLiteral("\"\n\nPeekaboo will control this Mac to complete the task, "
                           "including apps, pointer, and keyboard. Approve only tasks you sent.");
    }

    m_macTaskRunning = true;
    QPointer<MacTaskOrchestrator> self(this);
    m_alerts.present(alert, [self, request, chatID, replyTo, includeTaskInReply](const AlertAnswer &answer) {
        if (!self)
            return;
        self->m_macTaskRunning = false;
        if (answer.buttonIndex != 0) {
            self->sendMacReply(cancelledReply, chatID, replyTo);
            return;
        }
        const std::optional<QString> label = includeTaskInReply && !request.action.isSystem()
                                                 ? std::optional(request.action.task)
                                                 : std::nullopt;
        if (self->now().msecsTo(request.fireDate) > 1000)
            self->scheduleMacTask(request, chatID, replyTo, label);
        else
            self->executeMacRequest(request, chatID, replyTo, label);
    });
}

void MacTaskOrchestrator::executeMacRequest(const MacRequest &request, const QString &chatID,
                                            const std::optional<QString> &replyTo,
                                            const std::optional<QString> &taskLabel)
{
    // Access switched off after approval stops everything, scheduled tasks included.
    if (m_access.macAccessLevel() == MacAccessLevel::off) {
        sendMacReply(accessOffReply, chatID, replyTo);
        return;
    }
    if (request.action.isSystem())
        executeSystemAction(request.action.systemAction, chatID, replyTo);
    else
        startAgentTask(request, chatID, replyTo, taskLabel);
}

void MacTaskOrchestrator::executeSystemAction(MacSystemAction action, const QString &chatID,
                                              const std::optional<QString> &replyTo)
{
    const MacAccessLevel level = m_access.macAccessLevel();
    if (level != MacAccessLevel::full) {
        sendMacReply(QStringLiteral("⚠️ System actions need Full access. Mac access is ") +
                         MacAccessLevels::title(level).toLower() + QLatin1Char('.'),
                     chatID, replyTo);
        return;
    }
    sendMacReply(MacSystemActions::progressReply(action), chatID, replyTo);
    QTimer::singleShot(m_options.systemActionDelay, this, [this, action, chatID, replyTo] {
        runSystemAction(action, [this, action, chatID, replyTo](const std::optional<QString> &error) {
            if (!error) {
                status(QStringLiteral("Mac action completed."));
                return;
            }
            status(QStringLiteral("Mac action failed."));
            sendMacReply(warning + MacSystemActions::title(action) + QStringLiteral(" failed\n\n") + *error,
                         chatID, replyTo);
        });
    });
}

void MacTaskOrchestrator::runSystemAction(MacSystemAction action,
                                          std::function<void(const std::optional<QString> &)> completion)
{
    const SystemActions::Command command =
        m_options.systemActions->command(platformAction(action), MacSystemActions::appleScript(action));
    ProcessRunner::Request request;
    request.program = command.program;
    request.arguments = command.arguments;
    request.capture = ProcessRunner::Capture::Pipes;
    request.timeLimit = systemActionTimeLimit;
    QPointer<MacTaskOrchestrator> self(this);
    ProcessRunner::run(request, [self, command, completion](const ProcessRunner::Result &result) {
        if (!self || !completion)
            return;
        if (!result.started()) {
            // Could not start: the launch error is the failure text.
            completion(result.errorText);
            return;
        }
        if (result.succeeded()) {
            completion(std::nullopt);
            return;
        }
        const QString error = QString::fromUtf8(result.standardError).trimmed();
        if (!error.isEmpty())
            completion(error);
        else if (result.timedOut)
            completion(
                QFileInfo(command.program).fileName() +
                QStringLiteral(" did not finish within %1 seconds.").arg(systemActionTimeLimit.count()));
        else
            completion(SystemActions::exitStatusText(command, result.status));
    });
}

void MacTaskOrchestrator::startAgentTask(const MacRequest &request, const QString &chatID,
                                         const std::optional<QString> &replyTo,
                                         const std::optional<QString> &taskLabel)
{
    const MacAccessLevel level = m_access.macAccessLevel();
    if (!m_bridge.hasCredential()) {
        sendMacReply(
            QStringLiteral("The Mac agent has no credential. Add an API key or sign in with ChatGPT in "
                           "Settings on the Mac."),
            chatID, replyTo);
        return;
    }
    if (level == MacAccessLevel::readOnly) {
        if (const auto verb = MacAccessPolicy::firstWriteVerb(request.action.task)) {
            sendMacReply(warning + MacAccessPolicy::refusalText(*verb), chatID, replyTo);
            return;
        }
    }
    // An agent that outlived the watchdog still occupies the runner.
    if (m_macTaskRunning || m_bridge.isRunning()) {
        sendMacReply(QStringLiteral("A Mac task is already running. Wait for it to finish."), chatID,
                     replyTo);
        return;
    }
    m_macTaskRunning = true;
    status(level == MacAccessLevel::readOnly ? QStringLiteral("Running read-only Mac task…")
                                             : QStringLiteral("Running Mac task from Telegram…"));
    beginMacTaskProgress();
    armMacTaskWatchdog(chatID, replyTo);
    sendMacReply(QStringLiteral("▸ Mac task started\n\n") + cut(request.action.task, 160), chatID, replyTo);

    const quint64 run = ++m_currentRun;
    m_activeRun = run;
    QPointer<MacTaskOrchestrator> self(this);
    m_bridge.run(
        request.action.task, level,
        [self, run](const QString &step) {
            if (self && self->m_macTaskRunning && self->m_activeRun == run)
                self->m_macTaskActivity = step;
        },
        [self, run, chatID, replyTo, taskLabel](const PeekabooResult &result) {
            if (self)
                self->finishRun(run, result, chatID, replyTo, taskLabel);
        });
}

void MacTaskOrchestrator::armMacTaskWatchdog(const QString &chatID, const std::optional<QString> &replyTo)
{
    delete m_macTaskWatchdog;
    m_macTaskWatchdog = new QTimer(this);
    m_macTaskWatchdog->setSingleShot(true);
    m_macTaskWatchdog->setInterval(m_options.watchdogInterval);
    connect(m_macTaskWatchdog, &QTimer::timeout, this, [this, chatID, replyTo] {
        if (!m_macTaskRunning)
            return;
        m_macTaskRunning = false;
        m_macTaskWatchdog->deleteLater();
        m_macTaskWatchdog = nullptr;
        m_activeRun.reset();
        endMacTaskProgress();
        status(QStringLiteral("Mac task timed out."));
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(m_options.watchdogInterval).count();
        m_log.append(QStringLiteral("WATCHDOG: no result after %1s, ending the task").arg(seconds));
        sendMacReply(QStringLiteral("✕ Mac task timed out before Peekaboo reported a result."), chatID,
                     replyTo);
    });
    m_macTaskWatchdog->start();
}

void MacTaskOrchestrator::finishRun(quint64 run, const PeekabooResult &result, const QString &chatID,
                                    const std::optional<QString> &replyTo,
                                    const std::optional<QString> &taskLabel)
{
    // A late result of a run the watchdog gave up on must not end a newer
    // approval or task; it is still reported.
    if (m_activeRun == run || !m_macTaskRunning)
        finishMacTask(result, chatID, replyTo, taskLabel);
    else
        reportResult(result, chatID, replyTo, taskLabel);
}

void MacTaskOrchestrator::finishMacTask(const PeekabooResult &result, const QString &chatID,
                                        const std::optional<QString> &replyTo,
                                        const std::optional<QString> &taskLabel)
{
    delete m_macTaskWatchdog;
    m_macTaskWatchdog = nullptr;
    m_macTaskRunning = false;
    m_activeRun.reset();
    endMacTaskProgress();
    reportResult(result, chatID, replyTo, taskLabel);
}

void MacTaskOrchestrator::reportResult(const PeekabooResult &result, const QString &chatID,
                                       const std::optional<QString> &replyTo,
                                       const std::optional<QString> &taskLabel)
{
    const Outcome outcome = classify(result);
    status(outcome.status);
    sendMacReply(
        outcome.header + QStringLiteral("\n\n") +
            (taskLabel ? QStringLiteral("Task: ") + *taskLabel + QStringLiteral("\n\n") : QString()) +
            (outcome.repeatText ? result.text : QString()),
        chatID, replyTo);
}

void MacTaskOrchestrator::sendMacReply(const QString &text, const QString &chatID,
                                       const std::optional<QString> &replyTo)
{
    if (!m_hooks.sendMessage)
        return;
    QPointer<MacTaskOrchestrator> self(this);
    m_hooks.sendMessage(cut(text, replyLimit), chatID, replyTo, [self](const std::optional<QString> &error) {
        if (self && error)
            self->status(QStringLiteral("Mac reply failed: ") + *error);
    });
}

QString MacTaskOrchestrator::macProgressText() const
{
    const qint64 elapsed = m_macTaskStartedAt ? m_macTaskStartedAt->secsTo(now()) : 0;
    if (m_macTaskActivity)
        return QStringLiteral("Working on Mac task · ") + *m_macTaskActivity + QStringLiteral(" · ") +
               QString::number(elapsed) + QLatin1Char('s');
    return QStringLiteral("Working on Mac task… ") + QString::number(elapsed) + QLatin1Char('s');
}

void MacTaskOrchestrator::beginMacTaskProgress()
{
    m_macTaskStartedAt = now();
    m_macTaskActivity.reset();
    if (m_hooks.setSubtitle)
        m_hooks.setSubtitle(QStringLiteral("Mac task running…"));
    if (m_hooks.progressChanged)
        m_hooks.progressChanged();
}

void MacTaskOrchestrator::endMacTaskProgress()
{
    m_macTaskStartedAt.reset();
    m_macTaskActivity.reset();
    delete m_macProgressTimer;
    m_macProgressTimer = nullptr;
    if (m_hooks.setSubtitle)
        m_hooks.setSubtitle(m_hooks.selectedChatTitle ? m_hooks.selectedChatTitle() : QString());
    if (m_hooks.progressChanged)
        m_hooks.progressChanged();
}

void MacTaskOrchestrator::startMacProgressAnimation()
{
    delete m_macProgressTimer;
    m_macProgressTimer = nullptr;
    if (!m_hooks.setProgressRowText || !m_hooks.setProgressRowText(macProgressText()))
        return;
    m_macProgressTimer = new QTimer(this);
    m_macProgressTimer->setInterval(m_options.progressInterval);
    connect(m_macProgressTimer, &QTimer::timeout, this, [this] {
        if (m_hooks.setProgressRowText)
            m_hooks.setProgressRowText(macProgressText());
    });
    m_macProgressTimer->start();
}

#include "moc_MacTaskOrchestrator.cpp"
