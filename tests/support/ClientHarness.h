#pragma once

#include "platform/SecretStore.h"
#include "support/FakeTdJson.h"
#include "telegram/TelegramClient.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

// A TelegramClient on the in-process fake transport, with every callback recorded.
struct ClientHarness
{
    FakeTdJson fake;
    QTemporaryDir dir;
    InMemorySecretStore secrets;
    std::unique_ptr<TelegramClient> client;

    QStringList statuses;
    QList<std::optional<QString>> qrLinks;
    QList<bool> authorizations;
    QList<QList<BotConversation>> botLists;
    QList<QList<BotMessage>> messageLists;
    QStringList messageChats; // the chat of each list in messageLists
    QList<bool> typing;
    int passwordRequests = 0;
    int loggedOut = 0;
    int closed = 0;

    explicit ClientHarness(bool withCredentials = true)
    {
        TelegramClient::Options options;
        options.baseDirectory = dir.path() + QStringLiteral("/QuaylineView");
        options.library = fake.library();
        options.secrets = &secrets;
        if (withCredentials) {
            options.credentials.apiID = 12345;
            options.credentials.apiHash = QStringLiteral("0123456789abcdef");
        }
        QString error;
        client = TelegramClient::create(options, &error);
        client->onStatus = [this](const QString &s) { statuses.append(s); };
        client->onQRLink = [this](const std::optional<QString> &l) { qrLinks.append(l); };
        client->onAuthorization = [this](bool a) { authorizations.append(a); };
        client->onBotsChanged = [this](const QList<BotConversation> &b) { botLists.append(b); };
        client->onMessagesChanged = [this](const QString &chat, const QList<BotMessage> &m) {
            messageChats.append(chat);
            messageLists.append(m);
        };
        client->onTypingChanged = [this](bool t) { typing.append(t); };
        client->onPasswordRequested = [this] { ++passwordRequests; };
        client->onLoggedOut = [this] { ++loggedOut; };
        client->onClosed = [this] { ++closed; };
    }

    // Starts the client and waits until its first request went out.
    void start()
    {
        client->start();
        QTRY_VERIFY_WITH_TIMEOUT(!fake.sentOfType(QStringLiteral("getAuthorizationState")).isEmpty(), 3000);
    }

    // Delivers an answer through the receive loop and lets posted callbacks run.
    void deliver(const QJsonObject &object, int clientId = -1)
    {
        fake.push(object, clientId > 0 ? clientId : client->clientID());
        QVERIFY(fake.waitUntilDrained());
        settle();
    }

    static void settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    static QJsonObject authState(const QString &type, const QJsonObject &extra = {})
    {
        QJsonObject state = extra;
        state.insert(QStringLiteral("@type"), type);
        return QJsonObject{{QStringLiteral("@type"), QStringLiteral("updateAuthorizationState")},
                           {QStringLiteral("authorization_state"), state}};
    }
};
