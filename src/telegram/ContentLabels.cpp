#include "telegram/ContentLabels.h"

#include "telegram/JsonFields.h"

#include <QHash>

namespace MessageConverter {

namespace {

const QHash<QString, QString> &labelTable()
{
    static const QHash<QString, QString> table = {
        {QStringLiteral("messagePoll"), QStringLiteral("Poll")},
        {QStringLiteral("messageContact"), QStringLiteral("Contact")},
        {QStringLiteral("messageLocation"), QStringLiteral("Location")},
        {QStringLiteral("messageVenue"), QStringLiteral("Venue")},
        {QStringLiteral("messageDice"), QStringLiteral("Dice")},
        {QStringLiteral("messageGame"), QStringLiteral("Game")},
        {QStringLiteral("messageInvoice"), QStringLiteral("Invoice")},
        {QStringLiteral("messageCall"), QStringLiteral("Call")},
        {QStringLiteral("messageExpiredPhoto"), QStringLiteral("Expired photo")},
        {QStringLiteral("messageExpiredVideo"), QStringLiteral("Expired video")},
        {QStringLiteral("messageExpiredVoiceNote"), QStringLiteral("Expired voice message")},
        {QStringLiteral("messageExpiredVideoNote"), QStringLiteral("Expired video message")},
        {QStringLiteral("messageUnsupported"), QStringLiteral("Unsupported message")},
        {QStringLiteral("messageScreenshotTaken"), QStringLiteral("Screenshot taken")},
        {QStringLiteral("messagePinMessage"), QStringLiteral("Pinned message")},
        {QStringLiteral("messageChatChangeTitle"), QStringLiteral("Chat title changed")},
        {QStringLiteral("messageChatChangePhoto"), QStringLiteral("Chat photo changed")},
        {QStringLiteral("messageChatDeletePhoto"), QStringLiteral("Chat photo removed")},
        {QStringLiteral("messageChatAddMembers"), QStringLiteral("Members added")},
        {QStringLiteral("messageChatDeleteMember"), QStringLiteral("Member removed")},
        {QStringLiteral("messageChatJoinByLink"), QStringLiteral("Joined by link")},
        {QStringLiteral("messageChatJoinByRequest"), QStringLiteral("Joined by request")},
        {QStringLiteral("messageChatUpgradeTo"), QStringLiteral("Group upgraded to supergroup")},
        {QStringLiteral("messageChatUpgradeFrom"), QStringLiteral("Supergroup created")},
        {QStringLiteral("messageSupergroupChatCreate"), QStringLiteral("Supergroup created")},
        {QStringLiteral("messageBasicGroupChatCreate"), QStringLiteral("Group created")},
        {QStringLiteral("messageChatSetTheme"), QStringLiteral("Chat theme changed")},
        {QStringLiteral("messageChatSetBackground"), QStringLiteral("Chat background changed")},
        {QStringLiteral("messageChatBoost"), QStringLiteral("Chat boosted")},
        {QStringLiteral("messageVideoChatStarted"), QStringLiteral("Video chat started")},
        {QStringLiteral("messageVideoChatEnded"), QStringLiteral("Video chat ended")},
        {QStringLiteral("messageVideoChatScheduled"), QStringLiteral("Video chat scheduled")},
        {QStringLiteral("messageGroupCall"), QStringLiteral("Group call")},
        {QStringLiteral("messageInviteVideoChatParticipants"), QStringLiteral("Video chat invitation")},
        {QStringLiteral("messageForumTopicCreated"), QStringLiteral("Topic created")},
        {QStringLiteral("messageForumTopicEdited"), QStringLiteral("Topic edited")},
        {QStringLiteral("messageForumTopicIsClosedToggled"), QStringLiteral("Topic closed or reopened")},
        {QStringLiteral("messageForumTopicIsHiddenToggled"), QStringLiteral("Topic hidden or shown")},
        {QStringLiteral("messageContactRegistered"), QStringLiteral("Contact joined Telegram")},
        {QStringLiteral("messageCustomServiceAction"), QStringLiteral("Service message")},
        {QStringLiteral("messagePaymentSuccessful"), QStringLiteral("Payment received")},
        {QStringLiteral("messagePaymentSuccessfulBot"), QStringLiteral("Payment received")},
        {QStringLiteral("messagePaymentRefunded"), QStringLiteral("Payment refunded")},
        {QStringLiteral("messagePassportDataSent"), QStringLiteral("Passport data sent")},
        {QStringLiteral("messagePassportDataReceived"), QStringLiteral("Passport data received")},
        {QStringLiteral("messageWebAppDataSent"), QStringLiteral("Web app data sent")},
        {QStringLiteral("messageWebAppDataReceived"), QStringLiteral("Web app data received")},
        {QStringLiteral("messageGiveaway"), QStringLiteral("Giveaway")},
        {QStringLiteral("messageGiveawayCreated"), QStringLiteral("Giveaway created")},
        {QStringLiteral("messageGiveawayCompleted"), QStringLiteral("Giveaway completed")},
        {QStringLiteral("messageGiveawayWinners"), QStringLiteral("Giveaway winners")},
        {QStringLiteral("messageGiveawayPrizeStars"), QStringLiteral("Stars from a giveaway")},
        {QStringLiteral("messageGift"), QStringLiteral("Gift")},
        {QStringLiteral("messageUpgradedGift"), QStringLiteral("Gift")},
        {QStringLiteral("messageGiftedPremium"), QStringLiteral("Telegram Premium gift")},
        {QStringLiteral("messageGiftedStars"), QStringLiteral("Stars gift")},
        {QStringLiteral("messageGiftedGrams"), QStringLiteral("Gram gift")},
        {QStringLiteral("messagePremiumGiftCode"), QStringLiteral("Telegram Premium gift code")},
        {QStringLiteral("messageRefundedUpgradedGift"), QStringLiteral("Gift refund")},
        {QStringLiteral("messageUpgradedGiftPurchaseOffer"), QStringLiteral("Gift purchase offer")},
        {QStringLiteral("messageUpgradedGiftPurchaseOfferRejected"),
         QStringLiteral("Gift purchase offer rejected")},
        {QStringLiteral("messageStory"), QStringLiteral("Story")},
        {QStringLiteral("messageChecklist"), QStringLiteral("Checklist")},
        {QStringLiteral("messageRichMessage"), QStringLiteral("Rich message")},
        {QStringLiteral("messagePaidMedia"), QStringLiteral("Paid media")},
    };
    return table;
}

const QHash<QString, QString> &symbolTable()
{
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> t = {
            {QStringLiteral("messagePhoto"), QStringLiteral("photo")},
            {QStringLiteral("messageExpiredPhoto"), QStringLiteral("photo")},
            {QStringLiteral("messageVideo"), QStringLiteral("video")},
            {QStringLiteral("messageExpiredVideo"), QStringLiteral("video")},
            {QStringLiteral("messageAnimation"), QStringLiteral("play.rectangle")},
            {QStringLiteral("messageSticker"), QStringLiteral("face.smiling")},
            {QStringLiteral("messageLocation"), QStringLiteral("mappin.and.ellipse")},
            {QStringLiteral("messageVenue"), QStringLiteral("mappin.circle")},
            {QStringLiteral("messageContact"), QStringLiteral("person.crop.circle")},
            {QStringLiteral("messagePoll"), QStringLiteral("chart.bar.xaxis")},
            {QStringLiteral("messageDice"), QStringLiteral("die.face.5")},
            {QStringLiteral("messageGame"), QStringLiteral("gamecontroller")},
            {QStringLiteral("messageInvoice"), QStringLiteral("doc.text")},
            {QStringLiteral("messageCall"), QStringLiteral("phone")},
            {QStringLiteral("messageStory"), QStringLiteral("play.square.stack")},
            {QStringLiteral("messageChecklist"), QStringLiteral("checklist")},
            {QStringLiteral("messageRichMessage"), QStringLiteral("doc.richtext")},
            {QStringLiteral("messagePaidMedia"), QStringLiteral("star.circle")},
        };
        for (const char *giftType :
             {"messageGift", "messageUpgradedGift", "messageGiftedPremium", "messageGiftedStars",
              "messageGiftedGrams", "messagePremiumGiftCode", "messageRefundedUpgradedGift",
              "messageUpgradedGiftPurchaseOffer", "messageUpgradedGiftPurchaseOfferRejected",
              "messageGiveaway", "messageGiveawayCreated", "messageGiveawayCompleted",
              "messageGiveawayWinners", "messageGiveawayPrizeStars"})
            t.insert(QString::fromLatin1(giftType), QStringLiteral("gift"));
        return t;
    }();
    return table;
}

// "messageFooBar" → "Foo bar": the word "message" goes, and every capital after
// the first character becomes a space and its lower-case form.
QString labelFromTypeName(const QString &contentType)
{
    QString name = contentType;
    name.remove(QStringLiteral("message"));
    if (name.isEmpty())
        return QStringLiteral("Message");
    QString label;
    label.reserve(name.size() + 4);
    label.append(name.at(0));
    for (qsizetype i = 1; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isUpper()) {
            label.append(u' ');
            label.append(c.toLower());
        } else {
            label.append(c);
        }
    }
    return label;
}

QString counted(qint64 count, QStringView suffix)
{
    return QString::number(count).append(suffix);
}

} // namespace

QString mediaLabel(const QString &contentType)
{
    const auto &table = labelTable();
    const auto it = table.constFind(contentType);
    return it != table.cend() ? *it : labelFromTypeName(contentType);
}

QString mediaSymbol(const QString &contentType)
{
    return symbolTable().value(contentType, QStringLiteral("paperclip"));
}

std::optional<QString> giftSummary(const QString &contentType, const QJsonObject &content)
{
    using JsonFields::integer;
    using JsonFields::object;
    using JsonFields::string;

    if (contentType == u"messageGift") {
        const QString emoji = string(object(object(content, u"gift"), u"sticker"), u"emoji");
        return emoji.isEmpty() ? QStringLiteral("Gift") : QStringLiteral("Gift ") + emoji;
    }
    if (contentType == u"messageUpgradedGift") {
        const QJsonObject gift = object(content, u"gift");
        const QString title = string(gift, u"title");
        if (!title.isEmpty())
            return title;
        const QString modelName = string(object(gift, u"model"), u"name");
        return modelName.isEmpty() ? QStringLiteral("Gift") : modelName;
    }
    if (contentType == u"messageGiftedPremium") {
        if (const qint64 months = integer(content, u"month_count"); months > 0)
            return QStringLiteral("Telegram Premium gift, ") + counted(months, u" months");
        if (const qint64 days = integer(content, u"day_count"); days > 0)
            return QStringLiteral("Telegram Premium gift, ") + counted(days, u" days");
        return QStringLiteral("Telegram Premium gift");
    }
    if (contentType == u"messageGiftedStars") {
        const qint64 stars = integer(content, u"star_count");
        return stars >= 1 ? counted(stars, u" Stars gift") : QStringLiteral("Stars gift");
    }
    if (contentType == u"messageGiftedGrams") {
        const qint64 grams = integer(content, u"gram_amount");
        return grams >= 1 ? counted(grams, u" Gram gift") : QStringLiteral("Gram gift");
    }
    if (contentType == u"messagePremiumGiftCode")
        return QStringLiteral("Telegram Premium gift code");
    if (contentType == u"messageGiveaway" || contentType == u"messageGiveawayCreated" ||
        contentType == u"messageGiveawayCompleted")
        return QStringLiteral("Giveaway");
    if (contentType == u"messageGiveawayWinners") {
        const qint64 winners = integer(content, u"winner_count");
        return winners > 0 ? QStringLiteral("Giveaway, ") + counted(winners, u" winners")
                           : QStringLiteral("Giveaway winners");
    }
    if (contentType == u"messageGiveawayPrizeStars") {
        const qint64 stars = integer(content, u"star_count");
        return stars > 0 ? counted(stars, u" Stars from a giveaway")
                         : QStringLiteral("Stars from a giveaway");
    }
    if (contentType == u"messageRefundedUpgradedGift")
        return QStringLiteral("Gift refund");
    if (contentType == u"messageUpgradedGiftPurchaseOffer")
        return QStringLiteral("Gift purchase offer");
    if (contentType == u"messageUpgradedGiftPurchaseOfferRejected")
        return QStringLiteral("Gift purchase offer rejected");
    return std::nullopt;
}

} // namespace MessageConverter
