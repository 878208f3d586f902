#include "agent/MacCommandParser.h"

#include <QLocale>
#include <QRegularExpression>
#include <utility>
#include <vector>

namespace MacSystemActions {

QString title(MacSystemAction action)
{
    switch (action) {
    case MacSystemAction::shutdown:
        return QStringLiteral("Shut down");
    case MacSystemAction::restart:
        return QStringLiteral("Restart");
    case MacSystemAction::sleep:
        return QStringLiteral("Put to sleep");
    case MacSystemAction::logOut:
        return QStringLiteral("Log out");
    case MacSystemAction::lock:
        return QStringLiteral("Lock");
    }
    return {};
}

QString progressReply(MacSystemAction action)
{
    switch (action) {
    case MacSystemAction::shutdown:
        return QStringLiteral("Shutting down the Mac…");
    case MacSystemAction::restart:
        return QStringLiteral("Restarting the Mac…");
    case MacSystemAction::sleep:
        return QStringLiteral("Putting the Mac to sleep…");
    case MacSystemAction::logOut:
        return QStringLiteral("Logging out…");
    case MacSystemAction::lock:
        return QStringLiteral("Locking the screen…");
    }
    return {};
}

QString appleScript(MacSystemAction action)
{
    switch (action) {
    case MacSystemAction::shutdown:
        return QStringLiteral("tell application \"System Events\" to shut down");
    case MacSystemAction::restart:
        return QStringLiteral("tell application \"System Events\" to restart");
    case MacSystemAction::sleep:
        return QStringLiteral("tell application \"System Events\" to sleep");
    case MacSystemAction::logOut:
        return QStringLiteral("tell application \"System Events\" to log out");
    case MacSystemAction::lock:
        return QStringLiteral(
            "tell application \"System Events\" to keystroke \"q\" using {control down, command "
            "down}");
    }
    return {};
}

} // namespace MacSystemActions

namespace MacCommandParser {

namespace {

struct KeywordRow
{
    MacSystemAction action;
    std::vector<const char16_t *> phrases;
};

// Searched in this order; the first phrase found anywhere in the text decides.
const std::vector<KeywordRow> &systemKeywords()
{
    static const std::vector<KeywordRow> rows{
        {MacSystemAction::shutdown, {u"shut down", u"shutdown", u"power off"}},
        {MacSystemAction::restart, {u"restart", u"reboot"}},
        {MacSystemAction::logOut, {u"log out", u"logout", u"sign out"}},
        {MacSystemAction::lock, {u"lock the mac", u"lock mac", u"lock the screen", u"lock screen"}},
        {MacSystemAction::sleep,
         {u"sleep the mac", u"sleep mac", u"put the mac to sleep", u"put this mac to sleep",
          u"put the computer to sleep", u"put my mac to sleep"}},
    };
    return rows;
}

std::optional<MacSystemAction> systemAction(const QString &lowered)
{
    const bool mentionsAppRestart = lowered.contains(u"restart the app");
    for (const KeywordRow &row : systemKeywords()) {
        for (const char16_t *phrase : row.phrases) {
            if (!lowered.contains(QStringView(phrase)))
                continue;
            // "restart the app" is about an application, not the computer.
            if (row.action == MacSystemAction::restart && mentionsAppRestart)
                continue;
            return row.action;
        }
    }
    return std::nullopt;
}

// \d and \s in their Unicode sense; digits that are not ASCII then fail the
// integer conversion and yield no time.
const QRegularExpression &relativePattern()
{
    static const QRegularExpression re(
        QStringLiteral(R"(in\s+(?:another\s+)?(\d+)\s*(seconds?|secs?|minutes?|mins?|hours?|hrs?))"),
        QRegularExpression::UseUnicodePropertiesOption);
    return re;
}

const QRegularExpression &clockPattern()
{
    static const QRegularExpression re(QStringLiteral(R"(at\s+(\d{1,2})(?::(\d{2}))?\s*(am|pm)?)"),
                                       QRegularExpression::UseUnicodePropertiesOption);
    return re;
}

std::optional<QDateTime> relativeDate(const QRegularExpressionMatch &match, const QDateTime &now)
{
    bool ok = false;
    const qint64 count = match.captured(1).toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    const QString unit = match.captured(2);
    const qint64 unitSeconds = unit.startsWith(u'h') ? 3600 : unit.startsWith(u'm') ? 60 : 1;
    // Huge counts must not overflow: such a time is simply not understood.
    qint64 msecs = 0;
    qint64 target = 0;
    if (__builtin_mul_overflow(count, unitSeconds * 1000, &msecs) ||
        __builtin_add_overflow(now.toMSecsSinceEpoch(), msecs, &target))
        return std::nullopt;
    const QDateTime date = QDateTime::fromMSecsSinceEpoch(target).toLocalTime();
    if (!date.isValid())
        return std::nullopt;
    return date;
}

// A local time of day on a day. A time the clocks skip (the night they go
// forward, "2:30" when 2:00 becomes 3:00) means the first time that exists
// after it, the moment the clocks jump to (3:00): a task for 2:30 then runs
// as soon as the clock shows a later time, neither at once nor an hour late.
std::optional<QDateTime> existingLocalTime(QDate day, QTime time)
{
    if (!day.isValid() || !time.isValid())
        return std::nullopt;
    // Steps in wall-clock time, free of zone rules; gaps end on whole minutes
    // and last at most a day (a zone that skipped a date).
    const QDateTime wall(day, time, Qt::UTC);
    constexpr int longestGapMinutes = 25 * 60;
    for (int minutes = 0; minutes <= longestGapMinutes; ++minutes) {
        const QDateTime step = wall.addSecs(qint64(minutes) * 60);
        const QDateTime local(step.date(), step.time());
        if (local.isValid())
            return local;
    }
    return std::nullopt;
}

std::optional<QDateTime> clockDate(const QRegularExpressionMatch &match, const QDateTime &now)
{
    bool ok = false;
    int hour = match.captured(1).toInt(&ok);
    if (!ok)
        return std::nullopt;
    const int minute = match.hasCaptured(2) ? match.captured(2).toInt() : 0;
    const QString marker = match.captured(3);
    if (marker == u"pm" && hour < 12)
        hour += 12;
    else if (marker == u"am" && hour == 12)
        hour = 0;

    // Hours past 23 and minutes past 59 roll over into later days and hours,
    // as a lenient calendar does.
    const QDateTime localNow = now.toLocalTime();
    const int totalMinutes = hour * 60 + minute;
    const QDate day = localNow.date().addDays(totalMinutes / (24 * 60));
    const int dayMinutes = totalMinutes % (24 * 60);
    const QTime time(dayMinutes / 60, dayMinutes % 60);
    std::optional<QDateTime> date = existingLocalTime(day, time);
    if (!date)
        return std::nullopt;
    if (*date <= localNow) {
        if (const auto tomorrow = existingLocalTime(day.addDays(1), time))
            date = tomorrow;
    }
    return date;
}

std::optional<QDateTime> schedule(const QString &lowered, const QDateTime &now)
{
    const QRegularExpressionMatch relative = relativePattern().match(lowered);
    if (relative.hasMatch())
        return relativeDate(relative, now);
    const QRegularExpressionMatch clock = clockPattern().match(lowered);
    if (clock.hasMatch())
        return clockDate(clock, now);
    return std::nullopt;
}

} // namespace

QString formatTime(const QDateTime &date)
{
    return QLocale::system().toString(date.toLocalTime().time(), QLocale::ShortFormat);
}

std::optional<QString> explicitTask(const QString &text)
{
    const QString trimmed = text.trimmed();
    const QString lowered = trimmed.toLower();
    if (lowered != u"/mac" && !lowered.startsWith(u"/mac ") && !lowered.startsWith(u"/mac:"))
        return std::nullopt;
    QString rest = trimmed.mid(4).trimmed();
    if (rest.startsWith(u':'))
        rest = rest.mid(1).trimmed();
    return rest;
}

std::optional<MacRequest> parse(const QString &text, bool explicitly, const QDateTime &now)
{
    if (!explicitly)
        return std::nullopt;
    const QString lowered = text.toLower();
    if (lowered.isEmpty())
        return std::nullopt;

    MacRequest request;
    if (const auto date = schedule(lowered, now)) {
        request.fireDate = *date;
        request.timingDescription = formatTime(*date);
    } else {
        request.fireDate = now;
        request.timingDescription = QStringLiteral("now");
    }
    if (const auto action = systemAction(lowered))
        request.action = MacRequest::Action::system(*action);
    else
        request.action = MacRequest::Action::peekaboo(text);
    return request;
}

} // namespace MacCommandParser
