// A chat's history archive file, as read back when the chat is selected: the
// stored messages go into the timeline's table and are converted for display.
#include "FuzzSupport.h"
#include "core/JsonIds.h"
#include "telegram/HistoryArchive.h"
#include "telegram/MessageConverter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto messages = HistoryArchive::read(fuzzBytes(data, size));
    if (!messages)
        return 0;
    QHash<QString, QJsonObject> raw;
    for (const QJsonObject &message : *messages) {
        if (const auto id = JsonIds::idString(message.value(QStringLiteral("id"))))
            raw.insert(*id, message);
    }
    QHash<QString, QJsonObject> chats;
    chats.insert(QStringLiteral("42"), QJsonObject{{QStringLiteral("title"), QStringLiteral("Demo Bot")}});
    const MessageConversionContext context{&raw, &chats, QStringLiteral("42")};
    const TimelineConversion timeline = MessageConverter::convertMessages(raw.values(), context);
    FUZZ_CHECK(timeline.messages.size() <= raw.size());
    return 0;
}
