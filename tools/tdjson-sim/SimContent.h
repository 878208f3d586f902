#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <utility>

class SimFiles;

// Builders of TDLib message contents and related objects in TDLib 1.8.67's
// shapes. Texts and captions take the demo markup of SimMarkup.
namespace SimContent {

// A TDLib object of the given type with the given fields.
inline QJsonObject typed(const char *type, QJsonObject fields = {})
{
    fields.insert("@type", QLatin1String(type));
    return fields;
}

QJsonObject text(const QString &markup);
QJsonObject photo(SimFiles &files, const QString &asset, int width, int height, const QString &caption = {});
QJsonObject document(SimFiles &files, const QString &asset, const QString &fileName, const QString &mimeType,
                     const QString &caption = {});
QJsonObject audio(SimFiles &files, const QString &asset, const QString &title, const QString &performer,
                  const QString &fileName, int duration);
QJsonObject voiceNote(SimFiles &files, const QString &asset, int duration, const QString &caption = {});
QJsonObject video(SimFiles &files, const QString &asset, const QString &fileName,
                  const QString &caption = {});
QJsonObject videoNote(SimFiles &files, const QString &asset);
QJsonObject animation(SimFiles &files, const QString &asset, const QString &fileName);
QJsonObject sticker(SimFiles &files, const QString &asset, const QString &emoji);
QJsonObject location(double latitude, double longitude);
QJsonObject venue(double latitude, double longitude, const QString &title, const QString &address);
QJsonObject contact(const QString &phone, const QString &firstName, const QString &lastName, qint64 userId);
QJsonObject poll(const QString &question, const QStringList &options, const QList<int> &votes);
QJsonObject dice(const QString &emoji, int value);
QJsonObject animatedEmoji(const QString &emoji);
QJsonObject checklist(const QString &title, const QList<std::pair<QString, bool>> &tasks, qint64 doneDate);
QJsonObject gift(SimFiles &files, const QString &emoji, int stars, qint64 senderId, qint64 receiverId,
                 const QString &markup = {});
QJsonObject upgradedGift(const QString &title, const QString &modelName, qint64 receiverId);
QJsonObject giftedPremium(qint64 gifterId, qint64 receiverId, int months);
QJsonObject giftedStars(qint64 gifterId, qint64 receiverId, int stars);
QJsonObject giveawayWinners(qint64 chatId, int winners);
QJsonObject paidMediaPhoto(SimFiles &files, const QString &asset, int stars, const QString &caption);
QJsonObject story(qint64 posterChatId, int storyId);
QJsonObject richMessage(const QJsonArray &blocks);
QJsonObject richParagraph(const QString &text);
QJsonObject richHeader(const QString &text);
QJsonObject richList(const QStringList &items);
QJsonObject chatAddMembers(const QList<qint64> &userIds);
QJsonObject pinMessage(qint64 messageId);
QJsonObject chatChangeTitle(const QString &title);
QJsonObject contactRegistered();
QJsonObject customServiceAction(const QString &text);
QJsonObject screenshotTaken();
QJsonObject basicGroupChatCreate(const QString &title, const QList<qint64> &userIds);
QJsonObject expiredPhoto();
QJsonObject call(int duration);
QJsonObject unsupported();

// Inline keyboards: one entry per row; a button is (caption, "data:<payload>" for
// a callback button or an http(s) address for a URL button).
QJsonObject inlineKeyboard(const QList<QList<std::pair<QString, QString>>> &rows);
QJsonObject replyTo(qint64 chatId, qint64 messageId, const QString &quote = {});

} // namespace SimContent
