// The selected chat's timeline: the newest 50 raw messages, the per-chat
// archive, placeholder collapsing and deletion hiding.
#include "core/JsonIds.h"
#include "core/SafeFileCopy.h"
#include "telegram/HistoryArchive.h"
#include "telegram/JsonFields.h"
#include "telegram/MessageConverter.h"
#include "telegram/TelegramClient.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTimer>
#include <algorithm>
#include <tuple>
#include <vector>

namespace {
using JsonFields::kType;
constexpr int kRetention = 50;

double dateOf(const QJsonObject &message)
{
    const QJsonValue date = message.value(QStringLiteral("date"));
    return date.isDouble() ? date.toDouble() : 0.0;
}

QString sendSignature(const QJsonObject &message)
{
    const QJsonObject content = message.value(QStringLiteral("content")).toObject();
    QString text = content.value(QStringLiteral("text")).toObject().value(QStringLiteral("text")).toString();
    if (text.isEmpty())
        text = content.value(QStringLiteral("caption")).toObject().value(QStringLiteral("text")).toString();
    return (message.value(QStringLiteral("is_outgoing")).toBool() ? QStringLiteral("true")
                                                                  : QStringLiteral("false")) +
           u'|' + content.value(kType).toString() + u'|' + text;
}

} // namespace

QString TelegramClient::historyFilePath(const QString &chatID) const
{
    return QDir(m_baseDirectory).filePath(QStringLiteral("history/") + chatID + QStringLiteral(".json"));
}

QList<QJsonObject> TelegramClient::sortedRawMessages() const
{
    // Messages of the same second keep the order they were written in: the
    // confirmed ones by their id, which grows with every message of a chat, and
    // one still being sent (its id is temporary) after them.
    struct Key
    {
        double date;
        bool pending;
        qint64 id;
        const QJsonObject *message;
    };
    std::vector<Key> keyed;
    keyed.reserve(size_t(m_rawMessages.size()));
    for (auto it = m_rawMessages.cbegin(); it != m_rawMessages.cend(); ++it) {
        const QJsonObject &message = it.value();
        keyed.push_back({dateOf(message), message.contains(QStringLiteral("sending_state")),
                         JsonIds::tdlibID(it.key()).value_or(0), &message});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Key &a, const Key &b) {
        return std::tie(a.date, a.pending, a.id) < std::tie(b.date, b.pending, b.id);
    });
    QList<QJsonObject> messages;
    messages.reserve(qsizetype(keyed.size()));
    for (const Key &entry : keyed)
        messages.append(*entry.message);
    return messages;
}

void TelegramClient::publishMessages(const QJsonArray &messages, bool markRead)
{
    QMutexLocker lock(&m_session);
    const std::optional<qint64> chat = m_currentChatID ? JsonIds::tdlibID(*m_currentChatID) : std::nullopt;

    // A history answer for the previously selected chat can arrive after a
    // switch: only this chat's messages (or ones that do not say) are kept.
    QJsonArray accepted;
    for (const QJsonValue &value : messages) {
        const QJsonObject message = value.toObject();
        const QJsonValue messageChat = message.value(QStringLiteral("chat_id"));
        if (!messageChat.isUndefined() && !messageChat.isNull() && !isCurrentChat(messageChat))
            continue;
        accepted.append(value);
    }

    if (chat && markRead) {
        QJsonArray ids;
        for (const QJsonValue &value : accepted) {
            const QJsonValue id = value.toObject().value(QStringLiteral("id"));
            if (!id.isUndefined())
                ids.append(id);
        }
        if (!ids.isEmpty())
            send(QJsonObject{{kType, QStringLiteral("viewMessages")},
                             {QStringLiteral("chat_id"), *chat},
                             {QStringLiteral("message_ids"), ids},
                             {QStringLiteral("source"), QJsonValue::Null},
                             {QStringLiteral("force_read"), true}});
    }

    for (const QJsonValue &value : accepted) {
        const QJsonObject message = value.toObject();
        if (const auto id = JsonIds::idString(message.value(QStringLiteral("id"))))
            m_rawMessages.insert(*id, message);
    }
    collapseSendPlaceholders();

    QList<QJsonObject> sorted = sortedRawMessages();
    if (sorted.size() > kRetention) {
        for (qsizetype i = 0; i < sorted.size() - kRetention; ++i)
            m_rawMessages.remove(
                JsonIds::idString(sorted[i].value(QStringLiteral("id"))).value_or(QString()));
        sorted.remove(0, sorted.size() - kRetention);
    }
    saveArchivedHistory(sorted);
    publishCurrentMessages(sorted);
}

void TelegramClient::publishCurrentMessages()
{
    publishCurrentMessages(sortedRawMessages());
}

void TelegramClient::publishCurrentMessages(const QList<QJsonObject> &sorted, bool requestDownloads)
{
    QMutexLocker lock(&m_session);
    // A list belongs to a chat; without a selected one there is nothing to show.
    if (!m_currentChatID)
        return;
    const QString chatID = *m_currentChatID;
    QList<QJsonObject> current = sorted;
    if (!m_latestFiles.isEmpty()) {
        for (QJsonObject &message : current)
            message = withLatestFiles(message).toObject();
    }
    TimelineConversion conversion =
        MessageConverter::convertMessages(current, {&m_rawMessages, &m_chats, m_currentChatID});
    QList<BotMessage> published;
    published.reserve(conversion.messages.size());
    for (BotMessage &message : conversion.messages) {
        if (!m_deletedMessageIDs.contains(message.id))
            published.append(std::move(message));
    }
    // A file is asked for again on every publication unless its download is
    // already under way, so failed or evicted downloads are retried.
    for (const QString &fileID : std::as_const(conversion.downloadFileIDs)) {
        if (requestDownloads && !m_downloadsInFlight.contains(fileID)) {
            m_downloadsInFlight.insert(fileID);
            downloadFile(fileID);
        }
    }
    m_publishedMessages = published;
    post([this, chatID, published] {
        // The user may have picked another bot while this list was on its way.
        if (onMessagesChanged && currentChatID() == chatID)
            onMessagesChanged(chatID, published);
    });
}

void TelegramClient::collapseSendPlaceholders()
{
    const auto isPending = [](const QJsonObject &m) { return m.contains(QStringLiteral("sending_state")); };
    if (std::none_of(m_rawMessages.cbegin(), m_rawMessages.cend(), isPending))
        return;
    QHash<QString, QList<double>> confirmed;
    for (const QJsonObject &message : std::as_const(m_rawMessages)) {
        if (!message.contains(QStringLiteral("sending_state")))
            confirmed[sendSignature(message)].append(dateOf(message));
    }
    const double now = double(QDateTime::currentSecsSinceEpoch());
    for (auto it = m_rawMessages.begin(); it != m_rawMessages.end();) {
        const QJsonObject &message = it.value();
        bool drop = false;
        if (message.contains(QStringLiteral("sending_state"))) {
            const double date = dateOf(message);
            const QList<double> dates = confirmed.value(sendSignature(message));
            drop = std::any_of(dates.begin(), dates.end(),
                               [date](double d) { return std::abs(d - date) <= 5.0; }) ||
                   date < now - 600.0;
        }
        it = drop ? m_rawMessages.erase(it) : std::next(it);
    }
}

void TelegramClient::saveArchivedHistory()
{
    saveArchivedHistory(sortedRawMessages());
}

void TelegramClient::saveArchivedHistory(const QList<QJsonObject> &sorted)
{
    if (!m_currentChatID)
        return;
    QJsonArray array;
    for (const QJsonObject &message : sorted)
        array.append(message);
    const QString path = historyFilePath(*m_currentChatID);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return;
    // Written whole and atomically: a crash or a full disk never leaves half
    // an archive; the next change writes everything again.
    SafeFileCopy::replaceWith(path, QJsonDocument(array).toJson(QJsonDocument::Compact), nullptr);
}

void TelegramClient::loadArchivedHistory(const QString &chatID)
{
    QFile file(historyFilePath(chatID));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const auto entries = HistoryArchive::read(file.readAll());
    if (!entries)
        return;
    QMutexLocker lock(&m_session);
    for (const QJsonObject &message : *entries) {
        const auto id = JsonIds::idString(message.value(QStringLiteral("id")));
        if (id && !m_deletedMessageIDs.contains(*id))
            m_rawMessages.insert(*id, message);
    }
    if (m_rawMessages.isEmpty())
        return;
    QJsonArray all;
    for (const QJsonObject &message : std::as_const(m_rawMessages))
        all.append(message);
    publishMessages(all);
}

void TelegramClient::handleSendResult(const QJsonObject &update)
{
    const QJsonObject message = update.value(QStringLiteral("message")).toObject();
    QJsonValue chat = message.value(QStringLiteral("chat_id"));
    if (chat.isUndefined())
        chat = update.value(QStringLiteral("chat_id"));
    const auto chatID = JsonIds::idString(chat);
    // Two absent values count as the same chat.
    if (chatID != m_currentChatID)
        return;
    if (const auto old = JsonIds::idString(update.value(QStringLiteral("old_message_id"))))
        m_rawMessages.remove(*old);
    if (const auto id = JsonIds::idString(message.value(QStringLiteral("id"))))
        m_rawMessages.insert(*id, message);
    saveArchivedHistory();
    publishCurrentMessages();
}

void TelegramClient::handleMessageContent(const QJsonObject &update)
{
    if (!isCurrentChat(update.value(QStringLiteral("chat_id"))))
        return;
    const auto id = JsonIds::idString(update.value(QStringLiteral("message_id")));
    if (!id || !m_rawMessages.contains(*id))
        return;
    const QJsonValue content = update.value(QStringLiteral("new_content"));
    if (!content.isObject())
        return;
    m_rawMessages[*id].insert(QStringLiteral("content"), content);
    publishCurrentMessages();
}

void TelegramClient::handleMessageEdited(const QJsonObject &update)
{
    if (!isCurrentChat(update.value(QStringLiteral("chat_id"))))
        return;
    const auto id = JsonIds::idString(update.value(QStringLiteral("message_id")));
    if (!id || !m_rawMessages.contains(*id))
        return;
    const QJsonValue markup = update.value(QStringLiteral("reply_markup"));
    if (markup.isObject())
        m_rawMessages[*id].insert(QStringLiteral("reply_markup"), markup);
    publishCurrentMessages();
}

void TelegramClient::handleDeleteMessages(const QJsonObject &update)
{
    if (!isCurrentChat(update.value(QStringLiteral("chat_id"))))
        return;
    QStringList removed;
    for (const QJsonValue &value : update.value(QStringLiteral("message_ids")).toArray()) {
        const auto id = JsonIds::idString(value);
        if (id && m_locallyDeletedMessageIDs.contains(*id))
            removed.append(*id);
    }
    if (removed.isEmpty())
        return;
    for (const QString &id : std::as_const(removed)) {
        m_deletedMessageIDs.insert(id);
        m_rawMessages.remove(id);
    }
    saveArchivedHistory();
    publishCurrentMessages();
}

void TelegramClient::handleFileUpdate(const QJsonObject &file)
{
    const auto id = JsonIds::idString(file.value(QStringLiteral("id")));
    const QJsonObject local = file.value(QStringLiteral("local")).toObject();
    const bool completed = local.value(QStringLiteral("is_downloading_completed")).toBool();
    if (id && (completed || !local.value(QStringLiteral("is_downloading_active")).toBool()))
        m_downloadsInFlight.remove(*id);
    if (id) {
        m_latestFiles.insert(*id, file);
        const auto shown = std::any_of(
            m_publishedMessages.cbegin(), m_publishedMessages.cend(), [&](const BotMessage &message) {
                return std::any_of(message.segments.cbegin(), message.segments.cend(),
                                   [&](const BotMessageSegment &segment) {
                                       return segment.kind == BotMessageSegment::Kind::Attachment &&
                                              segment.fileID == *id;
                                   });
            });
        if (shown)
            scheduleProgressPublication();
    }
    if (completed && m_currentChatID)
        sendHistoryForCurrentChat();
}

void TelegramClient::scheduleProgressPublication()
{
    // TDLib reports progress many times a second; the rows need a fraction of that.
    if (m_progressPublicationPending)
        return;
    m_progressPublicationPending = true;
    post([this] {
        QTimer::singleShot(kProgressIntervalMs, m_guard.get(), [this] {
            QMutexLocker lock(&m_session);
            m_progressPublicationPending = false;
            publishCurrentMessages(sortedRawMessages(), false);
        });
    });
}

QJsonValue TelegramClient::withLatestFiles(const QJsonValue &value) const
{
    if (value.isArray()) {
        QJsonArray out;
        for (const QJsonValue &entry : value.toArray())
            out.append(withLatestFiles(entry));
        return out;
    }
    if (!value.isObject())
        return value;
    QJsonObject object = value.toObject();
    if (object.value(QStringLiteral("@type")).toString() == u"file") {
        const auto id = JsonIds::idString(object.value(QStringLiteral("id")));
        const auto latest = id ? m_latestFiles.constFind(*id) : m_latestFiles.cend();
        return latest == m_latestFiles.cend() ? value : QJsonValue(*latest);
    }
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it->isObject() || it->isArray())
            *it = withLatestFiles(*it);
    }
    return object;
}
