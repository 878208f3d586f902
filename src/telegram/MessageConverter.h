#pragma once

#include "telegram/BotMessage.h"

#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What converting a message may look up besides the message itself. The
// tables are borrowed, not copied: they must outlive the conversion call.
struct MessageConversionContext
{
    // The selected chat's stored messages, message id text → TDLib "message".
    // Reply quotes look up the replied-to message here.
    const QHash<QString, QJsonObject> *rawMessages = nullptr;
    // Chat id text → TDLib "chat"; the selected chat's "title" names the bot in
    // reply quotes.
    const QHash<QString, QJsonObject> *chats = nullptr;
    std::optional<QString> currentChatID;
};

struct MessageConversion
{
    // Absent when the message has no "id" or no "content".
    std::optional<BotMessage> message;
    // Files of the message that are not on disk yet and should be fetched in
    // the background, as TDLib file id texts in order of appearance. Sending
    // the requests is the caller's job.
    QStringList downloadFileIDs;
};

struct TimelineConversion
{
    // The converted messages in input order; messages that do not convert are left out.
    QList<BotMessage> messages;
    QStringList downloadFileIDs;
};

// Turns TDLib "message" objects into the application's BotMessage values.
// Pure functions of their inputs apart from checking whether downloaded files
// still exist; safe to call from any thread while the context's tables are
// not being modified.
namespace MessageConverter {

MessageConversion convertMessage(const QJsonObject &message, const MessageConversionContext &context);

TimelineConversion convertMessages(const QList<QJsonObject> &messages,
                                   const MessageConversionContext &context);

// The "text" of a TDLib "formattedText" caption, or an empty text.
QString captionText(const QJsonValue &caption);

// The local path of a TDLib "file" once its download is complete and the file
// is still on disk; otherwise nothing.
std::optional<QString> localPath(const QJsonObject &file);

// The attachment of a "messagePaidMedia" content's first photo or video;
// nothing for other kinds. A file not yet on disk is added to downloadFileIDs.
std::optional<BotMessageSegment> paidMediaAttachment(const QJsonObject &content,
                                                     QStringList &downloadFileIDs);

// A message's text for reply quotes: the text, the caption, or a "[label]".
QString messagePlainText(const QJsonObject &message);

// The callback buttons of an inline keyboard markup; other button kinds and
// rows left empty are dropped, so a keyboard without callback buttons gives an
// empty list.
QList<QList<BotInlineButton>> inlineKeyboard(const QJsonValue &replyMarkup);

// The quote shown above a reply; nothing when there is no text to show.
std::optional<BotReply> replySummary(const QJsonValue &replyTo, const MessageConversionContext &context);

} // namespace MessageConverter
