// A TDLib "formattedText" object ({"text", "entities"}) split into segments.
#include "FuzzSupport.h"
#include "telegram/FormattedText.h"

#include <QJsonObject>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto doc = fuzzJson(data, size);
    if (!doc || !doc->isObject())
        return 0;
    const QJsonObject formatted = doc->object();
    const QString text = formatted.value(QStringLiteral("text")).toString();
    const QList<BotMessageSegment> segments =
        MessageConverter::formattedTextSegments(text, formatted.value(QStringLiteral("entities")).toArray());

    // Entities only mark runs up: every character of the text is shown exactly
    // once, in order, and no run splits a character in two.
    QString joined;
    for (const BotMessageSegment &segment : segments) {
        using Kind = BotMessageSegment::Kind;
        FUZZ_CHECK(segment.kind == Kind::Text || segment.kind == Kind::Link || segment.kind == Kind::Code);
        const QString &run = segment.kind == Kind::Code ? segment.source : segment.text;
        if (!run.isEmpty()) {
            FUZZ_CHECK(!run.front().isLowSurrogate() || joined.isEmpty() || !joined.back().isHighSurrogate());
        }
        joined += run;
    }
    FUZZ_CHECK(joined == text);
    return 0;
}
