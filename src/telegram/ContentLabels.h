#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

// Short English labels and SF Symbols names for TDLib message content types,
// used for placeholders, reply quotes and gift summaries.
namespace MessageConverter {

// "messagePoll" → "Poll"; an unknown type is spelled out from its name
// ("messageFooBar" → "Foo bar").
QString mediaLabel(const QString &contentType);

// An SF Symbols name; "paperclip" for every type without an icon of its own.
QString mediaSymbol(const QString &contentType);

// A one-line summary for gift and giveaway contents; nothing for other types.
std::optional<QString> giftSummary(const QString &contentType, const QJsonObject &content);

} // namespace MessageConverter
