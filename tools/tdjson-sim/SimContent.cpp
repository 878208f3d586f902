#include "SimContent.h"

#include "SimFiles.h"
#include "SimMarkup.h"

#include <QByteArray>

using SimMarkup::parse;

namespace {

using SimContent::typed;

QJsonObject caption(const QString &markup)
{
    return parse(markup);
}

QJsonObject photoObject(SimFiles &files, const QString &asset, int width, int height)
{
    const int fileId = files.addAsset(asset, QStringLiteral("photos"));
    const QJsonObject size = typed("photoSize", {{"type", "x"},
                                                 {"photo", files.fileObject(fileId)},
                                                 {"width", width},
                                                 {"height", height},
                                                 {"progressive_sizes", QJsonArray()}});
    return typed("photo", {{"has_stickers", false}, {"sizes", QJsonArray{size}}});
}

QJsonObject stickerObject(SimFiles &files, const QString &asset, const QString &emoji)
{
    const int fileId = files.addAsset(asset, QStringLiteral("stickers"));
    return typed("sticker", {{"id", "5163300001"},
                             {"set_id", "5163300000"},
                             {"width", 256},
                             {"height", 256},
                             {"emoji", emoji},
                             {"format", typed("stickerFormatWebp")},
                             {"full_type", typed("stickerFullTypeRegular")},
                             {"sticker", files.fileObject(fileId)}});
}

QJsonObject sender(qint64 userId)
{
    return typed("messageSenderUser", {{"user_id", userId}});
}

} // namespace

namespace SimContent {

QJsonObject text(const QString &markup)
{
    return typed("messageText", {{"text", parse(markup)}});
}

QJsonObject photo(SimFiles &files, const QString &asset, int width, int height, const QString &captionMarkup)
{
    return typed("messagePhoto", {{"photo", photoObject(files, asset, width, height)},
                                  {"caption", caption(captionMarkup)},
                                  {"show_caption_above_media", false},
                                  {"has_spoiler", false},
                                  {"is_secret", false}});
}

QJsonObject document(SimFiles &files, const QString &asset, const QString &fileName, const QString &mimeType,
                     const QString &captionMarkup)
{
    const int fileId = files.addAsset(asset, QStringLiteral("documents"));
    files.find(fileId)->fileName = fileName;
    const QJsonObject doc =
        typed("document",
              {{"file_name", fileName}, {"mime_type", mimeType}, {"document", files.fileObject(fileId)}});
    return typed("messageDocument", {{"document", doc}, {"caption", caption(captionMarkup)}});
}

QJsonObject audio(SimFiles &files, const QString &asset, const QString &title, const QString &performer,
                  const QString &fileName, int duration)
{
    const int fileId = files.addAsset(asset, QStringLiteral("music"));
    files.find(fileId)->fileName = fileName;
    const QJsonObject a = typed("audio", {{"duration", duration},
                                          {"title", title},
                                          {"performer", performer},
                                          {"file_name", fileName},
                                          {"mime_type", "audio/x-wav"},
                                          {"external_album_covers", QJsonArray()},
                                          {"audio", files.fileObject(fileId)}});
    return typed("messageAudio", {{"audio", a}, {"caption", caption({})}});
}

QJsonObject voiceNote(SimFiles &files, const QString &asset, int duration, const QString &captionMarkup)
{
    const int fileId = files.addAsset(asset, QStringLiteral("voice"));
    // A 5-bit waveform of 100 samples, as TDLib delivers it (base64).
    QByteArray waveform;
    for (int i = 0; i < 63; ++i)
        waveform.append(char((i * 37 + 11) % 256));
    const QJsonObject voice = typed("voiceNote", {{"duration", duration},
                                                  {"waveform", QString::fromLatin1(waveform.toBase64())},
                                                  {"mime_type", "audio/ogg"},
                                                  {"voice", files.fileObject(fileId)}});
    return typed("messageVoiceNote",
                 {{"voice_note", voice}, {"caption", caption(captionMarkup)}, {"is_listened", false}});
}

QJsonObject video(SimFiles &files, const QString &asset, const QString &fileName,
                  const QString &captionMarkup)
{
    const int fileId = files.addAsset(asset, QStringLiteral("videos"));
    files.find(fileId)->fileName = fileName;
    const QJsonObject v = typed("video", {{"duration", 2},
                                          {"width", 320},
                                          {"height", 240},
                                          {"file_name", fileName},
                                          {"mime_type", "video/mp4"},
                                          {"has_stickers", false},
                                          {"supports_streaming", true},
                                          {"video", files.fileObject(fileId)}});
    return typed("messageVideo", {{"video", v},
                                  {"alternative_videos", QJsonArray()},
                                  {"storyboards", QJsonArray()},
                                  {"start_timestamp", 0},
                                  {"caption", caption(captionMarkup)},
                                  {"show_caption_above_media", false},
                                  {"has_spoiler", false},
                                  {"is_secret", false}});
}

QJsonObject videoNote(SimFiles &files, const QString &asset)
{
    const int fileId = files.addAsset(asset, QStringLiteral("video_notes"));
    const QJsonObject note =
        typed("videoNote",
              {{"duration", 2}, {"waveform", ""}, {"length", 240}, {"video", files.fileObject(fileId)}});
    return typed("messageVideoNote", {{"video_note", note}, {"is_viewed", false}, {"is_secret", false}});
}

QJsonObject animation(SimFiles &files, const QString &asset, const QString &fileName)
{
    const int fileId = files.addAsset(asset, QStringLiteral("animations"));
    files.find(fileId)->fileName = fileName;
    const QJsonObject a = typed("animation", {{"duration", 2},
                                              {"width", 320},
                                              {"height", 240},
                                              {"file_name", fileName},
                                              {"mime_type", "video/mp4"},
                                              {"has_stickers", false},
                                              {"animation", files.fileObject(fileId)}});
    return typed("messageAnimation", {{"animation", a},
                                      {"caption", caption({})},
                                      {"show_caption_above_media", false},
                                      {"has_spoiler", false},
                                      {"is_secret", false}});
}

QJsonObject sticker(SimFiles &files, const QString &asset, const QString &emoji)
{
    return typed("messageSticker", {{"sticker", stickerObject(files, asset, emoji)}, {"is_premium", false}});
}

QJsonObject location(double latitude, double longitude)
{
    return typed("messageLocation", {{"location", typed("location", {{"latitude", latitude},
                                                                     {"longitude", longitude},
                                                                     {"horizontal_accuracy", 0}})}});
}

QJsonObject venue(double latitude, double longitude, const QString &title, const QString &address)
{
    const QJsonObject loc =
        typed("location", {{"latitude", latitude}, {"longitude", longitude}, {"horizontal_accuracy", 0}});
    return typed("messageVenue", {{"venue", typed("venue", {{"location", loc},
                                                            {"title", title},
                                                            {"address", address},
                                                            {"provider", ""},
                                                            {"id", ""},
                                                            {"type", ""}})}});
}

QJsonObject contact(const QString &phone, const QString &firstName, const QString &lastName, qint64 userId)
{
    return typed("messageContact", {{"contact", typed("contact", {{"phone_number", phone},
                                                                  {"first_name", firstName},
                                                                  {"last_name", lastName},
                                                                  {"vcard", ""},
                                                                  {"user_id", userId}})}});
}

QJsonObject poll(const QString &question, const QStringList &options, const QList<int> &votes)
{
    int total = 0;
    for (int v : votes)
        total += v;
    QJsonArray opts;
    for (int i = 0; i < options.size(); ++i) {
        const int count = votes.value(i);
        opts.append(typed("pollOption", {{"id", QString::number(i)},
                                         {"text", parse(options[i])},
                                         {"voter_count", count},
                                         {"vote_percentage", total ? count * 100 / total : 0},
                                         {"recent_voter_ids", QJsonArray()},
                                         {"is_chosen", false},
                                         {"is_being_chosen", false},
                                         {"addition_date", 0}}));
    }
    const QJsonObject p = typed("poll", {{"id", "6100000000000000001"},
                                         {"question", parse(question)},
                                         {"options", opts},
                                         {"total_voter_count", total},
                                         {"recent_voter_ids", QJsonArray()},
                                         {"can_get_voters", false},
                                         {"can_see_results", true},
                                         {"is_anonymous", true},
                                         {"allows_multiple_answers", false},
                                         {"allows_revoting", true},
                                         {"members_only", false},
                                         {"country_codes", QJsonArray()},
                                         {"option_order", QJsonArray()},
                                         {"type", typed("pollTypeRegular")},
                                         {"open_period", 0},
                                         {"close_date", 0},
                                         {"is_closed", false}});
    return typed("messagePoll", {{"poll", p}, {"description", parse({})}, {"can_add_option", false}});
}

QJsonObject dice(const QString &emoji, int value)
{
    return typed("messageDice", {{"emoji", emoji}, {"value", value}, {"success_animation_frame_number", 0}});
}

QJsonObject animatedEmoji(const QString &emoji)
{
    return typed(
        "messageAnimatedEmoji",
        {{"animated_emoji",
          typed("animatedEmoji", {{"sticker_width", 512}, {"sticker_height", 512}, {"fitzpatrick_type", 0}})},
         {"emoji", emoji}});
}

QJsonObject checklist(const QString &title, const QList<std::pair<QString, bool>> &tasks, qint64 doneDate)
{
    QJsonArray list;
    int id = 1;
    for (const auto &[taskText, done] : tasks) {
        list.append(
            typed("checklistTask",
                  {{"id", id++}, {"text", parse(taskText)}, {"completion_date", done ? doneDate : 0}}));
    }
    const QJsonObject c = typed("checklist", {{"title", parse(title)},
                                              {"tasks", list},
                                              {"others_can_add_tasks", false},
                                              {"can_add_tasks", false},
                                              {"others_can_mark_tasks_as_done", true},
                                              {"can_mark_tasks_as_done", true}});
    return typed("messageChecklist", {{"list", c}});
}

QJsonObject gift(SimFiles &files, const QString &emoji, int stars, qint64 senderId, qint64 receiverId,
                 const QString &markup)
{
    const QJsonObject g =
        typed("gift", {{"id", "5170145012310081615"},
                       {"publisher_chat_id", 0},
                       {"sticker", stickerObject(files, QStringLiteral("sticker.png"), emoji)},
                       {"star_count", stars},
                       {"default_sell_star_count", stars * 85 / 100},
                       {"upgrade_star_count", 0},
                       {"upgrade_variant_count", 0},
                       {"has_colors", false},
                       {"is_for_birthday", false},
                       {"is_premium", false},
                       {"next_send_date", 0},
                       {"first_send_date", 0},
                       {"last_send_date", 0}});
    return typed("messageGift", {{"gift", g},
                                 {"sender_id", sender(senderId)},
                                 {"receiver_id", sender(receiverId)},
                                 {"received_gift_id", "1"},
                                 {"text", parse(markup)},
                                 {"unique_gift_number", 0},
                                 {"sell_star_count", stars * 85 / 100},
                                 {"prepaid_upgrade_star_count", 0},
                                 {"is_upgrade_separate", false},
                                 {"is_from_auction", false},
                                 {"is_private", false},
                                 {"is_saved", false},
                                 {"is_prepaid_upgrade", false},
                                 {"can_be_upgraded", false},
                                 {"was_converted", false},
                                 {"was_upgraded", false},
                                 {"was_refunded", false},
                                 {"upgraded_received_gift_id", ""},
                                 {"prepaid_upgrade_hash", ""}});
}

QJsonObject upgradedGift(const QString &title, const QString &modelName, qint64 receiverId)
{
    const QJsonObject g =
        typed("upgradedGift", {{"id", "5170145012310081700"},
                               {"regular_gift_id", "5170145012310081615"},
                               {"publisher_chat_id", 0},
                               {"title", title},
                               {"name", title.simplified().replace(' ', QString()) + "-1042"},
                               {"number", 1042},
                               {"total_upgraded_count", 5000},
                               {"max_upgraded_count", 10000},
                               {"model", typed("upgradedGiftModel", {{"name", modelName}})}});
    return typed("messageUpgradedGift",
                 {{"gift", g},
                  {"receiver_id", sender(receiverId)},
                  {"origin", typed("upgradedGiftOriginUpgrade", {{"gift_message_id", 0}})},
                  {"received_gift_id", "2"},
                  {"is_saved", true},
                  {"can_be_transferred", false},
                  {"was_transferred", false},
                  {"transfer_star_count", 0},
                  {"next_transfer_date", 0},
                  {"next_resale_date", 0},
                  {"export_date", 0}});
}

QJsonObject giftedPremium(qint64 gifterId, qint64 receiverId, int months)
{
    return typed("messageGiftedPremium", {{"gifter_user_id", gifterId},
                                          {"receiver_user_id", receiverId},
                                          {"text", parse({})},
                                          {"currency", "EUR"},
                                          {"amount", 1399},
                                          {"cryptocurrency", ""},
                                          {"cryptocurrency_amount", "0"},
                                          {"month_count", months},
                                          {"day_count", months * 30}});
}

QJsonObject giftedStars(qint64 gifterId, qint64 receiverId, int stars)
{
    return typed("messageGiftedStars", {{"gifter_user_id", gifterId},
                                        {"receiver_user_id", receiverId},
                                        {"currency", "EUR"},
                                        {"amount", 199},
                                        {"cryptocurrency", ""},
                                        {"cryptocurrency_amount", "0"},
                                        {"star_count", stars},
                                        {"transaction_id", "sim-tx-1"}});
}

QJsonObject giveawayWinners(qint64 chatId, int winners)
{
    return typed("messageGiveawayWinners", {{"boosted_chat_id", chatId},
                                            {"giveaway_message_id", 0},
                                            {"additional_chat_count", 0},
                                            {"actual_winners_selection_date", 0},
                                            {"only_new_members", false},
                                            {"was_refunded", false},
                                            {"prize", typed("giveawayPrizePremium", {{"month_count", 3}})},
                                            {"prize_description", ""},
                                            {"winner_count", winners},
                                            {"winner_user_ids", QJsonArray()},
                                            {"unclaimed_prize_count", 0}});
}

QJsonObject paidMediaPhoto(SimFiles &files, const QString &asset, int stars, const QString &captionMarkup)
{
    const QJsonObject media = typed("paidMediaPhoto", {{"photo", photoObject(files, asset, 640, 400)}});
    return typed("messagePaidMedia", {{"star_count", stars},
                                      {"media", QJsonArray{media}},
                                      {"caption", caption(captionMarkup)},
                                      {"show_caption_above_media", false}});
}

QJsonObject story(qint64 posterChatId, int storyId)
{
    return typed("messageStory",
                 {{"story_poster_chat_id", posterChatId}, {"story_id", storyId}, {"via_mention", false}});
}

QJsonObject richParagraph(const QString &text)
{
    return typed("pageBlockParagraph", {{"text", typed("richTextPlain", {{"text", text}})}});
}

QJsonObject richHeader(const QString &text)
{
    return typed("pageBlockHeader",
                 {{"header", typed("richTextBold", {{"text", typed("richTextPlain", {{"text", text}})}})}});
}

QJsonObject richList(const QStringList &items)
{
    QJsonArray entries;
    for (int i = 0; i < items.size(); ++i) {
        entries.append(typed("pageBlockListItem", {{"label", QStringLiteral("%1.").arg(i + 1)},
                                                   {"blocks", QJsonArray{richParagraph(items[i])}},
                                                   {"has_checkbox", false},
                                                   {"is_checked", false},
                                                   {"value", i + 1},
                                                   {"type", ""}}));
    }
    return typed("pageBlockList", {{"items", entries}});
}

QJsonObject richMessage(const QJsonArray &blocks)
{
    return typed(
        "messageRichMessage",
        {{"message", typed("richMessage", {{"blocks", blocks}, {"is_rtl", false}, {"is_full", true}})}});
}

QJsonObject chatAddMembers(const QList<qint64> &userIds)
{
    QJsonArray ids;
    for (qint64 id : userIds)
        ids.append(id);
    return typed("messageChatAddMembers", {{"member_user_ids", ids}});
}

QJsonObject pinMessage(qint64 messageId)
{
    return typed("messagePinMessage", {{"message_id", messageId}});
}
QJsonObject chatChangeTitle(const QString &title)
{
    return typed("messageChatChangeTitle", {{"title", title}});
}
QJsonObject contactRegistered()
{
    return typed("messageContactRegistered");
}
QJsonObject customServiceAction(const QString &text)
{
    return typed("messageCustomServiceAction", {{"text", text}});
}
QJsonObject screenshotTaken()
{
    return typed("messageScreenshotTaken");
}
QJsonObject expiredPhoto()
{
    return typed("messageExpiredPhoto");
}
QJsonObject unsupported()
{
    return typed("messageUnsupported");
}

QJsonObject basicGroupChatCreate(const QString &title, const QList<qint64> &userIds)
{
    QJsonArray ids;
    for (qint64 id : userIds)
        ids.append(id);
    return typed("messageBasicGroupChatCreate", {{"title", title}, {"member_user_ids", ids}});
}

QJsonObject call(int duration)
{
    return typed("messageCall", {{"unique_id", "1"},
                                 {"is_video", false},
                                 {"discard_reason", typed("callDiscardReasonHungUp")},
                                 {"duration", duration}});
}

QJsonObject inlineKeyboard(const QList<QList<std::pair<QString, QString>>> &rows)
{
    QJsonArray outRows;
    for (const auto &row : rows) {
        QJsonArray buttons;
        for (const auto &[caption, action] : row) {
            QJsonObject type;
            if (action.startsWith(QLatin1String("data:"))) {
                type = typed("inlineKeyboardButtonTypeCallback",
                             {{"data", QString::fromLatin1(action.mid(5).toUtf8().toBase64())}});
            } else {
                type = typed("inlineKeyboardButtonTypeUrl", {{"url", action}});
            }
            buttons.append(typed("inlineKeyboardButton", {{"text", caption},
                                                          {"icon_custom_emoji_id", "0"},
                                                          {"style", typed("buttonStyleDefault")},
                                                          {"type", type}}));
        }
        outRows.append(buttons);
    }
    return typed("replyMarkupInlineKeyboard", {{"rows", outRows}});
}

QJsonObject replyTo(qint64 chatId, qint64 messageId, const QString &quote)
{
    QJsonObject reply = typed("messageReplyToMessage", {{"chat_id", chatId},
                                                        {"message_id", messageId},
                                                        {"checklist_task_id", 0},
                                                        {"poll_option_id", ""},
                                                        {"origin_send_date", 0}});
    if (!quote.isEmpty())
        reply.insert("quote",
                     typed("textQuote", {{"text", parse(quote)}, {"position", 0}, {"is_manual", true}}));
    return reply;
}

} // namespace SimContent
