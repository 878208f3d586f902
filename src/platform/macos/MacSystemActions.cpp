#include "platform/SystemActions.h"

namespace {

// Every action is AppleScript sent to System Events through osascript.
class OsascriptSystemActions : public SystemActions
{
public:
    Command command(Action, const QString &appleScript) const override
    {
        return {QStringLiteral("/usr/bin/osascript"), {QStringLiteral("-e"), appleScript}};
    }
};

} // namespace

std::unique_ptr<SystemActions> SystemActions::platformDefault()
{
    return std::make_unique<OsascriptSystemActions>();
}
