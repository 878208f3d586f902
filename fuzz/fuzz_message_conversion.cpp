// A TDLib "message" object, as an update or a history answer delivers it, into
// a BotMessage, with the lookups the client's timeline provides.
#include "FuzzSupport.h"
#include "core/JsonIds.h"
#include "telegram/MessageConverter.h"

#include <QJsonObject>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto doc = fuzzJson(data, size);
    if (!doc || !doc->isObject())
        return 0;
    const QJsonObject message = doc->object();

    // The message itself is stored under its id, next to an earlier one it may
    // reply to, as in the selected chat's table.
    QHash<QString, QJsonObject> raw;
    raw.insert(QStringLiteral("1"),
               QJsonObject{{QStringLiteral("id"), 1},
                           {QStringLiteral("content"),
                            QJsonObject{{QStringLiteral("@type"), QStringLiteral("messageText")},
                                        {QStringLiteral("text"), QJsonObject{{QStringLiteral("text"), QStringLiteral("hi")}}}}}});
    if (const auto id = JsonIds::idString(message.value(QStringLiteral("id"))))
        raw.insert(*id, message);
    QHash<QString, QJsonObject> chats;
    chats.insert(QStringLiteral("42"), QJsonObject{{QStringLiteral("title"), QStringLiteral("Demo Bot")}});
    const MessageConversionContext context{&raw, &chats, QStringLiteral("42")};

    const MessageConversion converted = MessageConverter::convertMessage(message, context);
    // A pure function: the same input converts the same way every time.
    FUZZ_CHECK(MessageConverter::convertMessage(message, context).message == converted.message);
    MessageConverter::messagePlainText(message);
    MessageConverter::inlineKeyboard(message.value(QStringLiteral("reply_markup")));
    return 0;
}
