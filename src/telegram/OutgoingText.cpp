#include "telegram/OutgoingText.h"

#include <algorithm>

namespace OutgoingText {

namespace {

bool isBlank(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
}

// Where the next part ends: the index of the break character that is dropped,
// or the hard cut (nothing dropped). `rest` is longer than the limit.
std::pair<qsizetype, bool> cutPoint(QStringView rest, qsizetype limit)
{
    // A break right after a full part (at index `limit`) still counts.
    const QStringView reach = rest.left(limit + 1);
    const qsizetype line = reach.lastIndexOf(u'\n');
    if (line > 0)
        return {line, true};
    for (qsizetype i = limit; i > 0; --i) {
        if (reach[i].isSpace())
            return {i, true};
    }
    qsizetype cut = limit;
    if (rest[cut - 1].isHighSurrogate() && rest[cut].isLowSurrogate())
        --cut;
    return {cut, false};
}

} // namespace

QStringList split(const QString &text, qsizetype limit)
{
    if (text.size() <= limit)
        return {text};
    // A surrogate pair must fit into one part.
    limit = std::max<qsizetype>(limit, 2);
    QStringList parts;
    QStringView rest(text);
    while (rest.size() > limit) {
        const auto [cut, dropsBreak] = cutPoint(rest, limit);
        const QStringView part = rest.left(cut);
        if (!isBlank(part))
            parts.append(part.toString());
        rest = rest.mid(dropsBreak ? cut + 1 : cut);
    }
    if (!isBlank(rest))
        parts.append(rest.toString());
    return parts;
}

} // namespace OutgoingText
