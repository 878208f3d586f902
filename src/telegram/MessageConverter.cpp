#include "telegram/MessageConverter.h"

#include "core/JsonIds.h"
#include "telegram/ContentLabels.h"
#include "telegram/FormattedText.h"
#include "telegram/JsonFields.h"
#include "telegram/RichMessageText.h"

#include <QFileInfo>

namespace MessageConverter {

namespace {

using AttachmentKind = BotMessageSegment::AttachmentKind;
using JsonFields::array;
using JsonFields::object;
using JsonFields::string;

struct Body
{
    QString text;
    QList<BotMessageSegment> segments;
};

enum class Download { Automatic, OnRequest };

QString firstNonEmpty(const QString &first, const QString &second, const QString &fallback)
{
    if (!first.isEmpty())
        return first;
    return second.isEmpty() ? fallback : second;
}

// What TDLib reports of a file still on its way; nothing once it rests.
std::optional<BotFileTransfer> fileTransfer(const QJsonObject &file)
{
    using Direction = BotFileTransfer::Direction;
    const QJsonObject local = object(file, u"local");
    const QJsonObject remote = object(file, u"remote");
    qint64 expected = JsonFields::integer(file, u"expected_size");
    if (expected <= 0)
        expected = JsonFields::integer(file, u"size");
    if (remote.value(u"is_uploading_active").toBool())
        return BotFileTransfer{Direction::Upload, JsonFields::integer(remote, u"uploaded_size"), expected};
    if (local.value(u"is_downloading_active").toBool() && !local.value(u"is_downloading_completed").toBool())
        return BotFileTransfer{Direction::Download, JsonFields::integer(local, u"downloaded_size"), expected};
    return std::nullopt;
}

BotMessageSegment attachment(AttachmentKind kind, const QJsonObject &file, const QString &name,
                             Download download, QStringList &downloadFileIDs)
{
    const QString fileID = JsonIds::idString(file.value(u"id")).value_or(QString());
    std::optional<QString> path = localPath(file);
    std::optional<BotFileTransfer> transfer = fileTransfer(file);
    // Without an id the file cannot be requested at all; a download under way
    // is not asked for a second time.
    const bool downloading = transfer && transfer->direction == BotFileTransfer::Direction::Download;
    if (!path && !downloading && download == Download::Automatic && !fileID.isEmpty())
        downloadFileIDs.append(fileID);
    BotMessageSegment segment = BotMessageSegment::makeAttachment(kind, fileID, name, path);
    segment.transfer = std::move(transfer);
    return segment;
}

// The file of a TDLib "photo": its last, largest size. Absent without sizes.
std::optional<QJsonObject> largestPhotoFile(const QJsonObject &photo)
{
    const QJsonArray sizes = array(photo, u"sizes");
    if (sizes.isEmpty())
        return std::nullopt;
    const QJsonValue file = sizes.last().toObject().value(u"photo");
    if (!file.isObject())
        return std::nullopt;
    return file.toObject();
}

void appendCaptionSegments(QList<BotMessageSegment> &segments, const QJsonObject &caption,
                           const QString &text)
{
    if (!text.isEmpty())
        segments.append(formattedTextSegments(text, array(caption, u"entities")));
}

// The attachment followed by the caption; the caption is the text, or the
// attachment's name when there is none.
Body withCaption(BotMessageSegment segment, const QJsonObject &content)
{
    const QJsonObject caption = object(content, u"caption");
    const QString captionString = string(caption, u"text");
    Body body;
    body.text = captionString.isEmpty() ? segment.name : captionString;
    body.segments.append(std::move(segment));
    appendCaptionSegments(body.segments, caption, captionString);
    return body;
}

Body withoutCaption(BotMessageSegment segment)
{
    Body body;
    body.text = segment.name;
    body.segments.append(std::move(segment));
    return body;
}

Body placeholder(const QString &type, const QJsonObject &content)
{
    const QString label = mediaLabel(type);
    const QJsonObject caption = object(content, u"caption");
    const QString captionString = string(caption, u"text");
    Body body;
    body.text = captionString.isEmpty() ? u'[' + label.toLower() + u']' : captionString;
    body.segments.append(BotMessageSegment::makeMedia(mediaSymbol(type), label));
    appendCaptionSegments(body.segments, caption, captionString);
    return body;
}

Body documentBody(const QJsonObject &content, QStringList &downloads)
{
    const QJsonObject document = object(content, u"document");
    const QString name = firstNonEmpty(string(document, u"file_name"), {}, QStringLiteral("Document"));
    const bool isPdf = string(document, u"mime_type") == u"application/pdf" ||
                       name.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
    return withCaption(attachment(isPdf ? AttachmentKind::Pdf : AttachmentKind::Document,
                                  object(document, u"document"), name, Download::Automatic, downloads),
                       content);
}

Body contentBody(const QString &type, const QJsonObject &content, QStringList &downloads)
{
    if (type == u"messageText") {
        const QJsonObject text = object(content, u"text");
        Body body;
        body.text = string(text, u"text");
        body.segments = formattedTextSegments(body.text, array(text, u"entities"));
        return body;
    }
    if (type == u"messageAnimatedEmoji") {
        const QString emoji = string(content, u"emoji");
        return {emoji, {BotMessageSegment::makeText(emoji)}};
    }
    if (type == u"messageAudio") {
        const QJsonObject audio = object(content, u"audio");
        const QString name =
            firstNonEmpty(string(audio, u"file_name"), string(audio, u"title"), QStringLiteral("Audio"));
        return withCaption(
            attachment(AttachmentKind::Audio, object(audio, u"audio"), name, Download::OnRequest, downloads),
            content);
    }
    if (type == u"messageVoiceNote") {
        const QJsonObject file = object(object(content, u"voice_note"), u"voice");
        return withCaption(attachment(AttachmentKind::Audio, file, QStringLiteral("Voice message"),
                                      Download::Automatic, downloads),
                           content);
    }
    if (type == u"messageDocument")
        return documentBody(content, downloads);
    if (type == u"messagePhoto") {
        if (const auto file = largestPhotoFile(object(content, u"photo")))
            return withCaption(attachment(AttachmentKind::Image, *file, QStringLiteral("Image"),
                                          Download::Automatic, downloads),
                               content);
        return placeholder(type, content);
    }
    if (type == u"messageVideo" || type == u"messageAnimation") {
        const bool isVideo = type == u"messageVideo";
        const QJsonObject media = object(content, isVideo ? u"video" : u"animation");
        const QString name = firstNonEmpty(string(media, u"file_name"), {},
                                           isVideo ? QStringLiteral("Video") : QStringLiteral("Animation"));
        const QJsonObject file = object(media, isVideo ? u"video" : u"animation");
        return withCaption(attachment(AttachmentKind::Document, file, name, Download::Automatic, downloads),
                           content);
    }
    if (type == u"messageVideoNote") {
        const QJsonObject file = object(object(content, u"video_note"), u"video");
        return withoutCaption(attachment(AttachmentKind::Document, file, QStringLiteral("Video message"),
                                         Download::Automatic, downloads));
    }
    if (type == u"messageSticker") {
        const QJsonObject sticker = object(content, u"sticker");
        const QString emoji = string(sticker, u"emoji");
        const QString name = emoji.isEmpty() ? QStringLiteral("Sticker") : QStringLiteral("Sticker ") + emoji;
        return withoutCaption(attachment(AttachmentKind::Document, object(sticker, u"sticker"), name,
                                         Download::Automatic, downloads));
    }
    if (type == u"messageRichMessage") {
        const QString text = richMessageText(content);
        if (text.isEmpty())
            return {QStringLiteral("Rich message"),
                    {BotMessageSegment::makeMedia(QStringLiteral("doc.richtext"),
                                                  QStringLiteral("Rich message"))}};
        return {text, {BotMessageSegment::makeText(text)}};
    }
    if (type == u"messageChecklist") {
        QString text = checklistText(object(content, u"list"));
        if (text.isEmpty())
            text = QStringLiteral("Checklist");
        return {text, {BotMessageSegment::makeText(text)}};
    }
    if (type == u"messagePaidMedia") {
        const QJsonObject caption = object(content, u"caption");
        const QString captionString = string(caption, u"text");
        Body body;
        body.text = captionString.isEmpty() ? QStringLiteral("Paid media") : captionString;
        body.segments.append(paidMediaAttachment(content, downloads)
                                 .value_or(BotMessageSegment::makeMedia(QStringLiteral("star.circle"),
                                                                        QStringLiteral("Paid media"))));
        appendCaptionSegments(body.segments, caption, captionString);
        return body;
    }
    if (type == u"messageStory")
        return {QStringLiteral("Story"),
                {BotMessageSegment::makeMedia(QStringLiteral("play.square.stack"), QStringLiteral("Story"))}};
    if (const auto summary = giftSummary(type, content)) {
        const QJsonObject text = object(content, u"text");
        const QString textString = string(text, u"text");
        Body body;
        body.text = textString.isEmpty() ? *summary : *summary + u'\n' + textString;
        body.segments.append(BotMessageSegment::makeMedia(QStringLiteral("gift"), *summary));
        appendCaptionSegments(body.segments, text, textString);
        return body;
    }
    if (type == u"messageUnsupported")
        return {QStringLiteral("Unsupported message"), {BotMessageSegment::makeUnsupported()}};
    return placeholder(type, content);
}

QString chatTitle(const MessageConversionContext &context)
{
    if (!context.chats || !context.currentChatID)
        return {};
    const auto it = context.chats->constFind(*context.currentChatID);
    return it == context.chats->cend() ? QString() : string(*it, u"title");
}

} // namespace

MessageConversion convertMessage(const QJsonObject &message, const MessageConversionContext &context)
{
    MessageConversion result;
    const std::optional<QString> id = JsonIds::idString(message.value(u"id"));
    const QJsonValue content = message.value(u"content");
    if (!id || !content.isObject())
        return result;

    const QJsonObject contentObject = content.toObject();
    Body body = contentBody(JsonFields::type(contentObject), contentObject, result.downloadFileIDs);

    BotMessage converted;
    converted.id = *id;
    converted.text = std::move(body.text);
    converted.segments = std::move(body.segments);
    converted.isOutgoing = message.value(u"is_outgoing").toBool(false);
    converted.date = JsonFields::integer(message, u"date");
    converted.buttons = inlineKeyboard(message.value(u"reply_markup"));
    converted.reply = replySummary(message.value(u"reply_to"), context);
    converted.isEphemeral = false;
    const QJsonObject sendingState = object(message, u"sending_state");
    if (JsonFields::type(sendingState) == u"messageSendingStateFailed") {
        converted.sendFailed = true;
        converted.sendFailureReason = string(object(sendingState, u"error"), u"message");
    } else if (JsonFields::type(sendingState) == u"messageSendingStatePending") {
        // Until Telegram confirms the message its files count as being sent,
        // also before their upload starts and after it ends.
        for (BotMessageSegment &segment : converted.segments) {
            if (segment.kind == BotMessageSegment::Kind::Attachment && !segment.transfer)
                segment.transfer = BotFileTransfer{BotFileTransfer::Direction::Upload, 0, 0};
        }
    }
    result.message = std::move(converted);
    return result;
}

TimelineConversion convertMessages(const QList<QJsonObject> &messages,
                                   const MessageConversionContext &context)
{
    TimelineConversion timeline;
    timeline.messages.reserve(messages.size());
    for (const QJsonObject &message : messages) {
        MessageConversion one = convertMessage(message, context);
        if (one.message)
            timeline.messages.append(std::move(*one.message));
        timeline.downloadFileIDs.append(one.downloadFileIDs);
    }
    return timeline;
}

QString captionText(const QJsonValue &caption)
{
    return caption.toObject().value(u"text").toString();
}

std::optional<QString> localPath(const QJsonObject &file)
{
    const QJsonObject local = object(file, u"local");
    if (!local.value(u"is_downloading_completed").toBool())
        return std::nullopt;
    const QString path = string(local, u"path");
    // TDLib may still report a file that was since removed from its cache.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return std::nullopt;
    return path;
}

std::optional<BotMessageSegment> paidMediaAttachment(const QJsonObject &content, QStringList &downloadFileIDs)
{
    const QJsonArray media = array(content, u"media");
    if (media.isEmpty())
        return std::nullopt;
    const QJsonObject first = media.first().toObject();
    const QString type = JsonFields::type(first);
    if (type == u"paidMediaPhoto") {
        const auto file = largestPhotoFile(object(first, u"photo"));
        if (!file)
            return std::nullopt;
        return attachment(AttachmentKind::Image, *file, QStringLiteral("Image"), Download::Automatic,
                          downloadFileIDs);
    }
    if (type == u"paidMediaVideo") {
        const QJsonObject video = object(first, u"video");
        const QString name = firstNonEmpty(string(video, u"file_name"), {}, QStringLiteral("Video"));
        return attachment(AttachmentKind::Document, object(video, u"video"), name, Download::Automatic,
                          downloadFileIDs);
    }
    return std::nullopt;
}

QString messagePlainText(const QJsonObject &message)
{
    const QJsonObject content = object(message, u"content");
    const QString type = JsonFields::type(content);
    if (type == u"messageText")
        return string(object(content, u"text"), u"text");
    const QString caption = captionText(content.value(u"caption"));
    if (!caption.isEmpty())
        return caption;
    if (type == u"messageChecklist")
        return checklistText(object(content, u"list"));
    if (type == u"messageRichMessage")
        return richMessageText(content);
    return u'[' + mediaLabel(type).toLower() + u']';
}

QList<QList<BotInlineButton>> inlineKeyboard(const QJsonValue &replyMarkup)
{
    QList<QList<BotInlineButton>> rows;
    const QJsonObject markup = replyMarkup.toObject();
    if (JsonFields::type(markup) != u"replyMarkupInlineKeyboard")
        return rows;
    for (const QJsonValue &rowValue : array(markup, u"rows")) {
        QList<BotInlineButton> row;
        for (const QJsonValue &buttonValue : rowValue.toArray()) {
            const QJsonObject button = buttonValue.toObject();
            if (JsonFields::type(object(button, u"type")) != u"inlineKeyboardButtonTypeCallback")
                continue;
            const QJsonValue text = button.value(u"text");
            const QJsonValue data = object(button, u"type").value(u"data");
            if (!text.isString() || !data.isString())
                continue;
            row.append(BotInlineButton{text.toString(), data.toString()});
        }
        if (!row.isEmpty())
            rows.append(std::move(row));
    }
    return rows;
}

std::optional<BotReply> replySummary(const QJsonValue &replyTo, const MessageConversionContext &context)
{
    const QJsonObject reply = replyTo.toObject();
    const QString type = JsonFields::type(reply);
    if (type == u"messageReplyToStory")
        return BotReply{QStringLiteral("Story"), QStringLiteral("Replied to a story"), false};
    if (type != u"messageReplyToMessage")
        return std::nullopt;

    const QJsonObject *replied = nullptr;
    if (context.rawMessages) {
        if (const auto id = JsonIds::idString(reply.value(u"message_id"))) {
            const auto it = context.rawMessages->constFind(*id);
            if (it != context.rawMessages->cend())
                replied = &*it;
        }
    }

    QString text = string(object(object(reply, u"quote"), u"text"), u"text");
    if (text.isEmpty() && replied)
        text = messagePlainText(*replied);
    if (text.isEmpty())
        return std::nullopt;

    if (replied && replied->value(u"is_outgoing").toBool())
        return BotReply{QStringLiteral("You"), text, true};
    const QString title = chatTitle(context);
    return BotReply{title.isEmpty() ? QStringLiteral("Bot") : title, text, false};
}

} // namespace MessageConverter
