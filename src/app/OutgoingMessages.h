#pragma once

#include "chat/LastSentMessage.h"
#include "telegram/BotMessage.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

class Alerts;
class BotFaceView;
class BotSelection;
class QWidget;
class TelegramClient;

// What the user does to the selected conversation: sending text, retrying the
// last message, quick reactions, deleting a message, pressing inline buttons,
// downloading and saving attachments, and what Telegram refused.
class OutgoingMessages : public QObject
{
    Q_OBJECT
public:
    struct Dependencies
    {
        std::function<TelegramClient *()> client;
        BotSelection *selection = nullptr;
        BotFaceView *face = nullptr;
        Alerts *alerts = nullptr;
        // Parent of the save panel.
        std::function<QWidget *()> window;
        std::function<QString(QWidget *window, const QString &suggestedName)> chooseSaveLocation;
    };

    explicit OutgoingMessages(Dependencies dependencies, QObject *parent = nullptr);

    const std::optional<LastSentMessage> &lastSentMessage() const { return m_lastSentMessage; }

    // The composer's text, as a reply when the reply bar is open.
    void sendComposerText(const QString &text);
    void retryLastMessage();
    void sendQuickReaction(const QString &reaction, const BotMessage &message);
    void deleteMessage(const BotMessage &message);
    void pressInlineButton(const BotMessage &message, const BotInlineButton &button);
    void downloadAttachment(const BotMessageSegment &segment);
    void saveAttachment(const BotMessageSegment &segment);

    // Sends a file with the composer's text as caption and its reply target;
    // both are used up, and a caption becomes the message to retry.
    using SendWithCaption = std::function<void(TelegramClient &, const QString &caption, const QString &chatID,
                                               const std::optional<QString> &replyTo)>;
    void sendWithCaption(const SendWithCaption &send);

    // A new message list: messages Telegram refused since the last one give
    // their text back to the composer, end the wait and show the reason.
    void messagesChanged(const QList<BotMessage> &previous, const QList<BotMessage> &current);
    // Retry is offered only in the conversation the last message went to.
    void refreshRetry();
    // Signed out: nothing to retry.
    void reset();

private:
    void sendText(const QString &text, const std::optional<QString> &replyTo, bool restoreOnFailure);
    void sendFailed(const QString &text, const QString &error, bool restoreDraft);
    void afterSending(const QString &text, const std::optional<QString> &replyTo);


    Dependencies m_deps;
    std::optional<LastSentMessage> m_lastSentMessage;
};
