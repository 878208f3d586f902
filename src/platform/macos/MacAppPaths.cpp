// The Application Support folder, ~/Library/Logs, and the user defaults.
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
    return QDir::homePath() + QStringLiteral("/Library/Logs/Quay Line/peekaboo.log");
}

QString settingsFile()
{
    return QString();
}

QString diagramCacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Tessaly/diagrams");
}

QStringList npxExecutables()
{
    return {QStringLiteral("/opt/homebrew/bin/npx"), QStringLiteral("/usr/local/bin/npx")};
}

} // namespace AppPaths
