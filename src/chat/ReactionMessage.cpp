#include "chat/ReactionMessage.h"

const QStringList &ReactionMessage::reactionPrefixes()
{
    // The heart with and without its emoji presentation selector.
    static const QStringList prefixes{QStringLiteral(u"\U0001F44D "), QStringLiteral(u"\U0001F44E "),
                                      QStringLiteral(u"\u2764\uFE0F "), QStringLiteral(u"\u2764 ")};
    return prefixes;
}

std::optional<ReactionMessage> ReactionMessage::parse(const QString &text)
{
    for (const QString &prefix : reactionPrefixes()) {
        if (text.startsWith(prefix))
            return ReactionMessage{prefix.chopped(1), text.mid(prefix.size())};
    }
    return std::nullopt;
}

namespace QuickReaction {

QString text(const QString &reaction, const BotMessage &message)
{
    return reaction + QLatin1Char(' ') + message.text;
}

} // namespace QuickReaction
