#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <chrono>
#include <functional>

class QTcpServer;
class QTcpSocket;
class QTimer;

// The tiny web server that catches the browser's redirect after a ChatGPT
// sign-in. It listens on 127.0.0.1 only. Each connection may send up to
// 16,384 bytes; once its request head is complete (or the limit is reached,
// or it falls silent), it gets the "signed in" page and is closed. Only a
// "GET /auth/callback…" request line hands its path on; anything else,
// including a line with control characters in the path, passes nothing.
// A connection that sends nothing is dropped after a while. Main thread only.
class OpenAICallbackListener : public QObject
{
    Q_OBJECT
public:
    static constexpr qsizetype requestLimit = 16384;

    // The page every request gets, and the whole response carrying it.
    static QByteArray pageBody();
    static QByteArray response();

    explicit OpenAICallbackListener(std::chrono::milliseconds idleLimit, QObject *parent = nullptr);
    ~OpenAICallbackListener() override;

    // onCallback receives the request path, e.g. "/auth/callback?code=…".
    std::function<void(const QString &path)> onCallback;

    // Port 0 picks any free port. False when the address is taken.
    bool listen(quint16 port);
    quint16 port() const;
    // Stops listening and drops every open connection.
    void close();

    // The path a request passes on, or empty when it passes nothing.
    static QString callbackPath(const QByteArray &request);

private:
    struct Connection
    {
        QByteArray received;
        QTimer *idleTimer = nullptr;
        bool answered = false;
    };

    void accept();
    void receive(QTcpSocket *socket);
    void answer(QTcpSocket *socket);
    void drop(QTcpSocket *socket);

    std::chrono::milliseconds m_idleLimit;
    QTcpServer *m_server = nullptr;
    QHash<QTcpSocket *, Connection> m_connections;
};
