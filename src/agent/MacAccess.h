#pragma once

#include "agent/MacAccessLevel.h"
#include "agent/MacCommandParser.h"

#include <QString>
#include <functional>
#include <optional>

class SettingsStore;

// The controller's current Mac access level: read from the settings at
// construction, changed only through setMacAccess. Main thread only.
class MacAccess
{
public:
    explicit MacAccess(SettingsStore &settings);

    MacAccessLevel macAccessLevel() const { return m_level; }

    // Switches to a level, stores it and reports the change through onChanged
    // (the controller updates its menu check and refreshes the settings
    // window there). Returns the status line ("Mac access: read only."), or
    // none when the level was already active: then nothing happens at all.
    std::optional<QString> setMacAccess(MacAccessLevel level);

    // The refusal for a request under the current level, or none.
    std::optional<QString> readOnlyRefusal(const MacRequest &request) const;

    static QString statusLine(MacAccessLevel level);

    std::function<void(MacAccessLevel)> onChanged;

private:
    SettingsStore &m_settings;
    MacAccessLevel m_level;
};
