#pragma once

#include <QString>
#include <optional>

// What "Retry last message" sends again.
struct LastSentMessage
{
    QString chatID;
    QString text;
    std::optional<QString> replyToMessageID;

    // Retry only resends into the conversation it was sent to.
    bool canRetryIn(const std::optional<QString> &selectedChatID) const
    {
        return selectedChatID.has_value() && *selectedChatID == chatID;
    }

    friend bool operator==(const LastSentMessage &, const LastSentMessage &) = default;
};
