#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

// The application's Telegram API credentials come from the bundle information
// file (Info.json beside the executable on Linux), never from the program.
struct TelegramCredentials
{
    std::optional<qint64> apiID;
    std::optional<QString> apiHash;

    bool isComplete() const { return apiID.has_value() && apiHash.has_value() && !apiHash->isEmpty(); }

    static TelegramCredentials fromInfo(const QJsonObject &info);
    // Reads Info.json (a missing or damaged file yields no credentials).
    static TelegramCredentials fromFile(const QString &path);
    static QString defaultInfoPath();
};
