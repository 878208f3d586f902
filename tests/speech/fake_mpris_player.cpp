// A media player for the ducking tests: owns org.mpris.MediaPlayer2.<name> on
// the session bus, answers PlaybackStatus, Pause and Play as MPRIS players do,
// and counts the calls. The test reads the counts and sets the status through
// /control. Usage: fake_mpris_player <name> <Playing|Paused|Stopped> [--refuse]
// (--refuse: every Pause fails, as a player that does not allow control).
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QTextStream>

namespace {

class Player : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
public:
    QString status;
    bool refuse = false;
    int pauses = 0;
    int plays = 0;

    QString playbackStatus() const { return status; }

public slots:
    void Pause()
    {
        ++pauses;
        if (refuse)
            sendErrorReply(QDBusError::AccessDenied, QStringLiteral("control refused"));
        else
            status = QStringLiteral("Paused");
    }
    void Play()
    {
        ++plays;
        status = QStringLiteral("Playing");
    }
};

class Control : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.tessaly.FakePlayer")
public:
    explicit Control(Player &player) : m_player(player) {}

public slots:
    int PauseCalls() { return m_player.pauses; }
    int PlayCalls() { return m_player.plays; }
    void SetPlaybackStatus(const QString &status) { m_player.status = status; }

private:
    Player &m_player;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    Player player;
    player.status = args.at(2);
    player.refuse = args.contains(QStringLiteral("--refuse"));
    Control control(player);

    QDBusConnection bus = QDBusConnection::sessionBus();
    const auto exported = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties;
    if (!bus.registerObject(QStringLiteral("/org/mpris/MediaPlayer2"), &player, exported) ||
        !bus.registerObject(QStringLiteral("/control"), &control, exported) ||
        !bus.registerService(QStringLiteral("org.mpris.MediaPlayer2.") + args.at(1)))
        return 1;
    QTextStream(stdout) << "ready" << Qt::endl;
    return app.exec();
}

#include "fake_mpris_player.moc"
