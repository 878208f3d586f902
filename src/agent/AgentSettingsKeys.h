#pragma once

#include <QString>

// The settings keys the agent code reads and writes.
namespace AgentSettingsKeys {

inline const QString macAccessLevel = QStringLiteral("macAccessLevel");
// Older on/off switch; read only as the fallback for macAccessLevel.
inline const QString macControlEnabled = QStringLiteral("macControlEnabled");
inline const QString peekabooShowAgentPointer = QStringLiteral("peekabooShowAgentPointer");
inline const QString peekabooProvider = QStringLiteral("peekabooProvider");
// Followed by the provider's raw value.
inline const QString peekabooModelPrefix = QStringLiteral("peekabooModel.");
inline const QString chatGPTSubscriptionSignedIn = QStringLiteral("chatGPTSubscriptionSignedIn");

} // namespace AgentSettingsKeys
