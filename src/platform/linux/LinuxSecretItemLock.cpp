// QtKeychain's Secret Service backend looks items up with the attributes
// "user" (the account) and "server" (the service). SearchItems answers the
// matching items split into unlocked and locked ones, without prompting.
#include "platform/SecretItemLock.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingReply>
#include <QMap>

namespace SecretItemLock {

bool isLocked(const QString &service, const QString &account)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    using Attributes = QMap<QString, QString>;
    qDBusRegisterMetaType<Attributes>();
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.secrets"), QStringLiteral("/org/freedesktop/secrets"),
                                       QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("SearchItems"));
    call << QVariant::fromValue(Attributes{{QStringLiteral("user"), account}, {QStringLiteral("server"), service}});
    // Never starts a store that is not running: one that is not there holds nothing locked.
    call.setAutoStartService(false);
    QDBusPendingReply<QList<QDBusObjectPath>, QList<QDBusObjectPath>> reply = bus.asyncCall(call, 5000);
    reply.waitForFinished();
    return reply.isValid() && !reply.argumentAt<1>().isEmpty();
}

} // namespace SecretItemLock
