#include "telegram/TelegramCredentials.h"

#include "core/JsonIds.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>

TelegramCredentials TelegramCredentials::fromInfo(const QJsonObject &info)
{
    TelegramCredentials credentials;
    const QJsonValue id = info.value(QStringLiteral("TelegramAPIID"));
    if (id.isString())
        credentials.apiID = JsonIds::tdlibID(id.toString());
    const QJsonValue hash = info.value(QStringLiteral("TelegramAPIHash"));
    if (hash.isString())
        credentials.apiHash = hash.toString();
    return credentials;
}

TelegramCredentials TelegramCredentials::fromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return fromInfo(QJsonDocument::fromJson(file.readAll()).object());
}

QString TelegramCredentials::defaultInfoPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Info.json");
}
