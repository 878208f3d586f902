#pragma once

#include <QString>
#include <optional>

class SettingsStore;

// The read-aloud preferences: read at the moment they are needed, never cached.
namespace SpeechPreferences {

// autoReadNewMessages: plain read, false when absent.
bool autoReadNewMessages(const SettingsStore &store);
void setAutoReadNewMessages(SettingsStore &store, bool on);
// pauseOtherAudioWhileReading: true unless a Boolean false is stored.
bool pauseOtherAudioWhileReading(const SettingsStore &store);
void setPauseOtherAudioWhileReading(SettingsStore &store, bool on);
// readAloudVoiceIdentifier: none when absent or empty.
std::optional<QString> selectedVoiceIdentifier(const SettingsStore &store);
// An empty or missing identifier removes the key (the automatic voice).
void setSelectedVoiceIdentifier(SettingsStore &store, const std::optional<QString> &identifier);

} // namespace SpeechPreferences
