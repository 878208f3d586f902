#include "SimWorld.h"

#include "SimContent.h"

#include <QJsonArray>
#include <algorithm>

namespace {

using SimContent::typed;

QJsonObject permissions()
{
    QJsonObject p = typed("chatPermissions");
    for (const char *key :
         {"can_send_basic_messages", "can_send_audios", "can_send_documents", "can_send_photos",
          "can_send_videos", "can_send_video_notes", "can_send_voice_notes", "can_send_polls",
          "can_send_other_messages", "can_add_link_previews", "can_react_to_messages", "can_change_info",
          "can_invite_users", "can_pin_messages", "can_create_topics"})
        p.insert(QLatin1String(key), true);
    p.insert("can_edit_tag", false);
    return p;
}

QJsonObject notificationSettings()
{
    return typed("chatNotificationSettings", {{"use_default_mute_for", true},
                                              {"mute_for", 0},
                                              {"use_default_sound", true},
                                              {"sound_id", "0"},
                                              {"use_default_show_preview", true},
                                              {"show_preview", true},
                                              {"use_default_mute_stories", true},
                                              {"mute_stories", false},
                                              {"use_default_story_sound", true},
                                              {"story_sound_id", "0"},
                                              {"use_default_show_story_poster", true},
                                              {"show_story_poster", true},
                                              {"use_default_disable_pinned_message_notifications", true},
                                              {"disable_pinned_message_notifications", false},
                                              {"use_default_disable_mention_notifications", true},
                                              {"disable_mention_notifications", false}});
}

} // namespace

SimWorld::SimWorld(const QList<SimBotSpec> &bots, qint64 now)
{
    addUser(kMyUserId, QStringLiteral("Demo"), QStringLiteral("User"), QStringLiteral("demo_user"), false);
    addUser(kAliceUserId, QStringLiteral("Alice"), QStringLiteral("Example"), QStringLiteral("alice_example"),
            false);
    addUser(kBobUserId, QStringLiteral("Bob"), QStringLiteral("Sample"), QString(), false);
    for (const SimBotSpec &bot : bots) {
        addUser(bot.id, bot.title, QString(), bot.username, true);
        SimChat &chat = addChat(bot.id, bot.title, typed("chatTypePrivate", {{"user_id", bot.id}}),
                                bot.archived ? QStringLiteral("archive") : QStringLiteral("main"));
        chat.botUserId = bot.id;
        chat.demo = bot.demo;
        m_botChats.append(bot.id);
        SimDemoHistory::populate(*this, chat, now);
        // The newest incoming messages count as unread.
        int unread = 0;
        for (auto it = chat.messages.crbegin(); it != chat.messages.crend() && unread < bot.unread; ++it) {
            if (!it->value("is_outgoing").toBool())
                ++unread;
        }
        chat.unreadCount = unread;
        const qint64 last = chat.messages.isEmpty() ? 0 : chat.messages.last().value("id").toInteger();
        chat.lastReadOutbox = last;
        chat.lastReadInbox = last;
        int skipped = 0;
        for (auto it = chat.messages.crbegin(); it != chat.messages.crend() && skipped < unread; ++it) {
            if (!it->value("is_outgoing").toBool()) {
                ++skipped;
                chat.lastReadInbox = it->value("id").toInteger() - 1;
            }
        }
    }
    populateOtherChats(now);
}

void SimWorld::addUser(qint64 id, const QString &first, const QString &last, const QString &username,
                       bool bot)
{
    QJsonArray active;
    if (!username.isEmpty())
        active.append(username);
    const QJsonObject usernames = typed("usernames", {{"active_usernames", active},
                                                      {"disabled_usernames", QJsonArray()},
                                                      {"editable_username", username},
                                                      {"collectible_usernames", QJsonArray()}});
    const QJsonObject type = bot ? typed("userTypeBot", {{"can_be_edited", false},
                                                         {"can_join_groups", true},
                                                         {"can_read_all_group_messages", false},
                                                         {"has_main_web_app", false},
                                                         {"has_topics", false},
                                                         {"allows_users_to_create_topics", false},
                                                         {"can_manage_bots", false},
                                                         {"is_inline", false},
                                                         {"inline_query_placeholder", ""},
                                                         {"supports_guest_queries", false},
                                                         {"is_guard", false},
                                                         {"need_location", false},
                                                         {"can_connect_to_business", false},
                                                         {"can_be_added_to_attachment_menu", false},
                                                         {"active_user_count", 1200}})
                                 : typed("userTypeRegular");
    QJsonObject user =
        typed("user", {{"id", id},
                       {"first_name", first},
                       {"last_name", last},
                       {"phone_number", bot ? QString() : QStringLiteral("1555%1").arg(id % 1000000)},
                       {"status", bot ? typed("userStatusEmpty")
                                      : typed("userStatusRecently", {{"by_my_privacy_settings", false}})},
                       {"accent_color_id", int(id % 7)},
                       {"background_custom_emoji_id", "0"},
                       {"profile_accent_color_id", -1},
                       {"profile_background_custom_emoji_id", "0"},
                       {"is_contact", !bot && id != kMyUserId},
                       {"is_mutual_contact", false},
                       {"is_close_friend", false},
                       {"is_premium", false},
                       {"is_support", false},
                       {"restricts_new_chats", false},
                       {"paid_message_star_count", 0},
                       {"have_access", true},
                       {"type", type},
                       {"language_code", ""},
                       {"added_to_attachment_menu", false}});
    if (!username.isEmpty())
        user.insert("usernames", usernames);
    m_users.insert(id, user);
}

SimChat &SimWorld::addChat(qint64 id, const QString &title, const QJsonObject &type, const QString &list)
{
    SimChat chat;
    chat.id = id;
    chat.title = title;
    chat.type = type;
    chat.list = list;
    return *m_chats.insert(id, chat);
}

void SimWorld::populateOtherChats(qint64 now)
{
    using namespace SimContent;
    SimChat &alice = addChat(kAliceUserId, QStringLiteral("Alice Example"),
                             typed("chatTypePrivate", {{"user_id", kAliceUserId}}), QStringLiteral("main"));
    addMessage(alice, kAliceUserId, text(QStringLiteral("Hi! Are we still on for lunch tomorrow?")),
               now - 5400);
    addMessage(alice, kMyUserId, text(QStringLiteral("Yes, 12:30 at the usual place.")), now - 5300);
    alice.unreadCount = 0;

    SimChat &saved = addChat(kMyUserId, QStringLiteral("Saved Messages"),
                             typed("chatTypePrivate", {{"user_id", kMyUserId}}), QStringLiteral("main"));
    addMessage(saved, kMyUserId, text(QStringLiteral("Note to self: try the /mac commands from the phone.")),
               now - 90000);

    SimChat &group =
        addChat(-400000101, QStringLiteral("Project Team"),
                typed("chatTypeBasicGroup", {{"basic_group_id", 400000101}}), QStringLiteral("main"));
    addMessage(group, kMyUserId,
               basicGroupChatCreate(QStringLiteral("Project Team"), {kAliceUserId, kBobUserId}),
               now - 200000);
    addMessage(group, kBobUserId, text(QStringLiteral("The build is green again 🎉")), now - 7200);
    group.unreadCount = 1;

    SimChat &channel =
        addChat(-1001000000101, QStringLiteral("Tessaly News"),
                typed("chatTypeSupergroup", {{"supergroup_id", 1000000101}, {"is_channel", true}}),
                QStringLiteral("archive"));
    addMessage(channel, 0, text(QStringLiteral("**Tessaly 1.0** is out: https://example.org/tessaly")),
               now - 300000);
}

SimChat *SimWorld::chat(qint64 id)
{
    auto it = m_chats.find(id);
    return it == m_chats.end() ? nullptr : &it.value();
}

QList<qint64> SimWorld::chatIds(const QString &list) const
{
    QList<const SimChat *> chats;
    for (const SimChat &chat : m_chats) {
        if (chat.list == list)
            chats.append(&chat);
    }
    auto date = [](const SimChat *c) {
        return c->messages.isEmpty() ? 0 : c->messages.last().value("date").toInteger();
    };
    std::stable_sort(chats.begin(), chats.end(),
                     [&](const SimChat *a, const SimChat *b) { return date(a) > date(b); });
    QList<qint64> ids;
    for (const SimChat *chat : chats)
        ids.append(chat->id);
    return ids;
}

qint64 SimWorld::firstBotChatId() const
{
    return m_botChats.isEmpty() ? 0 : m_botChats.first();
}

QJsonObject SimWorld::positionObject(const SimChat &chat) const
{
    const qint64 date = chat.messages.isEmpty() ? 0 : chat.messages.last().value("date").toInteger();
    // TDLib's order: larger is newer; the low bits keep equal dates apart.
    const qint64 order = (date << 20) + (chat.id & 0xfffff);
    return typed("chatPosition",
                 {{"list", typed(chat.list == QLatin1String("archive") ? "chatListArchive" : "chatListMain")},
                  {"order", QString::number(order)},
                  {"is_pinned", false}});
}

QJsonObject SimWorld::chatObject(const SimChat &chat) const
{
    QJsonObject o = typed(
        "chat", {{"id", chat.id},
                 {"type", chat.type},
                 {"title", chat.title},
                 {"accent_color_id", int(qAbs(chat.id) % 7)},
                 {"background_custom_emoji_id", "0"},
                 {"profile_accent_color_id", -1},
                 {"profile_background_custom_emoji_id", "0"},
                 {"permissions", permissions()},
                 {"positions", QJsonArray{positionObject(chat)}},
                 {"chat_lists", QJsonArray{positionObject(chat).value("list")}},
                 {"has_protected_content", false},
                 {"is_translatable", false},
                 {"is_marked_as_unread", false},
                 {"view_as_topics", false},
                 {"has_scheduled_messages", false},
                 {"can_be_deleted_only_for_self", true},
                 {"can_be_deleted_for_all_users", chat.type.value("@type") == "chatTypePrivate"},
                 {"can_be_reported", chat.botUserId == 0},
                 {"default_disable_notification", false},
                 {"unread_count", chat.unreadCount},
                 {"last_read_inbox_message_id", chat.lastReadInbox},
                 {"last_read_outbox_message_id", chat.lastReadOutbox},
                 {"unread_mention_count", 0},
                 {"unread_reaction_count", 0},
                 {"unread_poll_vote_count", 0},
                 {"notification_settings", notificationSettings()},
                 {"available_reactions", typed("chatAvailableReactionsAll", {{"max_reaction_count", 11}})},
                 {"message_auto_delete_time", 0},
                 {"video_chat", typed("videoChat", {{"group_call_id", 0}, {"has_participants", false}})},
                 {"reply_markup_message_id", 0},
                 {"client_data", ""}});
    if (const auto last = lastMessage(chat))
        o.insert("last_message", *last);
    return o;
}

QJsonObject *SimWorld::findMessage(SimChat &chat, qint64 messageId)
{
    for (QJsonObject &m : chat.messages) {
        if (m.value("id").toInteger() == messageId)
            return &m;
    }
    return nullptr;
}

std::optional<QJsonObject> SimWorld::lastMessage(const SimChat &chat) const
{
    for (auto it = chat.messages.crbegin(); it != chat.messages.crend(); ++it) {
        if (!it->contains("sending_state"))
            return exported(*it);
    }
    return std::nullopt;
}

QJsonObject SimWorld::message(qint64 id, qint64 chatId, qint64 senderUserId, bool outgoing, qint64 date,
                              const QJsonObject &content)
{
    const QJsonObject sender = senderUserId != 0 ? typed("messageSenderUser", {{"user_id", senderUserId}})
                                                 : typed("messageSenderChat", {{"chat_id", chatId}});
    return typed("message", {{"id", id},
                             {"sender_id", sender},
                             {"chat_id", chatId},
                             {"is_outgoing", outgoing},
                             {"is_pinned", false},
                             {"is_from_offline", false},
                             {"can_be_saved", true},
                             {"has_timestamped_media", true},
                             {"is_channel_post", senderUserId == 0},
                             {"is_paid_star_suggested_post", false},
                             {"is_paid_ton_suggested_post", false},
                             {"contains_unread_mention", false},
                             {"contains_unread_poll_votes", false},
                             {"date", date},
                             {"edit_date", 0},
                             {"unread_reactions", QJsonArray()},
                             {"self_destruct_in", 0},
                             {"auto_delete_in", 0},
                             {"via_bot_user_id", 0},
                             {"sender_business_bot_user_id", 0},
                             {"sender_boost_count", 0},
                             {"sender_tag", ""},
                             {"paid_message_star_count", 0},
                             {"author_signature", ""},
                             {"media_album_id", "0"},
                             {"effect_id", "0"},
                             {"summary_language_code", ""},
                             {"content", content}});
}

QJsonObject SimWorld::addMessage(SimChat &chat, qint64 senderUserId, const QJsonObject &content, qint64 date,
                                 const QJsonObject &replyTo, const QJsonObject &replyMarkup)
{
    QJsonObject m =
        message(nextServerId(chat), chat.id, senderUserId, senderUserId == kMyUserId, date, content);
    if (!replyTo.isEmpty())
        m.insert("reply_to", replyTo);
    if (!replyMarkup.isEmpty())
        m.insert("reply_markup", replyMarkup);
    chat.messages.append(m);
    if (m_historyLimit > 0 && chat.messages.size() > m_historyLimit)
        chat.messages.remove(0, chat.messages.size() - m_historyLimit);
    return m;
}

qint64 SimWorld::temporaryId(SimChat &chat)
{
    // Pending messages get ids between server ids, as TDLib's local ids do.
    return ((chat.nextServerSeq - 1) << 20) + chat.nextTemporary++;
}

void SimWorld::removeMessage(SimChat &chat, qint64 messageId)
{
    chat.messages.removeIf(
        [messageId](const QJsonObject &m) { return m.value("id").toInteger() == messageId; });
}
