// Chat text into a "/mac" request, at moments around the clock changes of a
// zone with daylight saving time.
#include "FuzzSupport.h"
#include "agent/MacCommandParser.h"

#include <QTimeZone>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Before Qt reads the local zone for the first time.
    setenv("TZ", "America/New_York", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte picks the moment: an ordinary day, the evenings before the
    // clocks go forward and back, and late on New Year's Eve.
    static const QDateTime moments[] = {
        QDateTime(QDate(2026, 12, 8), QTime(14, 5), QTimeZone("America/New_York")),
        QDateTime(QDate(2026, 3, 7), QTime(23, 59), QTimeZone("America/New_York")),
        QDateTime(QDate(2026, 10, 31), QTime(23, 30), QTimeZone("America/New_York")),
        QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59), QTimeZone("America/New_York")),
    };
    const QDateTime &now = moments[data[0] % 4];
    const QString text = QString::fromUtf8(fuzzBytes(data + 1, size - 1));

    const std::optional<QString> task = MacCommandParser::explicitTask(text);
    const std::optional<MacRequest> request = MacCommandParser::parse(task.value_or(text), true, now);
    if (!request)
        return 0;
    FUZZ_CHECK(request->fireDate.isValid());
    // A task runs now or later, never in the past.
    FUZZ_CHECK(request->fireDate >= now);
    FUZZ_CHECK(!request->timingDescription.isEmpty());
    return 0;
}
