// Sending, deleting, pressing inline buttons and downloading in the selected chat.
#include "core/JsonIds.h"
#include "telegram/OutgoingText.h"
#include "telegram/JsonFields.h"
#include "telegram/TelegramClient.h"

#include <QUuid>

namespace {
using JsonFields::kType;

QJsonObject formattedText(const QString &text)
{
    return QJsonObject{{kType, QStringLiteral("formattedText")}, {QStringLiteral("text"), text},
                       {QStringLiteral("entities"), QJsonArray()}};
}

QJsonObject localFile(const QString &path)
{
    return QJsonObject{{kType, QStringLiteral("inputFileLocal")}, {QStringLiteral("path"), path}};
}
} // namespace

QJsonObject TelegramClient::sendRequest(qint64 chat, const std::optional<QString> &replyTo,
                                        const QJsonObject &content) const
{
    QJsonValue reply = QJsonValue::Null;
    if (replyTo) {
        if (const auto message = JsonIds::tdlibID(*replyTo))
            reply = QJsonObject{{kType, QStringLiteral("inputMessageReplyToMessage")},
                                {QStringLiteral("message_id"), *message},
                                {QStringLiteral("quote"), QJsonValue::Null},
                                {QStringLiteral("checklist_task_id"), 0},
                                {QStringLiteral("poll_option_id"), QString()}};
    }
    return QJsonObject{{kType, QStringLiteral("sendMessage")},
                       {QStringLiteral("chat_id"), chat},
                       {QStringLiteral("topic_id"), QJsonValue::Null},
                       {QStringLiteral("reply_to"), reply},
                       {QStringLiteral("options"), QJsonValue::Null},
                       {QStringLiteral("reply_markup"), QJsonValue::Null},
                       {QStringLiteral("input_message_content"), content}};
}

void TelegramClient::sendMessage(const QString &text, const QString &to, const std::optional<QString> &replyTo,
                                 Completion completion)
{
    const auto chat = JsonIds::tdlibID(to);
    if (!chat) {
        if (completion)
            completion(QStringLiteral("That conversation is not available."));
        return;
    }
    sendTextPart(*chat, OutgoingText::split(text), 0, replyTo, std::move(completion));
}

void TelegramClient::sendTextPart(qint64 chat, const QStringList &parts, qsizetype index,
                                  const std::optional<QString> &replyTo, Completion completion)
{
    QJsonObject request = sendRequest(chat, replyTo,
                                      QJsonObject{{kType, QStringLiteral("inputMessageText")},
                                                  {QStringLiteral("text"), formattedText(parts.value(index))},
                                                  {QStringLiteral("link_preview_options"), QJsonValue::Null},
                                                  {QStringLiteral("clear_draft"), true}});
    // A part goes out once TDLib has taken the one before, so the parts arrive
    // in order and a refusal stops the rest.
    Completion next = std::move(completion);
    if (index + 1 < parts.size()) {
        next = [this, chat, parts, index,
                done = std::move(next)](const std::optional<QString> &error) mutable {
            if (!error) {
                sendTextPart(chat, parts, index + 1, std::nullopt, std::move(done));
            } else if (done) {
                done(error);
            } else {
                publishStatus(QStringLiteral("Telegram error: ") + *error);
            }
        };
    }
    if (!next) {
        send(request);
        return;
    }
    const QString key =
        QStringLiteral("mac-reply-") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    {
        QMutexLocker lock(&m_sendCompletionsLock);
        m_sendCompletions.insert(key, std::move(next));
    }
    request.insert(QStringLiteral("@extra"), key);
    if (send(request))
        return;
    // Nothing will ever answer this request.
    {
        QMutexLocker lock(&m_sendCompletionsLock);
        next = m_sendCompletions.take(key);
    }
    if (next)
        next(QStringLiteral("Telegram is not connected."));
}

void TelegramClient::sendPhoto(const QString &path, int width, int height, const QString &caption, const QString &to,
                               const std::optional<QString> &replyTo)
{
    const auto chat = JsonIds::tdlibID(to);
    if (!chat)
        return;
    send(sendRequest(*chat, replyTo,
                     QJsonObject{{kType, QStringLiteral("inputMessagePhoto")},
                                 {QStringLiteral("photo"), QJsonObject{{kType, QStringLiteral("inputPhoto")},
                                                                       {QStringLiteral("photo"), localFile(path)},
                                                                       {QStringLiteral("thumbnail"), QJsonValue::Null},
                                                                       {QStringLiteral("video"), QJsonValue::Null},
                                                                       {QStringLiteral("added_sticker_file_ids"), QJsonArray()},
                                                                       {QStringLiteral("width"), width},
                                                                       {QStringLiteral("height"), height}}},
                                 {QStringLiteral("caption"), formattedText(caption)},
                                 {QStringLiteral("show_caption_above_media"), false},
                                 {QStringLiteral("self_destruct_type"), QJsonValue::Null},
                                 {QStringLiteral("has_spoiler"), false}}));
}

void TelegramClient::sendDocument(const QString &path, const QString &caption, const QString &to,
                                  const std::optional<QString> &replyTo)
{
    const auto chat = JsonIds::tdlibID(to);
    if (!chat)
        return;
    send(sendRequest(*chat, replyTo,
                     QJsonObject{{kType, QStringLiteral("inputMessageDocument")},
                                 {QStringLiteral("document"),
                                  QJsonObject{{kType, QStringLiteral("inputDocument")},
                                              {QStringLiteral("document"), localFile(path)},
                                              {QStringLiteral("thumbnail"), QJsonValue::Null},
                                              {QStringLiteral("disable_content_type_detection"), false}}},
                                 {QStringLiteral("caption"), formattedText(caption)}}));
}

void TelegramClient::sendVoiceNote(const QString &path, int duration, const QString &caption, const QString &to,
                                   const std::optional<QString> &replyTo)
{
    const auto chat = JsonIds::tdlibID(to);
    if (!chat)
        return;
    send(sendRequest(*chat, replyTo,
                     QJsonObject{{kType, QStringLiteral("inputMessageVoiceNote")},
                                 {QStringLiteral("voice_note"), QJsonObject{{kType, QStringLiteral("inputVoiceNote")},
                                                                            {QStringLiteral("voice_note"), localFile(path)},
                                                                            {QStringLiteral("duration"), duration},
                                                                            {QStringLiteral("waveform"), QString()}}},
                                 {QStringLiteral("caption"), formattedText(caption)},
                                 {QStringLiteral("self_destruct_type"), QJsonValue::Null}}));
}

void TelegramClient::deleteMessage(const QString &messageID, const QString &in, bool revoke)
{
    const auto chat = JsonIds::tdlibID(in);
    const auto message = JsonIds::tdlibID(messageID);
    if (!chat || !message)
        return;
    {
        QMutexLocker lock(&m_session);
        m_locallyDeletedMessageIDs.insert(messageID);
    }
    send(QJsonObject{{kType, QStringLiteral("deleteMessages")},
                     {QStringLiteral("chat_id"), *chat},
                     {QStringLiteral("message_ids"), QJsonArray{*message}},
                     {QStringLiteral("revoke"), revoke}});
}

void TelegramClient::pressInlineButton(const BotInlineButton &button, const QString &messageID, const QString &in)
{
    const auto chat = JsonIds::tdlibID(in);
    const auto message = JsonIds::tdlibID(messageID);
    if (!chat || !message)
        return;
    send(QJsonObject{{kType, QStringLiteral("getCallbackQueryAnswer")},
                     {QStringLiteral("chat_id"), *chat},
                     {QStringLiteral("message_id"), *message},
                     {QStringLiteral("payload"), QJsonObject{{kType, QStringLiteral("callbackQueryPayloadData")},
                                                             {QStringLiteral("data"), button.callbackData}}}});
}

void TelegramClient::downloadFile(const QString &fileID)
{
    const auto file = JsonIds::tdlibID(fileID);
    if (!file)
        return;
    send(QJsonObject{{kType, QStringLiteral("downloadFile")},
                     {QStringLiteral("file_id"), *file},
                     {QStringLiteral("priority"), 16},
                     {QStringLiteral("offset"), 0},
                     {QStringLiteral("limit"), 0},
                     {QStringLiteral("synchronous"), false}});
}
