// The scripting commands of tdsim_configure that act on a signed-in client:
// messages from the bot or from the user's other devices, deletions by the
// other side and chat actions.

#include "SimBotBrain.h"
#include "SimClient.h"
#include "SimContent.h"
#include "SimMarkup.h"

#include <QDateTime>
#include <QJsonArray>

namespace {

using SimContent::typed;

} // namespace

void SimClient::injectIncoming(const QJsonObject &command)
{
    if (m_auth != Auth::Ready)
        return;
    const qint64 chatId = command.value("chat_id").toInteger(m_world->firstBotChatId());
    SimChat *chat = m_world->chat(chatId);
    if (!chat)
        return;
    SimBotMessage message;
    message.content = command.value("content").isObject()
                          ? command.value("content").toObject()
                          : SimContent::text(command.value("text").toString());
    message.replyMarkup = command.value("reply_markup").toObject();
    message.replyToMessageId = command.value("reply_to_message_id").toInteger();
    if (command.value("typing").toBool() && chat->botUserId != 0)
        scheduleBotAnswer(chatId, {message});
    else
        deliverIncoming(chatId, message);
}

void SimClient::injectOutgoing(const QJsonObject &command)
{
    if (m_auth != Auth::Ready)
        return;
    const qint64 chatId = command.value("chat_id").toInteger(m_world->firstBotChatId());
    SimChat *chat = m_world->chat(chatId);
    const QString body = command.value("text").toString();
    if (!chat || body.isEmpty())
        return;
    revealChat(*chat);
    const QJsonObject content =
        typed("messageText", {{"text", SimMarkup::formattedText(body, SimMarkup::detectEntities(body))}});
    const QJsonObject message =
        m_world->addMessage(*chat, SimWorld::kMyUserId, content, QDateTime::currentSecsSinceEpoch());
    chat->lastReadOutbox = message.value("id").toInteger();
    update(typed("updateNewMessage", {{"message", m_world->exported(message)}}));
    sendLastMessage(*chat);
    if (chat->botUserId != 0 && m_config.botReplies && command.value("bot_reply").toBool(true))
        scheduleBotAnswer(chat->id, SimBotBrain::answer(*m_world, *chat, message));
}

void SimClient::deleteFromOtherSide(const QJsonObject &command)
{
    if (m_auth != Auth::Ready)
        return;
    SimChat *chat = m_world->chat(command.value("chat_id").toInteger(m_world->firstBotChatId()));
    if (!chat)
        return;
    QJsonArray removed;
    for (const QJsonValue &id : command.value("message_ids").toArray()) {
        if (m_world->findMessage(*chat, id.toInteger())) {
            m_world->removeMessage(*chat, id.toInteger());
            removed.append(id.toInteger());
        }
    }
    if (removed.isEmpty())
        return;
    update(typed(
        "updateDeleteMessages",
        {{"chat_id", chat->id}, {"message_ids", removed}, {"is_permanent", true}, {"from_cache", false}}));
    sendLastMessage(*chat);
}

void SimClient::chatAction(const QJsonObject &command)
{
    if (m_auth != Auth::Ready)
        return;
    SimChat *chat = m_world->chat(command.value("chat_id").toInteger(m_world->firstBotChatId()));
    if (!chat)
        return;
    const qint64 sender = chat->botUserId != 0 ? chat->botUserId : chat->type.value("user_id").toInteger();
    update(typed("updateChatAction",
                 {{"chat_id", chat->id},
                  {"sender_id", typed("messageSenderUser", {{"user_id", sender}})},
                  {"action", QJsonObject{{"@type", command.value("action").toString(
                                                       QStringLiteral("chatActionTyping"))}}}}));
}
