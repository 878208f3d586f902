#pragma once

#include "telegram/BotMessage.h"

#include <QList>
#include <QSet>
#include <QString>

// Whether the bot is shown typing, and the synthetic rows that end the
// transcript: "Typing…" while a reply is expected, or the Mac task's
// progress while a task runs. Timers stay with the controller; this holds
// the flags and decides.
class TypingIndicator
{
public:
    static inline const QString typingItemID = QStringLiteral("typing-indicator");
    static inline const QString macProgressItemID = QStringLiteral("mac-progress");
    static constexpr int typingAnimationIntervalMs = 450;
    static constexpr int remoteTypingExpiryMs = 6000;

    static BotMessage typingItem();
    static BotMessage macProgressItem(const QString &progressText);

    // The animated text after `ticks` ticks: "Typing." "Typing.." "Typing..." "Typing" …
    static QString typingText(int ticks);

    struct MacTask
    {
        bool running = false;
        bool hasStartTime = false;
        QString progressText;
    };

    struct Update
    {
        // The list the transcript should show.
        QList<BotMessage> messages;
        // False when it equals what is displayed: then nothing, timers included, is touched.
        bool changed = false;
        bool animateTyping = false;
        bool animateMacProgress = false;
    };

    bool remoteTypingActive() const { return m_remoteTypingActive; }
    bool awaitingReply() const { return m_awaitingReply; }
    bool isTypingIndicatorShowing() const { return m_isTypingIndicatorShowing; }
    const QSet<QString> &knownIncomingMessageIDs() const { return m_knownIncomingMessageIDs; }

    void setRemoteTyping(bool active) { m_remoteTypingActive = active; }
    // Remembers the incoming messages present now, so the first new one ends the wait.
    void setAwaitingReply(bool awaiting, const QList<BotMessage> &telegramMessages);
    // A new message list: the wait ends when it holds an incoming message not seen
    // when the user sent. Returns whether it ended.
    bool messagesArrived(const QList<BotMessage> &telegramMessages);
    // Selecting another bot forgets every wait.
    void reset();

    Update update(const QList<BotMessage> &telegramMessages, const MacTask &macTask,
                  const QList<BotMessage> &displayedMessages);

    // The bot's messages that exist in Telegram (the synthetic rows are left out).
    static QSet<QString> incomingIDs(const QList<BotMessage> &messages);

private:
    bool m_remoteTypingActive = false;
    bool m_awaitingReply = false;
    bool m_isTypingIndicatorShowing = false;
    QSet<QString> m_knownIncomingMessageIDs;
};
