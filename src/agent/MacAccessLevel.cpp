#include "agent/MacAccessLevel.h"

#include "agent/AgentSettingsKeys.h"
#include "settings/SettingsStore.h"

namespace MacAccessLevels {

QString rawValue(MacAccessLevel level)
{
    switch (level) {
    case MacAccessLevel::off:
        return QStringLiteral("off");
    case MacAccessLevel::readOnly:
        return QStringLiteral("readOnly");
    case MacAccessLevel::full:
        return QStringLiteral("full");
    }
    return QStringLiteral("off");
}

std::optional<MacAccessLevel> fromRawValue(const QString &raw)
{
    for (MacAccessLevel level : all) {
        if (rawValue(level) == raw)
            return level;
    }
    return std::nullopt;
}

QString title(MacAccessLevel level)
{
    switch (level) {
    case MacAccessLevel::off:
        return QStringLiteral("No access");
    case MacAccessLevel::readOnly:
        return QStringLiteral("Read only");
    case MacAccessLevel::full:
        return QStringLiteral("Full access");
    }
    return {};
}

QString helpText(MacAccessLevel level)
{
    switch (level) {
    case MacAccessLevel::off:
        return QStringLiteral("The bot cannot use this Mac.");
    case MacAccessLevel::readOnly:
        return QStringLiteral(
            "The bot can look at the screen and read state. Nothing is clicked, typed, opened or "
            "changed.");
    case MacAccessLevel::full:
        return QStringLiteral("The bot can control this Mac, including apps, pointer and keyboard.");
    }
    return {};
}

MacAccessLevel stored(const SettingsStore &settings)
{
    if (const auto raw = settings.string(AgentSettingsKeys::macAccessLevel)) {
        if (const auto level = fromRawValue(*raw))
            return *level;
    }
    return settings.plainBool(AgentSettingsKeys::macControlEnabled) ? MacAccessLevel::full
                                                                    : MacAccessLevel::off;
}

} // namespace MacAccessLevels
