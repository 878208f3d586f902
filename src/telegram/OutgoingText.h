#pragma once

#include <QString>
#include <QStringList>

// Telegram takes at most 4096 characters (UTF-16 code units) per text message;
// a longer text goes out as several messages.
namespace OutgoingText {

constexpr qsizetype kMessageLimit = 4096;

// A text within the limit comes back whole and unchanged. A longer one is cut
// at the last line break that fits, else at the last space, else at the limit
// (never between the two halves of a surrogate pair). The break itself is
// dropped; parts that would hold only white space are left out, so no part is
// empty. Parts come in reading order.
QStringList split(const QString &text, qsizetype limit = kMessageLimit);

} // namespace OutgoingText
