#include "desktop/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

namespace {
const QByteArray kShowCommand = "show\n";
// The running instance may have taken the lock but not be listening yet.
constexpr int kConnectAttempts = 30;
constexpr int kConnectPauseMs = 100;
} // namespace

SingleInstance::SingleInstance(const QString &key, const QString &runtimeFolder, QObject *parent)
    : QObject(parent), m_key(key)
{
    m_folder = runtimeFolder;
    if (m_folder.isEmpty())
        m_folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (m_folder.isEmpty())
        m_folder = QDir::tempPath();
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

QString SingleInstance::keyFor(bool demo, const QString &dataFolder)
{
    if (demo)
        return QStringLiteral("tessaly-demo");
    const QString canonical = QFileInfo(dataFolder).absoluteFilePath();
    const QByteArray digest = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("tessaly-") + QString::fromLatin1(digest.left(16));
}

QString SingleInstance::lockPath() const
{
    return m_folder + QLatin1Char('/') + m_key + QStringLiteral(".lock");
}

QString SingleInstance::socketPath() const
{
    return m_folder + QLatin1Char('/') + m_key + QStringLiteral(".socket");
}

SingleInstance::Role SingleInstance::claim()
{
    QDir().mkpath(m_folder);
    m_lock = std::make_unique<QLockFile>(lockPath());
    // Only a lock whose process is gone is stale, however old it is.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        listen();
        return Role::Primary;
    }
    if (m_lock->error() != QLockFile::LockFailedError) {
        // The folder cannot hold a lock: run without the guard rather than not at all.
        qWarning("tessaly: cannot create %s; another start will not find this one", qPrintable(lockPath()));
        return Role::Primary;
    }
    if (!askRunningInstanceToShow())
        qWarning("tessaly: already running, but it did not answer on %s", qPrintable(socketPath()));
    return Role::Secondary;
}

bool SingleInstance::listen()
{
    // A socket file left by a crashed run would refuse the listen; the lock says it is ours now.
    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socketPath())) {
        qWarning("tessaly: cannot listen on %s: %s", qPrintable(socketPath()),
                 qPrintable(m_server->errorString()));
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                while (socket->canReadLine()) {
                    if (socket->readLine() == kShowCommand)
                        emit showRequested();
                }
            });
        }
    });
    return true;
}

bool SingleInstance::askRunningInstanceToShow() const
{
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(1000)) {
            socket.write(kShowCommand);
            const bool written = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return written;
        }
        QThread::msleep(kConnectPauseMs);
    }
    return false;
}

#include "moc_SingleInstance.cpp"
