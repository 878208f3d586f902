// Media players on Linux speak MPRIS on the session bus; browsers expose
// their playing tabs the same way, so one bus name covers each of them.
#include "platform/MediaPlayers.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

namespace {

const QString kPrefix = QStringLiteral("org.mpris.MediaPlayer2.");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
// A player that hangs must not hold up reading aloud for the bus's default 25 seconds.
constexpr int kCallTimeoutMs = 2000;

class MprisPlayers : public MediaPlayers
{
public:
    QStringList playing() override
    {
        QStringList found;
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected() || !bus.interface())
            return found;
        const QStringList names = bus.interface()->registeredServiceNames().value();
        for (const QString &name : names)
            if (name.startsWith(kPrefix) && playbackStatus(bus, name) == QLatin1String("Playing"))
                found << name;
        return found;
    }

    bool pause(const QString &player) override { return call(player, QStringLiteral("Pause")); }

    void play(const QString &player) override
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(player).value())
            call(player, QStringLiteral("Play"));
    }

private:
    static QString playbackStatus(QDBusConnection &bus, const QString &name)
    {
        QDBusMessage get = QDBusMessage::createMethodCall(
            name, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << kPlayer << QStringLiteral("PlaybackStatus");
        const QDBusMessage reply = bus.call(get, QDBus::Block, kCallTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return QString();
        return qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toString();
    }

    static bool call(const QString &player, const QString &method)
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return false;
        const QDBusMessage message = QDBusMessage::createMethodCall(player, kPath, kPlayer, method);
        return bus.call(message, QDBus::Block, kCallTimeoutMs).type() == QDBusMessage::ReplyMessage;
    }
};

} // namespace

std::unique_ptr<MediaPlayers> MediaPlayers::system()
{
    return std::make_unique<MprisPlayers>();
}
