#include "agent/MacAccess.h"

#include "agent/AgentSettingsKeys.h"
#include "agent/MacAccessPolicy.h"
#include "settings/SettingsStore.h"

MacAccess::MacAccess(SettingsStore &settings)
    : m_settings(settings), m_level(MacAccessLevels::stored(settings))
{
}

std::optional<QString> MacAccess::setMacAccess(MacAccessLevel level)
{
    if (level == m_level)
        return std::nullopt;
    m_level = level;
    m_settings.setString(AgentSettingsKeys::macAccessLevel, MacAccessLevels::rawValue(level));
    if (onChanged)
        onChanged(level);
    return statusLine(level);
}

std::optional<QString> MacAccess::readOnlyRefusal(const MacRequest &request) const
{
    return MacAccessPolicy::readOnlyRefusal(request, m_level);
}

QString MacAccess::statusLine(MacAccessLevel level)
{
    return QStringLiteral("Mac access: ") + MacAccessLevels::title(level).toLower() + u'.';
}
