#include "chat/MessageTime.h"

#include <QDateTime>

namespace MessageTime {

QString shortTime(qint64 secondsSince1970, const QLocale &locale, const QTimeZone &zone)
{
    // About ±3000 years: beyond that the value is a placeholder, not a date.
    constexpr qint64 limit = 100'000'000'000LL;
    if (secondsSince1970 <= -limit || secondsSince1970 >= limit)
        return QString();
    const QDateTime moment = QDateTime::fromSecsSinceEpoch(secondsSince1970, zone);
    if (!moment.isValid())
        return QString();
    return locale.toString(moment.time(), QLocale::ShortFormat);
}

} // namespace MessageTime
