#include "chat/TypingIndicator.h"

namespace {

BotMessage syntheticItem(const QString &id, const QString &text)
{
    BotMessage message;
    message.id = id;
    message.text = text;
    message.segments = {BotMessageSegment::makeText(text)};
    message.isOutgoing = false;
    message.date = BotMessage::distantPast;
    // Not in Telegram: never a new bot message to read aloud or count as unread.
    message.isEphemeral = true;
    return message;
}

} // namespace

BotMessage TypingIndicator::typingItem()
{
    return syntheticItem(typingItemID, QStringLiteral(u"Typing\u2026"));
}

BotMessage TypingIndicator::macProgressItem(const QString &progressText)
{
    return syntheticItem(macProgressItemID, progressText);
}

QString TypingIndicator::typingText(int ticks)
{
    const int dots = ((ticks % 4) + 4) % 4;
    return QStringLiteral("Typing") + QString(dots, QLatin1Char('.'));
}

void TypingIndicator::setAwaitingReply(bool awaiting, const QList<BotMessage> &telegramMessages)
{
    m_awaitingReply = awaiting;
    if (awaiting)
        m_knownIncomingMessageIDs = incomingIDs(telegramMessages);
}

bool TypingIndicator::messagesArrived(const QList<BotMessage> &telegramMessages)
{
    if (!m_awaitingReply)
        return false;
    if (m_knownIncomingMessageIDs.contains(incomingIDs(telegramMessages)))
        return false;
    m_awaitingReply = false;
    return true;
}

void TypingIndicator::reset()
{
    m_remoteTypingActive = false;
    m_awaitingReply = false;
    m_isTypingIndicatorShowing = false;
    m_knownIncomingMessageIDs.clear();
}

TypingIndicator::Update TypingIndicator::update(const QList<BotMessage> &telegramMessages,
                                                const MacTask &macTask,
                                                const QList<BotMessage> &displayedMessages)
{
    const bool wanted = m_remoteTypingActive || m_awaitingReply;
    m_isTypingIndicatorShowing = wanted;

    Update result;
    result.messages = telegramMessages;
    if (wanted && !macTask.running)
        result.messages << typingItem();
    if (macTask.running && macTask.hasStartTime)
        result.messages << macProgressItem(macTask.progressText);

    result.changed = result.messages != displayedMessages;
    if (result.changed) {
        result.animateMacProgress = macTask.running && macTask.hasStartTime;
        result.animateTyping = wanted && !macTask.running;
    }
    return result;
}

QSet<QString> TypingIndicator::incomingIDs(const QList<BotMessage> &messages)
{
    QSet<QString> ids;
    for (const BotMessage &message : messages) {
        if (!message.isOutgoing && !message.isEphemeral)
            ids.insert(message.id);
    }
    return ids;
}
