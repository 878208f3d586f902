#pragma once

#include "agent/PeekabooTool.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <chrono>
#include <functional>
#include <optional>

// One permission as the tool reports it, e.g. "screen-recording".
struct PeekabooPermissionStatus
{
    QString name;
    bool required = false;
    bool granted = false;

    bool operator==(const PeekabooPermissionStatus &) const = default;
};

// Whether the Peekaboo tool can work: how it is reached, the permissions it
// reports (in its order) and, when that could not be found out, why. On
// Linux the tool reports no macOS permissions, so the list is empty there.
struct PeekabooAvailability
{
    struct Installation
    {
        enum class Kind {
            binary,  // a direct executable
            npx,     // reached through npx, so downloaded on first use
            missing, // neither
        };
        Kind kind = Kind::missing;
        QString path;

        static Installation of(const std::optional<PeekabooCommand> &command);
        bool operator==(const Installation &) const = default;
    };

    Installation installation;
    QList<PeekabooPermissionStatus> permissions;
    // The tool's "source" value, passed on unchanged.
    std::optional<QString> source;
    std::optional<QString> error;

    // Required and not granted, in order.
    QList<PeekabooPermissionStatus> missingPermissions() const;

    // Reads what the permissions command printed.
    static PeekabooAvailability fromPermissionsOutput(const Installation &installation,
                                                      const QByteArray &standardOutput,
                                                      const QByteArray &standardError);
};

// The checks behind the settings window's Peekaboo status line. Each takes
// the located tool (none: not installed), runs it through the capture
// runner, and calls its completion exactly once, later, on the main thread.
// PeekabooBridge offers them with the tool it locates; use those.
namespace PeekabooSetup {

struct Limits
{
    std::chrono::milliseconds permissionsDirect = PeekabooTool::permissionsTimeLimit(false);
    std::chrono::milliseconds permissionsViaNpx = PeekabooTool::permissionsTimeLimit(true);
    std::chrono::milliseconds download = PeekabooTool::downloadTimeLimit;
    std::chrono::milliseconds permissionRequest = PeekabooTool::permissionRequestTimeLimit;
    std::chrono::milliseconds accountStatus = PeekabooTool::accountStatusTimeLimit;
};

using AvailabilityCompletion = std::function<void(const PeekabooAvailability &)>;
// None: success; otherwise the text to show.
using ErrorCompletion = std::function<void(const std::optional<QString> &)>;

void checkAvailability(const std::optional<PeekabooCommand> &command, const Limits &limits,
                       AvailabilityCompletion completion);
// Lets npx fetch the package ahead of first use; nothing to do for a direct
// executable or a missing tool.
void prefetch(const std::optional<PeekabooCommand> &command, const Limits &limits,
              ErrorCompletion completion);
// Asks for screen recording, then accessibility; the first refusal ends it.
void requestPermissions(const std::optional<PeekabooCommand> &command, const Limits &limits,
                        ErrorCompletion completion);

} // namespace PeekabooSetup
