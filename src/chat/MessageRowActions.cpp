#include "chat/MessageRowActions.h"

#include "chat/ReactionMessage.h"

namespace MessageRowActions {

const QList<Button> &buttons()
{
    static const QList<Button> all{
        {Action::copy, QStringLiteral("doc.on.doc"), QStringLiteral("Copy message"), QString(), QString()},
        {Action::readAloud, QStringLiteral("speaker.wave.2"), QStringLiteral("Read message aloud"), QString(),
         QString()},
        {Action::quote, QStringLiteral("arrowshape.turn.up.left"), QStringLiteral("Quote this message"),
         QStringLiteral("Quote message"), QString()},
        {Action::thumbsUp, QStringLiteral("hand.thumbsup.fill"), QStringLiteral("Send thumbs up"), QString(),
         QuickReaction::thumbsUp},
        {Action::thumbsDown, QStringLiteral("hand.thumbsdown.fill"), QStringLiteral("Send thumbs down"),
         QString(), QuickReaction::thumbsDown},
        {Action::deleteMessage, QStringLiteral("trash"), QStringLiteral("Delete message"), QString(),
         QString()},
    };
    return all;
}

Avatar avatar(bool isOutgoing)
{
    if (isOutgoing)
        return {QStringLiteral("person.fill"), QStringLiteral("Your message")};
    return {QStringLiteral("sparkles"), QStringLiteral("Bot message")};
}

QString codeHeaderTitle(const QString &language)
{
    return language.isEmpty() ? QStringLiteral("code") : language;
}

bool isDiagram(const QString &language)
{
    return language == QLatin1String("mermaid");
}

DeleteConfirmation deleteConfirmation(bool isOutgoing)
{
    return DeleteConfirmation{QStringLiteral("Delete this message?"),
                              isOutgoing
                                  ? QStringLiteral("It will be removed from this conversation for everyone.")
                                  : QStringLiteral("It will be removed from this conversation for you."),
                              QStringLiteral("Cancel"), QStringLiteral("Delete"), isOutgoing};
}

} // namespace MessageRowActions
