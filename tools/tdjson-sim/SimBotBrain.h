#pragma once

#include "SimWorld.h"

#include <QJsonObject>
#include <optional>

// What a demo bot sends: one message, optionally as a reply.
struct SimBotMessage
{
    QJsonObject content;
    QJsonObject replyMarkup;
    qint64 replyToMessageId = 0;
};

// The bot's reaction to a pressed callback button.
struct SimCallbackOutcome
{
    QString answerText;
    bool showAlert = false;
    std::optional<QJsonObject> newMarkup;  // sent as updateMessageEdited
    std::optional<QJsonObject> newContent; // sent as updateMessageContent
    QList<SimBotMessage> messages;
};

// The scripted behaviour of the demo bots: echo-ish answers to what the user
// sends and a few commands that answer with rich messages.
namespace SimBotBrain {

// Empty when the bot stays silent ("/mac" tasks and the application's own Mac
// task replies belong to the Mac, not to the bot).
QList<SimBotMessage> answer(SimWorld &world, SimChat &chat, const QJsonObject &userMessage);
// nullopt when the payload is not one of the bot's buttons.
std::optional<SimCallbackOutcome> callback(SimWorld &world, SimChat &chat, const QJsonObject &message,
                                           const QString &payload);
QJsonObject actionKeyboard(int likes);

} // namespace SimBotBrain
