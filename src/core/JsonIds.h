#pragma once

#include <QJsonValue>
#include <QString>
#include <optional>

// Telegram's 64-bit ids travel through the application as decimal texts and
// become JSON integers only when a request is built.
namespace JsonIds {

// A JSON string as it is, a JSON number as its decimal text, anything else: no id.
std::optional<QString> idString(const QJsonValue &value);

// Optional sign, then ASCII digits only, no overflow.
std::optional<qint64> tdlibID(const QString &text);

// Parses a text as a signed 64-bit decimal integer the same way tdlibID does.
inline bool isDecimalInteger(const QString &text) { return tdlibID(text).has_value(); }

} // namespace JsonIds
