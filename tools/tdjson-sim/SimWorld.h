#pragma once

#include "SimConfig.h"
#include "SimFiles.h"

#include <QHash>
#include <QJsonObject>
#include <QMap>
#include <QStringList>

// One chat of the simulated account, with its whole message history.
struct SimChat
{
    qint64 id = 0;
    QString title;
    QJsonObject type;            // chatTypePrivate, chatTypeBasicGroup, chatTypeSupergroup
    QString list;                // "main" or "archive"
    qint64 botUserId = 0;        // the bot of a bot chat, else 0
    QString demo;                // which scripted bot answers in it
    QList<QJsonObject> messages; // ascending by id
    int unreadCount = 0;
    qint64 lastReadInbox = 0;
    qint64 lastReadOutbox = 0;
    bool revealed = false;       // updateNewChat was sent
    bool historyFetched = false; // a server history request was answered
    qint64 nextServerSeq = 1;
    qint64 nextTemporary = 1;
    int likeCount = 0; // state of the demo keyboard
};

// The account a simulated session signs in to: users, chats, histories and files.
class SimWorld
{
public:
    static constexpr qint64 kMyUserId = 100000101;
    static constexpr qint64 kAliceUserId = 200000101;
    static constexpr qint64 kBobUserId = 200000102;

    SimWorld(const QList<SimBotSpec> &bots, qint64 now);

    SimFiles &files() { return m_files; }
    bool hasUser(qint64 id) const { return m_users.contains(id); }
    QJsonObject user(qint64 id) const { return m_users.value(id); }
    SimChat *chat(qint64 id);
    // Chat ids of a list ("main" or "archive"), newest activity first.
    QList<qint64> chatIds(const QString &list) const;
    qint64 firstBotChatId() const;

    QJsonObject chatObject(const SimChat &chat) const;
    QJsonObject positionObject(const SimChat &chat) const;
    // A stored message as it is handed out: file objects refreshed.
    QJsonObject exported(const QJsonObject &message) const { return m_files.refreshed(message); }
    QJsonObject *findMessage(SimChat &chat, qint64 messageId);
    std::optional<QJsonObject> lastMessage(const SimChat &chat) const;

    // Appends a message with the next server id and returns it.
    QJsonObject addMessage(SimChat &chat, qint64 senderUserId, const QJsonObject &content, qint64 date,
                           const QJsonObject &replyTo = {}, const QJsonObject &replyMarkup = {});
    qint64 nextServerId(SimChat &chat) { return (chat.nextServerSeq++) << 20; }
    qint64 temporaryId(SimChat &chat);
    static QJsonObject message(qint64 id, qint64 chatId, qint64 senderUserId, bool outgoing, qint64 date,
                               const QJsonObject &content);
    void removeMessage(SimChat &chat, qint64 messageId);
    // Oldest messages beyond this many per chat are forgotten (0: none).
    void setHistoryLimit(int limit) { m_historyLimit = limit; }

private:
    void addUser(qint64 id, const QString &first, const QString &last, const QString &username, bool bot);
    SimChat &addChat(qint64 id, const QString &title, const QJsonObject &type, const QString &list);
    void populateOtherChats(qint64 now);

    QHash<qint64, QJsonObject> m_users;
    QMap<qint64, SimChat> m_chats;
    QList<qint64> m_botChats;
    SimFiles m_files;
    int m_historyLimit = 0;
};

// The scripted histories of the demo bots (SimDemoHistory.cpp).
namespace SimDemoHistory {
void populate(SimWorld &world, SimChat &chat, qint64 now);
}
