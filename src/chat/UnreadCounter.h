#pragma once

#include "telegram/BotMessage.h"

#include <QList>
#include <algorithm>
#include <QString>
#include <optional>

// The unread counters behind the status item's badge. Telegram's own count
// for the selected bot is followed; messages that arrive while the window is
// not key are counted on top, for the bot that was selected then.
class UnreadCounter
{
public:
    int latestUnreadCount() const { return m_latestUnreadCount; }
    // Messages counted while the window was not key, or Telegram's own count then when higher.
    int pendingUnreadCount() const { return std::max(m_pendingUnreadCount, m_peakLatestWhileAway); }
    const std::optional<QString> &pendingUnreadBotID() const { return m_pendingUnreadBotID; }

    // Another conversation was selected: what was pending belonged to the old one.
    void selectionChanged(const QString &chatID);
    // The selected conversation's unread count from the bot list.
    void updateLatest(int count, bool windowIsKey);
    // A new message list of the selected conversation. historyLoaded: an earlier
    // list of this selection has arrived (the first one adds nothing).
    // windowIsKey is false when there is no window. Returns the number added.
    int messagesChanged(const QList<BotMessage> &previous, const QList<BotMessage> &current,
                        bool historyLoaded, bool windowIsKey, const std::optional<QString> &selectedChatID);
    void windowBecameKey();
    void windowResignedKey(const std::optional<QString> &selectedChatID);
    // Signing out.
    void reset();

    // The count the status item shows.
    int shownCount(bool windowIsKey, const std::optional<QString> &selectedChatID) const;

    // Incoming messages of the new list whose id the previous list did not have;
    // rows the application inserts itself ("Typing…", the Mac progress) are no messages.
    static int newIncomingCount(const QList<BotMessage> &previous, const QList<BotMessage> &current);
    // The badge text: the count, or "99+" from 100 on; empty without unread messages.
    static QString badgeText(int count);
    static QString statusToolTip(int count);

private:
    int m_latestUnreadCount = 0;
    int m_pendingUnreadCount = 0;
    int m_peakLatestWhileAway = 0;
    std::optional<QString> m_pendingUnreadBotID;
};
