#pragma once

#include "chat/TranscriptPlan.h"
#include "chat/TypingIndicator.h"
#include "ui/TelegramMessageRow.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class AudioPlayback;
class MermaidRenderer;
class MessageSpeaker;
class TranscriptView;

// What the controller does with a row's actions (the application wires them
// to the Telegram client, the composer and the delete sheet).
struct TranscriptActions
{
    std::function<void(const BotMessage &)> reply;
    std::function<void(const BotMessage &, const QString &reaction)> reaction;
    std::function<void(const BotMessage &)> remove;
    std::function<void(const BotMessage &, const BotInlineButton &)> inlineButton;
    std::function<void(const BotMessageSegment &)> downloadAttachment;
    std::function<void(const BotMessageSegment &)> saveAttachment;
};

// The transcript's state and refresh: what is displayed, the search filter,
// the typing and Mac progress items with their timers, and the hand-off of
// new bot messages to read-aloud. The view holds the rows.
class TranscriptController : public QObject
{
    Q_OBJECT
public:
    TranscriptController(TranscriptView *view, AudioPlayback *audio, MessageSpeaker *speaker,
                         MermaidRenderer *diagrams, QObject *parent = nullptr);

    TranscriptActions actions;
    // New bot messages that may be read aloud (after the history of a selection).
    std::function<void(const QList<BotMessage> &)> onFreshMessages;
    // The `autoReadNewMessages` setting.
    std::function<bool()> autoReadEnabled;

    void showMessages(const QList<BotMessage> &messages, bool scrollToBottom, bool forceRebuild);
    QList<BotMessage> filteredMessages(const QList<BotMessage> &messages) const;

    // The selected conversation's messages as last published.
    void setTelegramMessages(const QList<BotMessage> &messages) { m_telegramMessages = messages; }
    const QList<BotMessage> &telegramMessages() const { return m_telegramMessages; }
    void updateTypingIndicator();
    void setRemoteTyping(bool active);
    void setAwaitingReply(bool awaiting);
    // A new message list arrived: ends the wait when a new bot message is in it.
    void messagesArrived();
    // Selecting another bot: no typing, no wait, no read-aloud until its history came.
    void resetForSelection();
    // Signed out: no conversation, no messages, no typing or wait left to bring old rows back.
    void reset();
    // The running Mac task whose progress ends the transcript; nothing when none runs.
    void setMacTask(const std::optional<TypingIndicator::MacTask> &task);
    AutoReadGate &autoReadGate() { return m_autoReadGate; }

    void searchChanged(const QString &fieldText);
    const QString &searchQuery() const { return m_searchQuery; }
    void clearSearch() { m_searchQuery.clear(); }

    void setConversation(const std::optional<QString> &chatID);
    bool hasConversation() const { return m_chatID.has_value(); }
    // Font scale and theme rebuild every row without scrolling.
    void setFontScale(qreal scale);
    void setTheme(const UiTheme &theme);
    const UiTheme &theme() const { return m_context.theme; }

    bool remoteTypingActive() const { return m_typing.remoteTypingActive(); }
    bool awaitingReply() const { return m_typing.awaitingReply(); }
    bool isTypingIndicatorShowing() const { return m_typing.isTypingIndicatorShowing(); }
    const QList<BotMessage> &displayedMessages() const { return m_displayedMessages; }
    bool isTypingAnimating() const { return m_typingTimer.isActive(); }
    // How long a typing notice lasts; tests shorten it.
    void setTypingExpiryInterval(int milliseconds) { m_typingExpireTimer.setInterval(milliseconds); }

    TelegramMessageRow *makeMessageRow(const BotMessage &message);
    TranscriptView *view() const { return m_view; }

signals:
    // The Mac progress item was (re)shown: its animation is the orchestration's.
    void macProgressShown();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // updateTypingIndicator, scrolled to the end when asked.
    void refresh(bool scrollToBottom);
    void startTypingAnimation();
    void typingTick();

    TranscriptView *m_view;
    MessageRowContext m_context;
    std::optional<QString> m_chatID;
    QList<BotMessage> m_telegramMessages;
    QList<BotMessage> m_displayedMessages;
    QString m_searchQuery;
    TypingIndicator m_typing;
    std::optional<TypingIndicator::MacTask> m_macTask;
    AutoReadGate m_autoReadGate;
    QTimer m_typingTimer;
    QTimer m_typingExpireTimer;
    int m_typingTicks = 0;
};
