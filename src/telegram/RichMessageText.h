#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// Plain-text renderings of TDLib's structured contents: rich messages (page
// blocks and rich texts) and checklists.
namespace MessageConverter {

// Flattens a TDLib rich text (a string, a styled wrapper, a list of texts, a
// custom emoji or a formula) into plain text.
QString richText(const QJsonValue &value);

// One line or more per page block, nested blocks included, joined with "\n".
QString pageBlockText(const QJsonArray &blocks);

// pageBlockText of a "messageRichMessage" content's "message"."blocks".
QString richMessageText(const QJsonObject &content);

// The list's title, then one "☑ task" or "☐ task" line per task.
QString checklistText(const QJsonObject &list);

} // namespace MessageConverter
