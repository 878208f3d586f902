#pragma once

#include <QLocale>
#include <QString>
#include <QTimeZone>

namespace MessageTime {

// The message date as a short time of day without the date, in the user's
// locale and time zone. Empty for the distant past of synthetic rows and for
// dates no clock can show.
QString shortTime(qint64 secondsSince1970, const QLocale &locale = QLocale::system(),
                  const QTimeZone &zone = QTimeZone::systemTimeZone());

} // namespace MessageTime
