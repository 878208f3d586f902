#pragma once

#include "agent/MacAccess.h"
#include "agent/MacCommandParser.h"
#include "agent/PeekabooOutput.h"
#include "platform/SystemActions.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QUuid>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class Alerts;
class PeekabooBridge;
class PeekabooLog;

// Mac tasks from the chat ("/mac" messages the user's own account sends from
// any device) and from the composer: checked against the access level,
// approved by the user at this computer, run now or at their time (a system
// action or an agent task), guarded by a watchdog and reported back into the
// chat. At most one approval or agent task is active at a time. Everything
// runs on the main thread; the window is reached only through the hooks.
class MacTaskOrchestrator : public QObject
{
    Q_OBJECT
public:
    static constexpr qsizetype replyLimit = 3800;

    // What the orchestration needs of a chat message.
    struct ChatMessage
    {
        QString id;
        QString text;
        bool isOutgoing = false;
        // Seconds since the epoch.
        qint64 date = 0;
    };

    using SendCompletion = std::function<void(const std::optional<QString> &error)>;

    struct Hooks
    {
        // Sends a text as the user into a chat; null while there is no Telegram client.
        std::function<void(const QString &text, const QString &chatID, const std::optional<QString> &replyTo,
                           SendCompletion completion)>
            sendMessage;
        std::function<std::optional<QString>()> selectedChatID;
        std::function<QString()> selectedChatTitle;
        // The window's status line.
        std::function<void(const QString &)> showStatus;
        std::function<void(const QString &)> setSubtitle;
        // The progress state changed: refresh the title bar and the typing indicator.
        std::function<void()> progressChanged;
        // Sets the transcript's last row's thinking text; false when the last
        // view is not a message row.
        std::function<bool(const QString &)> setProgressRowText;
        // Forgets that the user closed the window, activates the application
        // and brings the window to the front.
        std::function<void()> bringToFront;
        std::function<void()> beep;
        // Empties the composer and refreshes its colouring, completion,
        // placeholder and height.
        std::function<void()> clearComposer;
    };

    struct Options
    {
        // Null: the system clock.
        std::function<QDateTime()> clock;
        std::chrono::milliseconds watchdogInterval{std::chrono::seconds(600)};
        std::chrono::milliseconds systemActionDelay{std::chrono::seconds(1)};
        std::chrono::milliseconds progressInterval{std::chrono::seconds(1)};
        // Null: this OS's backend.
        std::shared_ptr<SystemActions> systemActions;
        // Waits for a scheduled task's time on the main thread, then runs the
        // work unless the context is gone by then. Null: a precise timer.
        // Tests end the waits themselves, with the clock moved on.
        std::function<void(std::chrono::milliseconds, QObject *context, std::function<void()> work)> wait;
    };

    MacTaskOrchestrator(MacAccess &access, PeekabooBridge &bridge, PeekabooLog &log, Alerts &alerts,
                        Hooks hooks, Options options);
    MacTaskOrchestrator(MacAccess &access, PeekabooBridge &bridge, PeekabooLog &log, Alerts &alerts,
                        Hooks hooks);
    ~MacTaskOrchestrator() override;

    // Every message list of the selected chat, in list order.
    void handleMacControlMessages(const QList<ChatMessage> &messages);
    // The composer's draft as a Mac task.
    void runDraftAsMacTask(const QString &draft);

    void requestApproval(const MacRequest &request, const QString &chatID,
                         const std::optional<QString> &replyTo, bool includeTaskInReply);
    void scheduleMacTask(const MacRequest &request, const QString &chatID,
                         const std::optional<QString> &replyTo, const std::optional<QString> &taskLabel);
    void executeMacRequest(const MacRequest &request, const QString &chatID,
                           const std::optional<QString> &replyTo, const std::optional<QString> &taskLabel);
    void armMacTaskWatchdog(const QString &chatID, const std::optional<QString> &replyTo);
    void finishMacTask(const PeekabooResult &result, const QString &chatID,
                       const std::optional<QString> &replyTo, const std::optional<QString> &taskLabel);
    // The completion receives an error text, or none on success, on the main thread.
    void runSystemAction(MacSystemAction action,
                         std::function<void(const std::optional<QString> &)> completion);
    void sendMacReply(const QString &text, const QString &chatID, const std::optional<QString> &replyTo);

    QString macProgressText() const;
    void beginMacTaskProgress();
    void endMacTaskProgress();
    // The transcript (re)showed the progress row.
    void startMacProgressAnimation();

    // Quitting: tasks waiting for their time are dropped.
    void dropScheduledMacTasks();

    QDateTime macCommandWatchStart() const { return m_macCommandWatchStart; }
    const QSet<QString> &handledMacCommandIDs() const { return m_handledMacCommandIDs; }
    bool macTaskRunning() const { return m_macTaskRunning; }
    bool hasMacTaskWatchdog() const { return m_macTaskWatchdog != nullptr; }
    std::optional<QDateTime> macTaskStartedAt() const { return m_macTaskStartedAt; }
    std::optional<QString> macTaskActivity() const { return m_macTaskActivity; }
    bool isProgressAnimating() const { return m_macProgressTimer != nullptr; }
    qsizetype scheduledMacTaskCount() const { return m_scheduledMacTasks.size(); }

    // Texts longer than limit: their first limit characters and "…" (never
    // splitting a surrogate pair).
    static QString cut(const QString &text, qsizetype limit);

private:
    struct RecentCommand
    {
        QString text;
        QDateTime date;
    };

    QDateTime now() const;
    void status(const QString &text) const;
    bool isDuplicate(const QString &lowered);
    bool agentToolMissing(const MacRequest &request) const;
    void continueDraft(const QString &task);
    void waitForScheduledTime(const QUuid &id, const MacRequest &request, const QString &chatID,
                              const std::optional<QString> &replyTo, const std::optional<QString> &taskLabel);
    void presentApproval(const MacRequest &request, const QString &chatID,
                         const std::optional<QString> &replyTo, bool includeTaskInReply);
    void startAgentTask(const MacRequest &request, const QString &chatID,
                        const std::optional<QString> &replyTo, const std::optional<QString> &taskLabel);
    void executeSystemAction(MacSystemAction action, const QString &chatID,
                             const std::optional<QString> &replyTo);
    void finishRun(quint64 run, const PeekabooResult &result, const QString &chatID,
                   const std::optional<QString> &replyTo, const std::optional<QString> &taskLabel);
    void reportResult(const PeekabooResult &result, const QString &chatID,
                      const std::optional<QString> &replyTo, const std::optional<QString> &taskLabel);

    MacAccess &m_access;
    PeekabooBridge &m_bridge;
    PeekabooLog &m_log;
    Alerts &m_alerts;
    Hooks m_hooks;
    Options m_options;

    QDateTime m_macCommandWatchStart;
    QSet<QString> m_handledMacCommandIDs;
    QList<RecentCommand> m_recentMacCommands;
    bool m_macTaskRunning = false;
    QTimer *m_macTaskWatchdog = nullptr;
    std::optional<QDateTime> m_macTaskStartedAt;
    std::optional<QString> m_macTaskActivity;
    QTimer *m_macProgressTimer = nullptr;
    // One object per task waiting for its time: deleting it cancels the wait.
    QHash<QUuid, QObject *> m_scheduledMacTasks;
    // The agent run whose result ends the running task; a result of an
    // earlier run (after the watchdog gave up on it) is only reported.
    quint64 m_currentRun = 0;
    std::optional<quint64> m_activeRun;
};
