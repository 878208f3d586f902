#include "platform/AppPaths.h"

#include <QDir>
#include <QFile>

namespace AppPaths {

QString outgoingFolder(const QString &dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("outgoing"));
}

bool makePrivateFolder(const QString &path)
{
    if (!QDir().mkpath(path))
        return false;
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace AppPaths
