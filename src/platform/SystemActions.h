#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// The command lines behind the five system actions (shut down, restart,
// sleep, log out, lock), one backend per OS. Callers start them through the
// core process runner; nothing here runs anything.
class SystemActions
{
public:
    enum class Action { shutdown, restart, sleep, logOut, lock };

    struct Command
    {
        // An absolute path, or a bare name looked up in the runner's fixed search path.
        QString program;
        // Passed as they are: never through a shell.
        QStringList arguments;
    };

    virtual ~SystemActions() = default;

    // appleScript: the action's AppleScript source, which the macOS backend
    // hands to osascript; other backends have their own commands.
    virtual Command command(Action action, const QString &appleScript) const = 0;

    // "<program name> exited with status N.", for a failure without error output.
    static QString exitStatusText(const Command &command, int status);

    // This OS's backend.
    static std::unique_ptr<SystemActions> platformDefault();
};
