#pragma once

#include "telegram/TdJsonLibrary.h"

#include <QJsonObject>
#include <QList>
#include <memory>

// An in-process libtdjson: records every request and hands out queued answers
// from td_receive. One instance at a time (the functions are plain C ones).
class FakeTdJson
{
public:
    struct Sent
    {
        int clientId;
        QJsonObject request;
    };

    FakeTdJson();
    ~FakeTdJson();

    std::shared_ptr<TdJsonLibrary> library() const;
    // Queues an answer for td_receive; "@client_id" is added when clientId > 0.
    void push(const QJsonObject &object, int clientId = -1);
    void pushRaw(const QByteArray &text);
    QList<Sent> sent() const;
    QList<QJsonObject> sentOfType(const QString &type) const;
    void clearSent();
    // While held, td_create_client_id blocks, as a library still loading keeps the client from existing.
    void holdClientCreation(bool hold);
    int createdClients() const;
    int lastClientId() const;
    // Blocks until the receive loop has taken every queued answer.
    bool waitUntilDrained(int timeoutMs = 2000) const;
};
