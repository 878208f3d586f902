// Chats, users, history and messages of a signed-in simulated client.

#include "SimBotBrain.h"
#include "SimClient.h"
#include "SimContent.h"
#include "SimMarkup.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>

namespace {

using SimContent::typed;

qint64 now()
{
    return QDateTime::currentSecsSinceEpoch();
}

// The server's limit for the text of one message, in UTF-16 code units.
constexpr qsizetype kMessageTextLengthMax = 4096;

qsizetype textLength(const QJsonObject &message)
{
    const QJsonObject content = message.value("content").toObject();
    if (content.value("@type").toString() != QLatin1String("messageText"))
        return 0;
    return content.value("text").toObject().value("text").toString().size();
}

QString listName(const QJsonObject &chatList)
{
    const QString type = chatList.value("@type").toString();
    if (type.isEmpty() || type == QLatin1String("chatListMain"))
        return QStringLiteral("main");
    if (type == QLatin1String("chatListArchive"))
        return QStringLiteral("archive");
    return {};
}

} // namespace

// The arguments loadChats and getChats share: the list's name, or an error
// answered (and an empty name) when the list or the limit is not acceptable.
QString SimClient::chatListRequest(SimRequest &r, qint64 limit)
{
    const QJsonObject chatList = r.object("chat_list");
    if (!admit(r, Need::Authorization))
        return {};
    const QString list = listName(chatList);
    if (list.isEmpty()) {
        answerError(r, 400, QStringLiteral("Chat list not found"));
        return {};
    }
    if (limit <= 0) {
        answerError(r, 400, QStringLiteral("Parameter limit must be positive"));
        return {};
    }
    return list;
}

SimChat *SimClient::requireChat(SimRequest &r, qint64 chatId)
{
    SimChat *chat = m_world ? m_world->chat(chatId) : nullptr;
    if (!chat)
        answerError(r, 400, QStringLiteral("Chat not found"));
    return chat;
}

void SimClient::revealUser(qint64 userId)
{
    if (!m_world || !m_world->hasUser(userId) || m_revealedUsers.contains(userId))
        return;
    m_revealedUsers.insert(userId);
    update(typed("updateUser", {{"user", m_world->user(userId)}}));
}

void SimClient::revealChat(SimChat &chat)
{
    if (chat.revealed)
        return;
    chat.revealed = true;
    // TDLib reports a user before any chat that refers to it, and a new chat
    // before its position and last message.
    revealUser(chat.type.value("user_id").toInteger());
    QJsonObject object = m_world->chatObject(chat);
    object.insert("positions", QJsonArray());
    object.remove("last_message");
    update(typed("updateNewChat", {{"chat", object}}));
    sendLastMessage(chat);
}

void SimClient::sendLastMessage(const SimChat &chat)
{
    QJsonObject u = typed("updateChatLastMessage",
                          {{"chat_id", chat.id}, {"positions", QJsonArray{m_world->positionObject(chat)}}});
    if (const auto last = m_world->lastMessage(chat))
        u.insert("last_message", *last);
    update(u);
}

void SimClient::sendReadInbox(const SimChat &chat)
{
    update(typed("updateChatReadInbox", {{"chat_id", chat.id},
                                         {"last_read_inbox_message_id", chat.lastReadInbox},
                                         {"unread_count", chat.unreadCount}}));
}

void SimClient::onLoadChats(SimRequest &r)
{
    const qint64 limit = r.int64("limit");
    const QString list = chatListRequest(r, limit);
    if (list.isEmpty())
        return;
    // Exactly chat_pages pages answer "ok" (the last ones may be empty), then 404.
    const QList<qint64> ids = m_world->chatIds(list);
    int &loaded = m_chatPagesLoaded[list];
    if (loaded >= m_config.chatPages)
        return answerError(r, 404, QStringLiteral("Not Found"));
    const qsizetype pageSize = (ids.size() + m_config.chatPages - 1) / m_config.chatPages;
    for (qsizetype i = loaded * pageSize; i < qMin(ids.size(), (loaded + 1) * pageSize); ++i)
        revealChat(*m_world->chat(ids[i]));
    ++loaded;
    answerOk(r);
}

void SimClient::onGetChats(SimRequest &r)
{
    const qint64 limit = r.int64("limit");
    const QString list = chatListRequest(r, limit);
    if (list.isEmpty())
        return;
    QJsonArray ids;
    for (qint64 id : m_world->chatIds(list)) {
        if (ids.size() >= limit)
            break;
        revealChat(*m_world->chat(id));
        ids.append(id);
    }
    answer(r, typed("chats", {{"total_count", ids.size()}, {"chat_ids", ids}}));
}

void SimClient::onGetChat(SimRequest &r)
{
    const qint64 chatId = r.int64("chat_id");
    if (!admit(r, Need::Authorization))
        return;
    if (SimChat *chat = requireChat(r, chatId)) {
        revealChat(*chat);
        answer(r, m_world->chatObject(*chat));
    }
}

void SimClient::onGetUser(SimRequest &r)
{
    const qint64 userId = r.int64("user_id");
    if (!admit(r, Need::Authorization))
        return;
    if (!m_world->hasUser(userId))
        return answerError(r, 404, QStringLiteral("User not found"));
    revealUser(userId);
    answer(r, m_world->user(userId));
}

void SimClient::onGetMe(SimRequest &r)
{
    if (admit(r, Need::Authorization))
        answer(r, m_world->user(SimWorld::kMyUserId));
}

void SimClient::onOpenCloseChat(SimRequest &r)
{
    const qint64 chatId = r.int64("chat_id");
    if (admit(r, Need::Authorization) && requireChat(r, chatId))
        answerOk(r);
}

void SimClient::onGetChatHistory(SimRequest &r)
{
    const qint64 chatId = r.int64("chat_id");
    const qint64 from = r.int64("from_message_id");
    const qint64 offset = r.int64("offset");
    const qint64 limit = r.int64("limit");
    const bool onlyLocal = r.boolean("only_local");
    if (!admit(r, Need::Authorization))
        return;
    SimChat *chat = requireChat(r, chatId);
    if (!chat)
        return;
    if (limit <= 0)
        return answerError(r, 400, QStringLiteral("Parameter limit must be positive"));
    if (offset > 0)
        return answerError(r, 400, QStringLiteral("Parameter offset must be non-positive"));
    if (offset <= -limit)
        return answerError(r, 400, QStringLiteral("Parameter offset must be greater than -limit"));
    // Newest first, as TDLib answers. Before the first server fetch the local
    // database knows only the chat's last message.
    QList<QJsonObject> newestFirst(chat->messages.crbegin(), chat->messages.crend());
    if (onlyLocal && m_config.historyLocalSubset && !chat->historyFetched)
        newestFirst = newestFirst.mid(0, 1);
    if (!onlyLocal)
        chat->historyFetched = true;
    qsizetype start = 0;
    if (from != 0) {
        while (start < newestFirst.size() && newestFirst[start].value("id").toInteger() > from)
            ++start;
    }
    start = qMax<qsizetype>(0, start + offset);
    QJsonArray messages;
    for (qsizetype i = start; i < newestFirst.size() && messages.size() < qMin<qint64>(limit, 100); ++i)
        messages.append(m_world->exported(newestFirst[i]));
    answer(r, typed("messages", {{"total_count", messages.size()}, {"messages", messages}}));
}

void SimClient::onGetMessage(SimRequest &r)
{
    const qint64 chatId = r.int64("chat_id");
    const qint64 messageId = r.int64("message_id");
    if (!admit(r, Need::Authorization))
        return;
    SimChat *chat = requireChat(r, chatId);
    if (!chat)
        return;
    if (const QJsonObject *m = m_world->findMessage(*chat, messageId))
        return answer(r, m_world->exported(*m));
    answerError(r, 404, QStringLiteral("Not Found"));
}

void SimClient::onViewMessages(SimRequest &r)
{
    const qint64 chatId = r.int64("chat_id");
    const QList<qint64> ids = r.int64Array("message_ids");
    r.object("source");
    r.boolean("force_read");
    if (!admit(r, Need::Authorization))
        return;
    SimChat *chat = requireChat(r, chatId);
    if (!chat)
        return;
    qint64 newest = chat->lastReadInbox;
    for (qint64 id : ids) {
        const QJsonObject *m = m_world->findMessage(*chat, id);
        if (m && !m->value("is_outgoing").toBool())
            newest = qMax(newest, id);
    }
    if (newest > chat->lastReadInbox) {
        chat->lastReadInbox = newest;
        int unread = 0;
        for (const QJsonObject &m : chat->messages)
            unread += !m.value("is_outgoing").toBool() && m.value("id").toInteger() > newest;
        chat->unreadCount = unread;
        sendReadInbox(*chat);
    }
    answerOk(r);
}

std::optional<QJsonObject> SimClient::inputContent(SimRequest &r, const QJsonObject &input)
{
    const QString type = input.value("@type").toString();
    const QJsonObject caption = input.value("caption").toObject();
    const QJsonObject captionText =
        SimMarkup::formattedText(caption.value("text").toString(), caption.value("entities").toArray());
    // The file of an inputFileLocal nested in a wrapper object, as TDLib 1.8.67 expects it.
    auto localFile = [&](const QJsonObject &inputFile) -> std::optional<int> {
        const QString path = inputFile.value("path").toString();
        if (inputFile.value("@type").toString() != QLatin1String("inputFileLocal") || path.isEmpty()) {
            answerError(r, 400, QStringLiteral("Input file must be non-empty"));
            return std::nullopt;
        }
        return m_world->files().addLocal(path);
    };
    if (type == QLatin1String("inputMessageText")) {
        const QJsonObject text = input.value("text").toObject();
        const QString body = text.value("text").toString();
        if (body.trimmed().isEmpty()) {
            answerError(r, 400, QStringLiteral("Message must be non-empty"));
            return std::nullopt;
        }
        QJsonArray entities = text.value("entities").toArray();
        if (entities.isEmpty())
            entities = SimMarkup::detectEntities(body);
        return typed("messageText", {{"text", SimMarkup::formattedText(body, entities)}});
    }
    if (type == QLatin1String("inputMessagePhoto")) {
        const QJsonObject photo = input.value("photo").toObject();
        const auto file = localFile(photo.value("photo").toObject());
        if (!file)
            return std::nullopt;
        const QJsonObject size = typed("photoSize", {{"type", "y"},
                                                     {"photo", m_world->files().fileObject(*file)},
                                                     {"width", photo.value("width").toInt()},
                                                     {"height", photo.value("height").toInt()},
                                                     {"progressive_sizes", QJsonArray()}});
        return typed("messagePhoto",
                     {{"photo", typed("photo", {{"has_stickers", false}, {"sizes", QJsonArray{size}}})},
                      {"caption", captionText},
                      {"show_caption_above_media", input.value("show_caption_above_media").toBool()},
                      {"has_spoiler", input.value("has_spoiler").toBool()},
                      {"is_secret", false}});
    }
    if (type == QLatin1String("inputMessageDocument")) {
        const auto file = localFile(input.value("document").toObject().value("document").toObject());
        if (!file)
            return std::nullopt;
        const SimFile *f = m_world->files().find(*file);
        const bool pdf = f->fileName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
        const QJsonObject doc =
            typed("document", {{"file_name", f->fileName},
                               {"mime_type", pdf ? "application/pdf" : "application/octet-stream"},
                               {"document", m_world->files().fileObject(*file)}});
        return typed("messageDocument", {{"document", doc}, {"caption", captionText}});
    }
    if (type == QLatin1String("inputMessageVoiceNote")) {
        const QJsonObject voice = input.value("voice_note").toObject();
        const auto file = localFile(voice.value("voice_note").toObject());
        if (!file)
            return std::nullopt;
        const QJsonObject note = typed("voiceNote", {{"duration", voice.value("duration").toInt()},
                                                     {"waveform", voice.value("waveform").toString()},
                                                     {"mime_type", "audio/ogg"},
                                                     {"voice", m_world->files().fileObject(*file)}});
        return typed("messageVoiceNote",
                     {{"voice_note", note}, {"caption", captionText}, {"is_listened", false}});
    }
    answerError(r, 400,
                type.isEmpty() ? QStringLiteral("Message content must be non-empty")
                               : QStringLiteral("Unsupported message content \"%1\"").arg(type));
    return std::nullopt;
}

void SimClient::onSendMessage(SimRequest &r)
{
    const qint64 chatId = r.int64("chat_id");
    r.object("topic_id");
    const QJsonObject replyTo = r.object("reply_to");
    r.object("options");
    r.object("reply_markup");
    const QJsonObject input = r.object("input_message_content");
    if (!admit(r, Need::Authorization))
        return;
    SimChat *chat = requireChat(r, chatId);
    if (!chat)
        return;
    const auto content = inputContent(r, input);
    if (!content)
        return;
    QJsonObject message =
        SimWorld::message(m_world->temporaryId(*chat), chat->id, SimWorld::kMyUserId, true, now(), *content);
    message.insert("sending_state", typed("messageSendingStatePending", {{"sending_id", 0}}));
    // A reply to a message that does not exist is sent without the reply, as TDLib does.
    qint64 replyId = 0;
    QString ignored;
    SimRequest::parseInteger(replyTo.value("message_id"), replyId, ignored);
    if (replyTo.value("@type").toString() == QLatin1String("inputMessageReplyToMessage") &&
        m_world->findMessage(*chat, replyId)) {
        const QString quote =
            replyTo.value("quote").toObject().value("text").toObject().value("text").toString();
        message.insert("reply_to", SimContent::replyTo(chat->id, replyId, quote));
    }
    chat->messages.append(message);
    revealChat(*chat);
    const QJsonObject exported = m_world->exported(message);
    update(typed("updateNewMessage", {{"message", exported}}));
    sendLastMessage(*chat);
    answer(r, exported);
    const qint64 temporaryId = message.value("id").toInteger();
    const QList<int> uploads = m_world->files().localFilesIn(message.value("content"));
    if (uploads.isEmpty()) {
        later(m_config.sendDelayMs, [chatId, temporaryId](SimClient &c) { c.finishSend(chatId, temporaryId); });
        return;
    }
    for (int id : uploads) {
        SimFile *file = m_world->files().find(id);
        file->uploaded = false;
        file->uploading = true;
        file->uploadedSize = 0;
        sendFileUpdate(id);
    }
    later(m_config.uploadStepMs,
          [chatId, temporaryId, uploads](SimClient &c) { c.uploadStep(chatId, temporaryId, uploads, 1); });
}

void SimClient::finishSend(qint64 chatId, qint64 temporaryId)
{
    SimChat *chat = m_world ? m_world->chat(chatId) : nullptr;
    QJsonObject *pending = chat ? m_world->findMessage(*chat, temporaryId) : nullptr;
    if (!pending)
        return; // deleted while being sent
    QJsonObject message = *pending;
    m_world->removeMessage(*chat, temporaryId);
    // An attachment that is not on disk cannot be uploaded. A text over 4096
    // UTF-16 code units is taken by TDLib (it checks the length only for bots)
    // and refused by the server, which TDLib reports as "Message is too long".
    const bool missingFile = m_world->files().refersToMissingLocalFile(message.value("content"));
    const bool tooLong = textLength(message) > kMessageTextLengthMax;
    if (m_config.sendFailure || missingFile || tooLong) {
        const QJsonObject error =
            missingFile ? typed("error", {{"code", 400}, {"message", "File not found"}})
            : tooLong   ? typed("error", {{"code", 400}, {"message", "Message is too long"}})
                        : typed("error",
                                {{"code", m_config.sendFailureCode}, {"message", m_config.sendFailureMessage}});
        message.insert("id", m_world->temporaryId(*chat));
        message.insert("sending_state",
                       typed("messageSendingStateFailed", {{"error", error},
                                                           {"can_retry", true},
                                                           {"need_another_sender", false},
                                                           {"need_another_reply_quote", false},
                                                           {"need_drop_reply", false},
                                                           {"required_paid_message_star_count", 0},
                                                           {"retry_after", 0}}));
        chat->messages.append(message);
        update(typed(
            "updateMessageSendFailed",
            {{"message", m_world->exported(message)}, {"old_message_id", temporaryId}, {"error", error}}));
        return;
    }
    message.insert("id", m_world->nextServerId(*chat));
    message.remove("sending_state");
    chat->messages.append(message);
    chat->lastReadOutbox = message.value("id").toInteger();
    update(typed("updateMessageSendSucceeded",
                 {{"message", m_world->exported(message)}, {"old_message_id", temporaryId}}));
    sendLastMessage(*chat);
    if (chat->botUserId != 0 && m_config.botReplies)
        scheduleBotAnswer(chat->id, SimBotBrain::answer(*m_world, *chat, message));
}

void SimClient::scheduleBotAnswer(qint64 chatId, const QList<SimBotMessage> &messages)
{
    if (messages.isEmpty())
        return;
    // The bot "types" for reply_delay_ms, then answers; TDLib then reports the end of the action.
    later(0, [chatId](SimClient &c) {
        SimChat *chat = c.m_world ? c.m_world->chat(chatId) : nullptr;
        if (chat)
            c.update(typed("updateChatAction",
                           {{"chat_id", chatId},
                            {"sender_id", typed("messageSenderUser", {{"user_id", chat->botUserId}})},
                            {"action", typed("chatActionTyping")}}));
    });
    later(m_config.replyDelayMs, [chatId, messages](SimClient &c) {
        SimChat *chat = c.m_world ? c.m_world->chat(chatId) : nullptr;
        if (!chat)
            return;
        for (const SimBotMessage &m : messages)
            c.deliverIncoming(chatId, m);
        c.update(typed("updateChatAction",
                       {{"chat_id", chatId},
                        {"sender_id", typed("messageSenderUser", {{"user_id", chat->botUserId}})},
                        {"action", typed("chatActionCancel")}}));
    });
}

void SimClient::deliverIncoming(qint64 chatId, const SimBotMessage &m)
{
    SimChat *chat = m_world->chat(chatId);
    revealChat(*chat);
    QJsonObject replyTo;
    if (m.replyToMessageId != 0 && m_world->findMessage(*chat, m.replyToMessageId))
        replyTo = SimContent::replyTo(chat->id, m.replyToMessageId);
    const qint64 sender = chat->botUserId != 0 ? chat->botUserId : chat->type.value("user_id").toInteger();
    const QJsonObject message = m_world->addMessage(*chat, sender, m.content, now(), replyTo, m.replyMarkup);
    ++chat->unreadCount;
    update(typed("updateNewMessage", {{"message", m_world->exported(message)}}));
    sendLastMessage(*chat);
    sendReadInbox(*chat);
}

void SimClient::onDeleteMessages(SimRequest &r)
{
    const qint64 chatId = r.int64("chat_id");
    const QList<qint64> ids = r.int64Array("message_ids");
    r.boolean("revoke");
    if (!admit(r, Need::Authorization))
        return;
    SimChat *chat = requireChat(r, chatId);
    if (!chat)
        return;
    QJsonArray removed;
    for (qint64 id : ids) {
        if (m_world->findMessage(*chat, id)) {
            m_world->removeMessage(*chat, id);
            removed.append(id);
        }
    }
    answerOk(r);
    if (removed.isEmpty())
        return;
    update(typed(
        "updateDeleteMessages",
        {{"chat_id", chat->id}, {"message_ids", removed}, {"is_permanent", true}, {"from_cache", false}}));
    sendLastMessage(*chat);
}

void SimClient::onGetCallbackQueryAnswer(SimRequest &r)
{
    const qint64 chatId = r.int64("chat_id");
    const qint64 messageId = r.int64("message_id");
    const QJsonObject payload = r.object("payload");
    if (!admit(r, Need::Authorization))
        return;
    SimChat *chat = requireChat(r, chatId);
    if (!chat)
        return;
    QJsonObject *message = m_world->findMessage(*chat, messageId);
    if (!message)
        return answerError(r, 400, QStringLiteral("Message not found"));
    if (payload.value("@type").toString() != QLatin1String("callbackQueryPayloadData"))
        return answerError(r, 400, QStringLiteral("Unsupported callback query payload"));
    const QString data = payload.value("data").toString();
    bool known = false;
    for (const QJsonValue &row : message->value("reply_markup").toObject().value("rows").toArray()) {
        for (const QJsonValue &button : row.toArray())
            known = known || button.toObject().value("type").toObject().value("data").toString() == data;
    }
    const auto outcome =
        known && chat->botUserId != 0
            ? SimBotBrain::callback(*m_world, *chat, *message,
                                    QString::fromUtf8(QByteArray::fromBase64(data.toLatin1())))
            : std::nullopt;
    if (!outcome)
        return answerError(r, 400, QStringLiteral("BUTTON_DATA_INVALID"));
    answer(r, typed("callbackQueryAnswer",
                    {{"text", outcome->answerText}, {"show_alert", outcome->showAlert}, {"url", ""}}));
    const qint64 editDate = now();
    if (outcome->newContent) {
        message->insert("content", *outcome->newContent);
        message->insert("edit_date", editDate);
        update(
            typed("updateMessageContent",
                  {{"chat_id", chat->id}, {"message_id", messageId}, {"new_content", *outcome->newContent}}));
    }
    if (outcome->newMarkup)
        message->insert("reply_markup", *outcome->newMarkup);
    if (outcome->newContent || outcome->newMarkup) {
        message->insert("edit_date", editDate);
        QJsonObject edited =
            typed("updateMessageEdited",
                  {{"chat_id", chat->id}, {"message_id", messageId}, {"edit_date", editDate}});
        if (message->contains("reply_markup"))
            edited.insert("reply_markup", message->value("reply_markup"));
        update(edited);
    }
    scheduleBotAnswer(chat->id, outcome->messages);
}

void SimClient::onSendChatAction(SimRequest &r)
{
    const qint64 chatId = r.int64("chat_id");
    r.object("action");
    if (admit(r, Need::Authorization) && requireChat(r, chatId))
        answerOk(r);
}
