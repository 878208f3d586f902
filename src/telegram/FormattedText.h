#pragma once

#include "telegram/BotMessage.h"

#include <QJsonArray>
#include <QList>
#include <QString>

namespace MessageConverter {

// Splits a TDLib formatted text into plain runs, links and code blocks.
// Entity offsets and lengths are UTF-16 code units, as in QString. Only code
// (pre, pre with language) and link (URL, text URL) entities are kept; an
// entity that is out of range, empty, splits a surrogate pair or overlaps an
// earlier one is ignored and its text stays plain.
QList<BotMessageSegment> formattedTextSegments(const QString &text, const QJsonArray &entities);

} // namespace MessageConverter
