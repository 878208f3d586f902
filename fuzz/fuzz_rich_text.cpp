// TDLib rich texts and page blocks (rich messages, checklists) into plain text.
#include "FuzzSupport.h"
#include "telegram/RichMessageText.h"

#include <QJsonArray>
#include <QJsonObject>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto doc = fuzzJson(data, size);
    if (!doc)
        return 0;
    if (doc->isArray()) {
        const QJsonArray blocks = doc->array();
        MessageConverter::pageBlockText(blocks);
        MessageConverter::richText(blocks);
        return 0;
    }
    const QJsonObject object = doc->object();
    // A "messageRichMessage" content, a "checklist", or a rich text on its own.
    MessageConverter::richMessageText(object);
    MessageConverter::checklistText(object);
    MessageConverter::richText(object);
    return 0;
}
