#pragma once

#include "settings/ChatStyle.h"
#include "telegram/BotMessage.h"

#include <QString>
#include <QStringList>
#include <optional>

// Messages that are quick reactions: an emoji, a space, then the text of the
// message reacted to. Rows show the emoji large and the rest as a quote.
struct ReactionMessage
{
    QString emoji;
    QString rest;

    // The recognised prefixes, each an emoji followed by one space.
    static const QStringList &reactionPrefixes();
    static std::optional<ReactionMessage> parse(const QString &text);

    // Emoji point size and body point size at a font scale.
    static qreal emojiPointSize(qreal fontScale) { return ChatStyle::Metrics::reactionEmoji * fontScale; }
    static qreal restPointSize(qreal fontScale) { return ChatStyle::Metrics::body * fontScale; }

    friend bool operator==(const ReactionMessage &, const ReactionMessage &) = default;
};

// The two reaction buttons of a row and what they send.
namespace QuickReaction {

inline const QString thumbsUp = QStringLiteral(u"\U0001F44D");
inline const QString thumbsDown = QStringLiteral(u"\U0001F44E");

// The reaction, a space and the message's full text, sent as a reply to it.
QString text(const QString &reaction, const BotMessage &message);

} // namespace QuickReaction
