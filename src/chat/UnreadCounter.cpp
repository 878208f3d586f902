#include "chat/UnreadCounter.h"

#include <QSet>
#include <algorithm>

void UnreadCounter::selectionChanged(const QString &chatID)
{
    m_pendingUnreadBotID = chatID;
    m_pendingUnreadCount = 0;
    m_peakLatestWhileAway = 0;
}

void UnreadCounter::updateLatest(int count, bool windowIsKey)
{
    m_latestUnreadCount = std::max(count, 0);
    // Kept apart from the counted arrivals: Telegram's count and the new list
    // report the same message, in either order, and must not add up.
    if (!windowIsKey)
        m_peakLatestWhileAway = std::max(m_peakLatestWhileAway, m_latestUnreadCount);
}

int UnreadCounter::messagesChanged(const QList<BotMessage> &previous, const QList<BotMessage> &current,
                                   bool historyLoaded, bool windowIsKey,
                                   const std::optional<QString> &selectedChatID)
{
    if (!historyLoaded || windowIsKey || !selectedChatID || m_pendingUnreadBotID != selectedChatID)
        return 0;
    const int added = newIncomingCount(previous, current);
    // Saturate rather than wrap on an absurd number of lists.
    m_pendingUnreadCount = int(std::min<qint64>(qint64(m_pendingUnreadCount) + added, 1'000'000'000));
    return added;
}

void UnreadCounter::windowBecameKey()
{
    m_pendingUnreadCount = 0;
    m_peakLatestWhileAway = 0;
}

void UnreadCounter::windowResignedKey(const std::optional<QString> &selectedChatID)
{
    m_pendingUnreadBotID = selectedChatID;
    m_pendingUnreadCount = std::max(pendingUnreadCount(), m_latestUnreadCount);
    m_peakLatestWhileAway = 0;
}

void UnreadCounter::reset()
{
    m_latestUnreadCount = 0;
    m_pendingUnreadCount = 0;
    m_peakLatestWhileAway = 0;
    m_pendingUnreadBotID.reset();
}

int UnreadCounter::shownCount(bool windowIsKey, const std::optional<QString> &selectedChatID) const
{
    if (windowIsKey)
        return 0;
    // Nothing selected and no bot recorded compare equal here, as they should.
    const int pending = m_pendingUnreadBotID == selectedChatID ? pendingUnreadCount() : 0;
    return std::max(pending, m_latestUnreadCount);
}

namespace {

// Telegram's order within a chat: date, then message id.
bool isLater(const BotMessage &message, const BotMessage &than)
{
    if (message.date != than.date)
        return message.date > than.date;
    bool ok = false, thanOk = false;
    const qint64 id = message.id.toLongLong(&ok);
    const qint64 thanID = than.id.toLongLong(&thanOk);
    return ok && thanOk ? id > thanID : message.id != than.id;
}

} // namespace

int UnreadCounter::newIncomingCount(const QList<BotMessage> &previous, const QList<BotMessage> &current)
{
    QSet<QString> known;
    const BotMessage *newest = nullptr;
    for (const BotMessage &message : previous) {
        known.insert(message.id);
        if (!message.isEphemeral && (!newest || isLater(message, *newest)))
            newest = &message;
    }
    int count = 0;
    for (const BotMessage &message : current) {
        // Older messages filled in behind the newest one shown are history, not arrivals.
        if (!message.isOutgoing && !message.isEphemeral && !known.contains(message.id) &&
            (!newest || isLater(message, *newest)))
            ++count;
    }
    return count;
}

QString UnreadCounter::badgeText(int count)
{
    if (count <= 0)
        return QString();
    return count >= 100 ? QStringLiteral("99+") : QString::number(count);
}

QString UnreadCounter::statusToolTip(int count)
{
    if (count <= 0)
        return QStringLiteral("Tessaly View");
    return QStringLiteral(u"Tessaly View \u00B7 ") + QString::number(count) +
           QStringLiteral(" unread messages");
}
