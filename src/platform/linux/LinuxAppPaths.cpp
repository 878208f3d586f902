// Freedesktop locations: data under XDG_DATA_HOME, the log under XDG_STATE_HOME,
// settings under XDG_CONFIG_HOME.
#include "platform/AppPaths.h"

#include <QDir>
#include <QStandardPaths>

namespace AppPaths {

QString dataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/QuaylineView");
}

QString activityLogFile()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // The XDG rules ignore relative paths.
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Quay Line/peekaboo.log");
}

QString settingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Tessaly/settings.json");
}

QString diagramCacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Tessaly/diagrams");
}

QStringList npxExecutables()
{
    // Linux distributions put npx in /usr/bin.
    return {QStringLiteral("/opt/homebrew/bin/npx"), QStringLiteral("/usr/local/bin/npx"), QStringLiteral("/usr/bin/npx")};
}

} // namespace AppPaths
