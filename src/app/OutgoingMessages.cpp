#include "app/OutgoingMessages.h"

#include "chat/BotSelection.h"
#include "chat/ComposerInput.h"
#include "chat/ReactionMessage.h"
#include "core/Guarded.h"
#include "core/MainThread.h"
#include "core/SafeFileCopy.h"
#include "telegram/TelegramClient.h"
#include "ui/BotFaceView.h"
#include "ui/MessageDeletion.h"
#include "ui/TranscriptController.h"

#include <QFileDialog>
#include <QSet>

OutgoingMessages::OutgoingMessages(Dependencies dependencies, QObject *parent)
    : QObject(parent), m_deps(std::move(dependencies))
{
}

void OutgoingMessages::sendComposerText(const QString &text)
{
    const QString draft = ComposerInput::draftText(text);
    if (!ComposerInput::canSend(text, m_deps.selection->selectedChat().has_value()))
        return;
    const std::optional<QString> replyTo = m_deps.face->replyTargetID();
    // Cleared first: a refusal, even an immediate one, puts the text back.
    m_deps.face->clearComposer();
    sendText(draft, replyTo, true);
}

void OutgoingMessages::retryLastMessage()
{
    if (!m_lastSentMessage || !m_lastSentMessage->canRetryIn(m_deps.selection->selectedChatID()))
        return;
    const LastSentMessage last = *m_lastSentMessage;
    sendText(last.text, last.replyToMessageID, false);
}

void OutgoingMessages::sendQuickReaction(const QString &reaction, const BotMessage &message)
{
    if (!m_deps.selection->selectedChat())
        return;
    sendText(QuickReaction::text(reaction, message), message.id, false);
}

void OutgoingMessages::sendText(const QString &text, const std::optional<QString> &replyTo, bool restoreOnFailure)
{
    const QString chatID = m_deps.selection->selectedChat()->id;
    afterSending(text, replyTo);
    TelegramClient *client = m_deps.client();
    if (!client) {
        sendFailed(text, QStringLiteral("Telegram is not connected."), restoreOnFailure);
        return;
    }
    // The verdict comes on the receive thread; a refused text must not be lost.
    client->sendMessage(text, chatID, replyTo,
                        [self = QPointer<OutgoingMessages>(this), text,
                         restoreOnFailure](const std::optional<QString> &error) {
                            if (!error)
                                return;
                            MainThread::post([self, text, restoreOnFailure, error] {
                                if (self)
                                    self->sendFailed(text, *error, restoreOnFailure);
                            });
                        });
}

void OutgoingMessages::sendFailed(const QString &text, const QString &error, bool restoreDraft)
{
    if (restoreDraft)
        m_deps.face->restoreDraft(text);
    m_deps.face->transcript()->setAwaitingReply(false);
    m_deps.face->showStatus(QStringLiteral("Telegram error: ") + error);
}

void OutgoingMessages::messagesChanged(const QList<BotMessage> &previous, const QList<BotMessage> &current)
{
    QSet<QString> knownFailures;
    for (const BotMessage &message : previous) {
        if (message.sendFailed)
            knownFailures.insert(message.id);
    }
    QStringList texts;
    QString reason;
    for (const BotMessage &message : current) {
        if (!message.sendFailed || !message.isOutgoing || knownFailures.contains(message.id))
            continue;
        if (!message.text.isEmpty())
            texts.append(message.text);
        if (reason.isEmpty())
            reason = message.sendFailureReason;
    }
    if (texts.isEmpty() && reason.isEmpty())
        return;
    // Parts of one long text fail together: they come back once, in order.
    sendFailed(texts.join(QLatin1Char('\n')),
               reason.isEmpty() ? QStringLiteral("Telegram rejected the message.") : reason, !texts.isEmpty());
}

void OutgoingMessages::afterSending(const QString &text, const std::optional<QString> &replyTo)
{
    m_lastSentMessage = LastSentMessage{m_deps.selection->selectedChat()->id, text, replyTo};
    m_deps.face->setRetryEnabled(true);
    m_deps.face->transcript()->setAwaitingReply(true);
}

void OutgoingMessages::refreshRetry()
{
    m_deps.face->setRetryEnabled(m_lastSentMessage &&
                                 m_lastSentMessage->canRetryIn(m_deps.selection->selectedChatID()));
}

void OutgoingMessages::reset()
{
    m_lastSentMessage.reset();
    m_deps.face->setRetryEnabled(false);
}

void OutgoingMessages::deleteMessage(const BotMessage &message)
{
    const auto chatID = m_deps.selection->selectedChatID();
    if (!chatID)
        return;
    const QString messageID = message.id;
    MessageDeletion::confirm(*m_deps.alerts, message,
                             guarded(this, [this, chatID = *chatID, messageID](bool forEveryone) {
                                 // Gone from the window at once; the timeline follows TDLib's confirmation.
                                 TranscriptController *transcript = m_deps.face->transcript();
                                 QList<BotMessage> messages = transcript->telegramMessages();
                                 messages.removeIf([&](const BotMessage &m) { return m.id == messageID; });
                                 transcript->setTelegramMessages(messages);
                                 transcript->updateTypingIndicator();
                                 if (TelegramClient *client = m_deps.client())
                                     client->deleteMessage(messageID, chatID, forEveryone);
                                 m_deps.face->showStatus(QStringLiteral("Message deleted."));
                             }));
}

void OutgoingMessages::pressInlineButton(const BotMessage &message, const BotInlineButton &button)
{
    const auto chatID = m_deps.selection->selectedChatID();
    if (TelegramClient *client = m_deps.client(); client && chatID)
        client->pressInlineButton(button, message.id, *chatID);
}

void OutgoingMessages::downloadAttachment(const BotMessageSegment &segment)
{
    if (TelegramClient *client = m_deps.client(); client && !segment.fileID.isEmpty())
        client->downloadFile(segment.fileID);
}

void OutgoingMessages::saveAttachment(const BotMessageSegment &segment)
{
    if (!segment.localPath || segment.localPath->isEmpty())
        return;
    QWidget *window = m_deps.window ? m_deps.window() : nullptr;
    // The panel asks before replacing an existing file.
    const QString target = m_deps.chooseSaveLocation ? m_deps.chooseSaveLocation(window, segment.name)
                                                     : QFileDialog::getSaveFileName(window, QString(), segment.name);
    if (target.isEmpty())
        return;
    QString error;
    if (!SafeFileCopy::replace(*segment.localPath, target, &error))
        m_deps.face->showStatus(QStringLiteral("Could not save the attachment: ") + error);
}

void OutgoingMessages::sendWithCaption(const SendWithCaption &send)
{
    // The composer's text is the caption and its reply bar the reply target; both are used up.
    const QString chatID = m_deps.selection->selectedChat()->id;
    const QString caption = m_deps.face->composerText();
    const std::optional<QString> replyTo = m_deps.face->replyTargetID();
    if (TelegramClient *client = m_deps.client())
        send(*client, caption, chatID, replyTo);
    if (!ComposerInput::draftText(caption).isEmpty()) {
        m_lastSentMessage = LastSentMessage{chatID, caption, replyTo};
        m_deps.face->setRetryEnabled(true);
    }
    m_deps.face->clearComposer();
}

#include "moc_OutgoingMessages.cpp"
