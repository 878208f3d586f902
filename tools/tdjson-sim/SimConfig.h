#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <optional>

// One bot account of the simulated world.
struct SimBotSpec
{
    qint64 id = 0;
    QString title;
    QString username;
    bool archived = false;
    int unread = 0;
    QString demo; // which demo history it starts with; empty: none
};

// Everything tdsim_configure can set. Plain values read by the clients on the
// worker thread.
struct SimConfig
{
    std::optional<int> scanDelayMs = 2500; // nullopt: only the "scan" command scans
    QString password;                      // empty: no two-step password
    QString passwordHint;
    int qrExpirySeconds = 0;
    bool qrExpiryByError = false;
    QString qrExpiryError = QStringLiteral("QR_CODE_EXPIRED");
    bool waitEncryptionKey = false;
    int chatPages = 2;
    bool sendFailure = false;
    int sendFailureCode = 400;
    QString sendFailureMessage = QStringLiteral("USER_IS_BLOCKED");
    int sendDelayMs = 150;
    int replyDelayMs = 700;
    bool botReplies = true;
    bool historyLocalSubset = true;
    int downloadSteps = 3;
    // Messages kept per chat; 0 keeps every one (long soak runs cap it).
    int historyLimit = 0;
    int downloadStepMs = 120;
    int uploadSteps = 3;
    int uploadStepMs = 120;
    int closeDelayMs = 50;
    QList<SimBotSpec> bots = defaultBots();

    // Applies the setting keys of one configure object; unknown keys and wrongly
    // typed values are ignored.
    void apply(const QJsonObject &settings);

    static QList<SimBotSpec> defaultBots();
};
