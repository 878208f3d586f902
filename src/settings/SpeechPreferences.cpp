#include "settings/SpeechPreferences.h"

#include "settings/SettingsStore.h"

namespace SpeechPreferences {

namespace {
const QString kVoice = QStringLiteral("readAloudVoiceIdentifier");
}

bool autoReadNewMessages(const SettingsStore &store) { return store.plainBool(QStringLiteral("autoReadNewMessages")); }

void setAutoReadNewMessages(SettingsStore &store, bool on)
{
    store.setBool(QStringLiteral("autoReadNewMessages"), on);
}

void setPauseOtherAudioWhileReading(SettingsStore &store, bool on)
{
    store.setBool(QStringLiteral("pauseOtherAudioWhileReading"), on);
}

bool pauseOtherAudioWhileReading(const SettingsStore &store)
{
    return store.defaultTrueBool(QStringLiteral("pauseOtherAudioWhileReading"));
}

std::optional<QString> selectedVoiceIdentifier(const SettingsStore &store)
{
    const auto value = store.string(kVoice);
    if (!value || value->isEmpty())
        return std::nullopt;
    return value;
}

void setSelectedVoiceIdentifier(SettingsStore &store, const std::optional<QString> &identifier)
{
    if (!identifier || identifier->isEmpty())
        store.remove(kVoice);
    else
        store.setString(kVoice, *identifier);
}

} // namespace SpeechPreferences
