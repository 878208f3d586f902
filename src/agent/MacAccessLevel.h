#pragma once

#include <QString>
#include <array>
#include <optional>

class SettingsStore;

// How much the bot chat may do on this computer. Stored by its raw value.
enum class MacAccessLevel {
    off,
    readOnly,
    full,
};

namespace MacAccessLevels {

inline constexpr std::array<MacAccessLevel, 3> all{MacAccessLevel::off, MacAccessLevel::readOnly,
                                                   MacAccessLevel::full};

QString rawValue(MacAccessLevel level);
// Exact, case-sensitive match of a raw value; anything else is no level.
std::optional<MacAccessLevel> fromRawValue(const QString &raw);
// "No access", "Read only", "Full access".
QString title(MacAccessLevel level);
// The settings control's explanatory line.
QString helpText(MacAccessLevel level);

// The level at start: the stored raw value when valid; otherwise the legacy
// on/off switch decides (on gives full access, anything else off).
MacAccessLevel stored(const SettingsStore &settings);

} // namespace MacAccessLevels
