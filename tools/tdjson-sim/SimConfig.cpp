#include "SimConfig.h"

namespace {

void readInt(const QJsonObject &o, const char *key, int &target, int minimum)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isDouble())
        target = qBound(minimum, v.toInt(minimum), 24 * 3600 * 1000);
}

void readBool(const QJsonObject &o, const char *key, bool &target)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isBool())
        target = v.toBool();
}

void readString(const QJsonObject &o, const char *key, QString &target)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isString())
        target = v.toString();
    else if (v.isNull())
        target.clear();
}

QList<SimBotSpec> parseBots(const QJsonArray &array)
{
    QList<SimBotSpec> bots;
    for (const QJsonValue &entry : array) {
        const QJsonObject o = entry.toObject();
        const qint64 id = o.value("id").toInteger(0);
        if (id <= 0)
            continue;
        SimBotSpec bot;
        bot.id = id;
        bot.title = o.value("title").toString(QStringLiteral("Bot %1").arg(id));
        bot.username = o.value("username").toString();
        bot.archived = o.value("archived").toBool(false);
        bot.unread = qMax(0, o.value("unread").toInt(0));
        bot.demo = o.value("demo").toString();
        bots.append(bot);
    }
    return bots;
}

} // namespace

QList<SimBotSpec> SimConfig::defaultBots()
{
    return {
        {5000000101, QStringLiteral("Tessaly Demo Bot"), QStringLiteral("tessaly_demo_bot"), false, 2,
         QStringLiteral("showcase")},
        {5000000102, QStringLiteral("Media Bot"), QStringLiteral("media_sample_bot"), false, 0,
         QStringLiteral("media")},
        {5000000103, QStringLiteral("Service Bot"), QStringLiteral("service_notes_bot"), true, 1,
         QStringLiteral("service")},
    };
}

void SimConfig::apply(const QJsonObject &o)
{
    const QJsonValue scan = o.value("scan_delay_ms");
    if (scan.isDouble())
        scanDelayMs = qMax(0, scan.toInt());
    else if (scan.isString() && scan.toString() == QLatin1String("never"))
        scanDelayMs.reset();
    readString(o, "password", password);
    readString(o, "password_hint", passwordHint);
    readInt(o, "qr_expiry_seconds", qrExpirySeconds, 0);
    const QJsonValue mode = o.value("qr_expiry_mode");
    if (mode.isString())
        qrExpiryByError = mode.toString() == QLatin1String("error");
    readString(o, "qr_expiry_error", qrExpiryError);
    readBool(o, "wait_encryption_key", waitEncryptionKey);
    readInt(o, "chat_pages", chatPages, 1);
    const QJsonValue failure = o.value("send_failure");
    if (failure.isBool()) {
        sendFailure = failure.toBool();
    } else if (failure.isObject()) {
        sendFailure = true;
        sendFailureCode = failure.toObject().value("code").toInt(400);
        sendFailureMessage = failure.toObject().value("message").toString(sendFailureMessage);
    }
    readInt(o, "send_delay_ms", sendDelayMs, 0);
    readInt(o, "reply_delay_ms", replyDelayMs, 0);
    readBool(o, "bot_replies", botReplies);
    readBool(o, "history_local_subset", historyLocalSubset);
    readInt(o, "download_steps", downloadSteps, 1);
    readInt(o, "history_limit", historyLimit, 0);
    readInt(o, "download_step_ms", downloadStepMs, 0);
    readInt(o, "upload_steps", uploadSteps, 1);
    readInt(o, "upload_step_ms", uploadStepMs, 0);
    readInt(o, "close_delay_ms", closeDelayMs, 0);
    if (o.value("bots").isArray())
        bots = parseBots(o.value("bots").toArray());
}
