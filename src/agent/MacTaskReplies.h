#pragma once

#include <QString>

// The fixed replies a "/mac" command can get back in the chat.
namespace MacTaskReplies {

inline const QString accessOffReply = QStringLiteral(
    "Mac access is off. Turn on Read only or Full access with /mac, or in Settings → Mac access.");
inline const QString emptyTaskReply =
    QStringLiteral("Send a task after /mac, for example: /mac open Safari and search for the weather.");
inline const QString toolMissingReply =
    QStringLiteral("Peekaboo is not installed on this Mac and npx is not available. "
                   "Open Settings → Peekaboo Status… for setup steps.");
inline const QString waitingReply =
    QStringLiteral("A Mac task is already waiting for approval or running. Wait for it to finish.");
inline const QString cancelledReply = QStringLiteral("■ Mac task cancelled.");

} // namespace MacTaskReplies
