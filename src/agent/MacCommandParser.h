#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// The five fixed system actions a "/mac" message can ask for.
enum class MacSystemAction {
    shutdown,
    restart,
    sleep,
    logOut,
    lock,
};

namespace MacSystemActions {
// "Shut down", "Restart", …
QString title(MacSystemAction action);
// The chat reply sent when the action starts ("Shutting down the Mac…").
QString progressReply(MacSystemAction action);
// The AppleScript that performs it on macOS.
QString appleScript(MacSystemAction action);
} // namespace MacSystemActions

// One parsed Mac task: what to do and when.
struct MacRequest
{
    struct Action
    {
        enum class Kind { peekaboo, system };
        Kind kind = Kind::peekaboo;
        // For peekaboo: the agent task exactly as typed.
        QString task;
        // For system.
        MacSystemAction systemAction = MacSystemAction::shutdown;

        static Action peekaboo(const QString &task)
        {
            return {Kind::peekaboo, task, MacSystemAction::shutdown};
        }
        static Action system(MacSystemAction action) { return {Kind::system, QString(), action}; }
        bool isSystem() const { return kind == Kind::system; }
        bool operator==(const Action &) const = default;
    };

    Action action;
    // When to run it; the parse time when the text named no time.
    QDateTime fireDate;
    // "now", or the fire time as a short local time of day.
    QString timingDescription;
};

// Turns "/mac" chat text into a MacRequest. Pure: reads no settings, the
// clock is passed in.
namespace MacCommandParser {

// The task after a "/mac" prefix ("/mac", "/mac …", "/mac: …", any case), or
// none when the text is not a "/mac" command. The task may be empty.
std::optional<QString> explicitTask(const QString &text);

// The request for a task text. Only text that arrived as a "/mac" task is
// parsed: with explicitly false, or an empty text, there is none. A relative
// time ("in 10 minutes") wins over a clock time ("at 7:30 pm"); a clock time
// that has passed today means tomorrow, and one that the clocks skip when
// they go forward means the time they jump to.
std::optional<MacRequest> parse(const QString &text, bool explicitly, const QDateTime &now);

// The short local time of day used for timing descriptions.
QString formatTime(const QDateTime &date);

} // namespace MacCommandParser
