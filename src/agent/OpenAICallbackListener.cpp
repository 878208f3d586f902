#include "agent/OpenAICallbackListener.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

bool hasControlCharacter(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

} // namespace

QByteArray OpenAICallbackListener::pageBody()
{
    return QByteArrayLiteral(
        "<!doctype html><html><head><meta charset=\"utf-8\"><title>Signed in</title></head>\n"
        "<body style=\"font: 15px -apple-system, sans-serif; margin: 60px auto; max-width: 420px; color: "
        "#1c1c1e;\">\n"
        "<h2 style=\"font-size: 18px;\">You're signed in to ChatGPT</h2>\n"
        "<p style=\"color: #555;\">You can close this tab and return to Tessaly.</p>\n"
        "</body></html>");
}

QByteArray OpenAICallbackListener::response()
{
    const QByteArray body = pageBody();
    return QByteArrayLiteral("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n") +
           QByteArrayLiteral("Content-Length: ") + QByteArray::number(body.size()) +
           QByteArrayLiteral("\r\nConnection: close\r\n\r\n") + body;
}

OpenAICallbackListener::OpenAICallbackListener(std::chrono::milliseconds idleLimit, QObject *parent)
    : QObject(parent), m_idleLimit(idleLimit)
{
}

OpenAICallbackListener::~OpenAICallbackListener()
{
    close();
}

bool OpenAICallbackListener::listen(quint16 port)
{
    close();
    m_server = new QTcpServer(this);
    connect(m_server, &QTcpServer::newConnection, this, &OpenAICallbackListener::accept);
    // The loopback address only: the page and the code are nobody else's business.
    if (m_server->listen(QHostAddress::LocalHost, port))
        return true;
    m_server->deleteLater();
    m_server = nullptr;
    return false;
}

quint16 OpenAICallbackListener::port() const
{
    return m_server ? m_server->serverPort() : 0;
}

void OpenAICallbackListener::close()
{
    const auto sockets = m_connections.keys();
    m_connections.clear();
    for (QTcpSocket *socket : sockets) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    if (m_server) {
        m_server->disconnect(this);
        m_server->close();
        m_server->deleteLater();
        m_server = nullptr;
    }
}

QString OpenAICallbackListener::callbackPath(const QByteArray &request)
{
    // Only a complete request line counts; a cut-off one may be cut inside the code.
    const qsizetype end = request.indexOf("\r\n");
    if (end < 0)
        return {};
    const QString line = QString::fromUtf8(request.left(end));
    const QStringList parts = line.split(u' ', Qt::SkipEmptyParts);
    if (parts.size() < 2 || parts.at(0) != QLatin1String("GET") ||
        !parts.at(1).startsWith(QLatin1String("/auth/callback")))
        return {};
    // The path goes to the tool as one line of its input.
    if (hasControlCharacter(parts.at(1)))
        return {};
    return parts.at(1);
}

void OpenAICallbackListener::accept()
{
    while (m_server && m_server->hasPendingConnections()) {
        QTcpSocket *socket = m_server->nextPendingConnection();
        if (!socket)
            return;
        // Qt buffers no more than one request may hold.
        socket->setReadBufferSize(requestLimit);
        Connection connection;
        connection.idleTimer = new QTimer(socket);
        connection.idleTimer->setSingleShot(true);
        connect(connection.idleTimer, &QTimer::timeout, this, [this, socket] { answer(socket); });
        connection.idleTimer->start(m_idleLimit);
        m_connections.insert(socket, connection);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { receive(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
        if (socket->bytesAvailable() > 0)
            receive(socket);
    }
}

void OpenAICallbackListener::receive(QTcpSocket *socket)
{
    auto it = m_connections.find(socket);
    if (it == m_connections.end() || it->answered)
        return;
    const qsizetype room = requestLimit - it->received.size();
    it->received += socket->read(room);
    // The whole head, so that closing after the answer leaves nothing unread
    // (unread bytes would make the close a reset the browser may show instead
    // of the page).
    if (it->received.contains("\r\n\r\n") || it->received.size() >= requestLimit)
        answer(socket);
}

void OpenAICallbackListener::answer(QTcpSocket *socket)
{
    auto it = m_connections.find(socket);
    if (it == m_connections.end() || it->answered)
        return;
    it->answered = true;
    it->idleTimer->stop();
    const QString path = callbackPath(it->received);
    if (!path.isEmpty() && onCallback) {
        onCallback(path);
        // Passing it on may have ended the attempt and closed everything.
        if (!m_connections.contains(socket))
            return;
    }
    if (socket->state() != QAbstractSocket::ConnectedState) {
        drop(socket);
        return;
    }
    socket->write(response());
    socket->disconnectFromHost();
}

void OpenAICallbackListener::drop(QTcpSocket *socket)
{
    if (!m_connections.remove(socket))
        return;
    socket->disconnect(this);
    socket->deleteLater();
}

#include "moc_OpenAICallbackListener.cpp"
