// The account's chat lists, the bot conversations among them and the chat switch.
#include "core/JsonIds.h"
#include "telegram/JsonFields.h"
#include "telegram/TelegramClient.h"

#include <QCollator>
#include <algorithm>

namespace {
using JsonFields::kType;

QJsonObject chatListObject(const QString &list)
{
    return QJsonObject{{kType, list == u"main" ? QStringLiteral("chatListMain") : QStringLiteral("chatListArchive")}};
}
} // namespace

void TelegramClient::loadChatList(const QString &list)
{
    if (m_loadingChatLists.contains(list) || m_loadedChatLists.contains(list))
        return;
    m_loadingChatLists.insert(list);
    send(QJsonObject{{kType, QStringLiteral("loadChats")},
                     {QStringLiteral("chat_list"), chatListObject(list)},
                     {QStringLiteral("limit"), 200},
                     {QStringLiteral("@extra"), QStringLiteral("load-") + list}});
}

void TelegramClient::storeChat(const QJsonObject &chat)
{
    const auto id = JsonIds::idString(chat.value(QStringLiteral("id")));
    if (!id)
        return;
    m_chats.insert(*id, chat);
    const QJsonObject type = chat.value(QStringLiteral("type")).toObject();
    const QJsonValue userID = type.value(QStringLiteral("user_id"));
    if (type.value(kType).toString() == u"chatTypePrivate" && !userID.isUndefined() && !userID.isNull())
        send(QJsonObject{{kType, QStringLiteral("getUser")}, {QStringLiteral("user_id"), userID}});
    publishBots();
}

void TelegramClient::storeUser(const QJsonObject &user)
{
    const auto id = JsonIds::idString(user.value(QStringLiteral("id")));
    if (!id)
        return;
    m_users.insert(*id, user);
    publishBots();
}

void TelegramClient::publishBots()
{
    QList<BotConversation> bots;
    for (auto it = m_chats.cbegin(); it != m_chats.cend(); ++it) {
        const QJsonObject &chat = it.value();
        const QJsonValue title = chat.value(QStringLiteral("title"));
        if (!title.isString())
            continue;
        const QJsonObject type = chat.value(QStringLiteral("type")).toObject();
        if (type.value(kType).toString() != u"chatTypePrivate")
            continue;
        const auto userID = JsonIds::idString(type.value(QStringLiteral("user_id")));
        if (!userID)
            continue;
        const auto user = m_users.constFind(*userID);
        if (user == m_users.cend() ||
            user->value(QStringLiteral("type")).toObject().value(kType).toString() != u"userTypeBot")
            continue;
        const QJsonValue unread = chat.value(QStringLiteral("unread_count"));
        const bool isInteger = unread.isDouble() && unread.toDouble() == double(unread.toInteger());
        bots.append({it.key(), title.toString(), isInteger ? int(unread.toInteger()) : 0});
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(bots.begin(), bots.end(), [&collator](const BotConversation &a, const BotConversation &b) {
        return collator.compare(a.title, b.title) < 0;
    });
    post([this, bots] {
        if (onBotsChanged)
            onBotsChanged(bots);
    });
}

bool TelegramClient::sendHistory(qint64 chat, bool onlyLocal)
{
    return send(QJsonObject{{kType, QStringLiteral("getChatHistory")},
                            {QStringLiteral("chat_id"), chat},
                            {QStringLiteral("from_message_id"), 0},
                            {QStringLiteral("offset"), 0},
                            {QStringLiteral("limit"), 50},
                            {QStringLiteral("only_local"), onlyLocal},
                            {QStringLiteral("@extra"), m_historyRefresh.tag(onlyLocal)}});
}

void TelegramClient::refreshHistory(qint64 chat)
{
    if (!m_historyRefresh.request())
        return;
    // Nothing would answer a request that did not go out: do not wait for it.
    if (!sendHistory(chat, true) || !sendHistory(chat, false))
        m_historyRefresh.reset();
}

void TelegramClient::historyAnswered(const QString &extra)
{
    if (m_historyRefresh.answered(extra).sendAgain)
        sendHistoryForCurrentChat();
}

void TelegramClient::sendHistoryForCurrentChat()
{
    if (!m_currentChatID)
        return;
    const auto chat = JsonIds::tdlibID(*m_currentChatID);
    if (!chat)
        return;
    refreshHistory(*chat);
}

void TelegramClient::selectBotChat(const QString &chatID)
{
    const auto chat = JsonIds::tdlibID(chatID);
    if (!chat)
        return;
    {
        QMutexLocker lock(&m_session);
        if (m_currentChatID && *m_currentChatID != chatID) {
            if (const auto previous = JsonIds::tdlibID(*m_currentChatID))
                send(QJsonObject{{kType, QStringLiteral("closeChat")}, {QStringLiteral("chat_id"), *previous}});
        }
        m_currentChatID = chatID;
        m_publishedMessages.clear();
        m_deletedMessageIDs.clear();
        m_rawMessages.clear();
    }
    // Called directly, on the caller's thread, so the window empties at once.
    if (onMessagesChanged)
        onMessagesChanged(chatID, {});
    if (onTypingChanged)
        onTypingChanged(false);

    QMutexLocker lock(&m_session);
    send(QJsonObject{{kType, QStringLiteral("openChat")}, {QStringLiteral("chat_id"), *chat}});
    loadArchivedHistory(chatID);
    m_historyRefresh.reset();
    refreshHistory(*chat);
}
