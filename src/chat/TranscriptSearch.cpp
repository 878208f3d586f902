#include "chat/TranscriptSearch.h"

namespace TranscriptSearch {

QString normalizedQuery(const QString &fieldText)
{
    return fieldText.trimmed();
}

QList<BotMessage> filteredMessages(const QList<BotMessage> &messages, const QString &searchQuery)
{
    if (searchQuery.isEmpty())
        return messages;
    const QString query = searchQuery.toLower();
    QList<BotMessage> kept;
    for (const BotMessage &message : messages) {
        if (message.text.toLower().contains(query) ||
            (message.reply && message.reply->text.toLower().contains(query)))
            kept << message;
    }
    return kept;
}

QString emptyStateText(const QString &searchQuery)
{
    if (!searchQuery.isEmpty())
        return QStringLiteral(u"No messages match \u201C") + searchQuery + QStringLiteral(u"\u201D.");
    return QStringLiteral(u"Choose a bot from Settings \u2192 Choose Bot\u2026");
}

bool emptyStateVisible(const QString &searchQuery, qsizetype visibleCount, bool conversationSelected)
{
    if (!searchQuery.isEmpty())
        return visibleCount == 0;
    return !conversationSelected;
}

} // namespace TranscriptSearch
