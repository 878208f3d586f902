#include "telegram/FormattedText.h"

#include "telegram/JsonFields.h"

#include <algorithm>
#include <vector>

namespace MessageConverter {

namespace {

struct KeptEntity
{
    qint64 offset = 0;
    qint64 length = 0;
    bool isCode = false;
    // The code block's language or the link's address.
    QString detail;
};

// A boundary must not fall between the two halves of a surrogate pair.
bool isCharacterBoundary(const QString &text, qint64 position)
{
    if (position <= 0 || position >= text.size())
        return true;
    return !(text.at(position - 1).isHighSurrogate() && text.at(position).isLowSurrogate());
}

std::vector<KeptEntity> keptEntities(const QJsonArray &entities)
{
    std::vector<KeptEntity> kept;
    for (const QJsonValue &value : entities) {
        const QJsonObject entity = value.toObject();
        const QJsonObject type = JsonFields::object(entity, u"type");
        const QString typeName = JsonFields::type(type);
        KeptEntity e;
        if (typeName == u"textEntityTypePreCode") {
            e.isCode = true;
            e.detail = JsonFields::string(type, u"language");
        } else if (typeName == u"textEntityTypePre") {
            e.isCode = true;
        } else if (typeName == u"textEntityTypeTextUrl") {
            e.detail = JsonFields::string(type, u"url");
        } else if (typeName != u"textEntityTypeUrl") {
            continue;
        }
        const auto offset = JsonFields::integer(entity.value(u"offset"));
        const auto length = JsonFields::integer(entity.value(u"length"));
        // Without a usable range the entity cannot be placed; its text stays plain.
        if (!offset || !length)
            continue;
        e.offset = *offset;
        e.length = *length;
        kept.push_back(std::move(e));
    }
    return kept;
}

} // namespace

QList<BotMessageSegment> formattedTextSegments(const QString &text, const QJsonArray &entities)
{
    std::vector<KeptEntity> kept = keptEntities(entities);
    if (kept.empty())
        return {BotMessageSegment::makeText(text)};

    std::stable_sort(kept.begin(), kept.end(),
                     [](const KeptEntity &a, const KeptEntity &b) { return a.offset < b.offset; });

    QList<BotMessageSegment> segments;
    const qint64 size = text.size();
    qint64 cursor = 0;
    for (const KeptEntity &e : kept) {
        // Offsets and lengths are at most 2^53 in magnitude, so the sum cannot overflow.
        const qint64 end = e.offset + e.length;
        if (e.offset < cursor || e.length <= 0 || end > size)
            continue;
        if (!isCharacterBoundary(text, e.offset) || !isCharacterBoundary(text, end))
            continue;
        if (e.offset > cursor)
            segments.append(BotMessageSegment::makeText(text.mid(cursor, e.offset - cursor)));
        const QString covered = text.mid(e.offset, e.length);
        if (e.isCode)
            segments.append(BotMessageSegment::makeCode(e.detail, covered));
        else
            segments.append(BotMessageSegment::makeLink(covered, e.detail.isEmpty() ? covered : e.detail));
        cursor = end;
    }
    if (cursor < size)
        segments.append(BotMessageSegment::makeText(text.mid(cursor)));
    return segments;
}

} // namespace MessageConverter
