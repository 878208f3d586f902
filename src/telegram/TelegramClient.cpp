#include "telegram/JsonFields.h"
#include "telegram/TelegramClient.h"

#include "core/JsonIds.h"
#include "core/MainThread.h"
#include "platform/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

namespace {
using JsonFields::kType;
const QString kExtra = QStringLiteral("@extra");
} // namespace

std::unique_ptr<TelegramClient> TelegramClient::create(const Options &options, QString *error)
{
    QString base = options.baseDirectory;
    if (base.isEmpty())
        base = AppPaths::dataFolder();
    if (!QDir().mkpath(base)) {
        if (error)
            *error = QStringLiteral("The folder “%1” could not be created.").arg(base);
        return nullptr;
    }
    // The session folder holds the encrypted database: owner only.
    if (!QFile::setPermissions(base, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        if (error)
            *error = QStringLiteral("The permissions of “%1” could not be set.").arg(base);
        return nullptr;
    }
    Options resolved = options;
    resolved.baseDirectory = base;
    return std::unique_ptr<TelegramClient>(new TelegramClient(resolved));
}

TelegramClient::TelegramClient(const Options &options)
    : m_options(options), m_baseDirectory(options.baseDirectory), m_guard(std::make_unique<QObject>()),
      m_library(options.library)
{
}

TelegramClient::~TelegramClient()
{
    // The loop notices within one td_receive timeout. It is waited for here,
    // before any table it touches is destroyed.
    m_shouldReceive = false;
    ++m_run;
    m_receiveQueue.drain();
    m_guard.reset();
}

void TelegramClient::post(std::function<void()> fn)
{
    MainThread::post(m_guard.get(), std::move(fn));
}

void TelegramClient::publishStatus(const QString &text)
{
    post([this, text] {
        if (onStatus)
            onStatus(text);
    });
}

bool TelegramClient::ensureLibrary()
{
    if (m_library)
        return true;
    QString error;
    const QStringList candidates =
        m_options.libraryCandidates.isEmpty() ? TdJsonLibrary::defaultCandidates() : m_options.libraryCandidates;
    m_library = TdJsonLibrary::load(candidates, &error);
    if (!m_library) {
        publishStatus(QStringLiteral("Could not load TDLib: ") + error);
        return false;
    }
    return true;
}

void TelegramClient::start()
{
    if (m_shouldReceive)
        return;
    m_isClosingForTermination = false;
    // The previous client, if any, has closed; requests wait for the new one.
    m_clientID = 0;
    const quint64 run = ++m_run;
    m_shouldReceive = true;
    publishStatus(QStringLiteral("Connecting to Telegram…"));
    // Loading the 60 MB library happens here, off the path to the first painted window.
    m_receiveQueue.async([this, run] {
        if (run != m_run)
            return;
        if (!ensureLibrary()) {
            if (run == m_run)
                m_shouldReceive = false;
            // Quitting while the library loaded: there is no session to wait for.
            if (m_isClosingForTermination)
                post([this] {
                    if (onClosed)
                        onClosed();
                });
            return;
        }
        // TDLib logs to standard error unless told otherwise.
        m_library->execute(R"({"@type":"setLogVerbosityLevel","new_verbosity_level":1})");
        m_clientID = m_library->createClientId();
        // A QR code is asked for once per TDLib client, and this one is new.
        m_hasRequestedQR = false;
        // A close asked for while the library loaded found no client to go to:
        // it goes now, so quitting right after the start does not wait for the fallback.
        send(QJsonObject{{kType, m_isClosingForTermination ? QStringLiteral("close")
                                                           : QStringLiteral("getAuthorizationState")}});
        receiveLoop(run);
    });
}

void TelegramClient::receiveLoop(quint64 run)
{
    while (m_shouldReceive && m_run == run) {
        const char *raw = m_library->receive(1.0);
        // What arrives after a restart belongs to the closed client.
        if (!raw || m_run != run)
            continue;
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray(raw), &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject())
            continue;
        const QJsonObject object = doc.object();
        const QJsonValue client = object.value(QStringLiteral("@client_id"));
        if (client.isDouble() && client.toInt() != m_clientID)
            continue;
        handle(object);
    }
}

bool TelegramClient::send(const QJsonObject &request)
{
    // The receive thread sets the library before it publishes a client id, so
    // the library is only looked at once an id is seen. Once the loop has ended
    // nothing would read an answer.
    const int client = m_clientID;
    if (client == 0 || !m_shouldReceive || !m_library)
        return false;
    const QByteArray bytes = QJsonDocument(request).toJson(QJsonDocument::Compact);
    if (bytes.isEmpty()) {
        publishStatus(QStringLiteral("Could not encode a Telegram request."));
        return false;
    }
    m_library->send(client, bytes.constData());
    return true;
}

void TelegramClient::handle(const QJsonObject &object)
{
    const QString type = object.value(kType).toString();

    const QJsonValue extra = object.value(kExtra);
    if (extra.isString()) {
        Completion completion;
        {
            QMutexLocker lock(&m_sendCompletionsLock);
            completion = m_sendCompletions.take(extra.toString());
        }
        if (completion) {
            if (type == u"error") {
                const QJsonValue message = object.value(QStringLiteral("message"));
                completion(message.isString() ? message.toString()
                                              : QStringLiteral("Telegram rejected the message."));
            } else {
                completion(std::nullopt);
            }
            return;
        }
    }

    QMutexLocker lock(&m_session);
    if (type == u"updateAuthorizationState") {
        handleAuthorizationState(object.value(QStringLiteral("authorization_state")).toObject());
    } else if (type == u"updateNewChat") {
        storeChat(object.value(QStringLiteral("chat")).toObject());
    } else if (type == u"updateChatTitle") {
        const auto id = JsonIds::idString(object.value(QStringLiteral("chat_id")));
        if (id && m_chats.contains(*id)) {
            QJsonObject &chat = m_chats[*id];
            const QJsonValue title = object.value(QStringLiteral("title"));
            if (title.isUndefined())
                chat.remove(QStringLiteral("title"));
            else
                chat.insert(QStringLiteral("title"), title);
            publishBots();
        }
    } else if (type == u"updateChatUnreadCount" || type == u"updateChatReadInbox") {
        const auto id = JsonIds::idString(object.value(QStringLiteral("chat_id")));
        if (id && m_chats.contains(*id)) {
            const QJsonValue count = object.value(QStringLiteral("unread_count"));
            const bool isInteger = count.isDouble() && count.toDouble() == double(count.toInteger());
            m_chats[*id].insert(QStringLiteral("unread_count"), isInteger ? count.toInteger() : 0);
            publishBots();
        }
    } else if (type == u"updateUser") {
        storeUser(object.value(QStringLiteral("user")).toObject());
    } else if (type == u"updateNewMessage") {
        const QJsonValue chat = object.value(QStringLiteral("message")).toObject().value(QStringLiteral("chat_id"));
        const auto id = JsonIds::idString(chat);
        if (id && m_currentChatID && *id == *m_currentChatID)
            sendHistoryForCurrentChat();
    } else if (type == u"updateMessageSendSucceeded" || type == u"updateMessageSendFailed") {
        handleSendResult(object);
    } else if (type == u"updateMessageContent") {
        handleMessageContent(object);
    } else if (type == u"updateMessageEdited") {
        handleMessageEdited(object);
    } else if (type == u"updateDeleteMessages") {
        handleDeleteMessages(object);
    } else if (type == u"updateFile") {
        handleFileUpdate(object.value(QStringLiteral("file")).toObject());
    } else if (type == u"updateChatAction") {
        const QJsonValue action = object.value(QStringLiteral("action"));
        if (action.isObject() && isCurrentChat(object.value(QStringLiteral("chat_id")))) {
            const bool typing = action.toObject().value(kType).toString() != u"chatActionCancel";
            post([this, typing] {
                if (onTypingChanged)
                    onTypingChanged(typing);
            });
        }
    } else if (type == u"messages") {
        const QString extra = object.value(kExtra).toString();
        const QJsonValue messages = object.value(QStringLiteral("messages"));
        if (messages.isArray())
            publishMessages(messages.toArray(), HistoryRefresh::marksRead(extra));
        historyAnswered(extra);
    } else if (type == u"chats") {
        const QJsonArray ids = object.value(QStringLiteral("chat_ids")).toArray();
        for (const QJsonValue &value : ids) {
            const auto id = JsonIds::idString(value);
            if (id && !m_chats.contains(*id))
                send(QJsonObject{{kType, QStringLiteral("getChat")}, {QStringLiteral("chat_id"), value}});
        }
    } else if (type == u"chat") {
        storeChat(object);
    } else if (type == u"user") {
        storeUser(object);
    } else if (type == u"ok") {
        handleOK(object);
    } else if (type == u"error") {
        handleError(object);
    }
}

void TelegramClient::handleOK(const QJsonObject &object)
{
    const QString extra = object.value(kExtra).toString();
    if (extra == u"load-main" || extra == u"load-archive") {
        const QString list = extra.mid(5);
        m_loadingChatLists.remove(list);
        loadChatList(list);
    }
}

void TelegramClient::handleError(const QJsonObject &object)
{
    const QJsonValue messageValue = object.value(QStringLiteral("message"));
    const QString message =
        messageValue.isString() ? messageValue.toString() : QStringLiteral("Telegram returned an unknown error.");
    const QJsonValue code = object.value(QStringLiteral("code"));
    const bool notFound = code.isDouble() && code.toDouble() == 404;
    const QString extra = object.value(kExtra).toString();
    historyAnswered(extra);

    if (extra == u"load-main" || extra == u"load-archive") {
        const QString list = extra.mid(5);
        m_loadingChatLists.remove(list);
        if (notFound) {
            m_loadedChatLists.insert(list);
            const QString listType = list == u"main" ? QStringLiteral("chatListMain") : QStringLiteral("chatListArchive");
            send(QJsonObject{{kType, QStringLiteral("getChats")},
                             {QStringLiteral("chat_list"), QJsonObject{{kType, listType}}},
                             {QStringLiteral("limit"), 10000}});
            publishBots();
        } else {
            publishStatus(QStringLiteral("Could not load Telegram conversations: ") + message);
        }
        return;
    }
    if (extra == u"check-password") {
        publishStatus(QStringLiteral("Telegram error: ") + message);
        post([this] {
            if (onPasswordRequested)
                onPasswordRequested();
        });
        return;
    }
    if (message.contains(u"QR_CODE_EXPIRED") || message.contains(u"LOGIN_TOKEN_EXPIRED")) {
        m_hasRequestedQR = false;
        requestQR();
        return;
    }
    publishStatus(QStringLiteral("Telegram error: ") + message);
}

bool TelegramClient::isCurrentChat(const QJsonValue &chatID) const
{
    const auto id = JsonIds::idString(chatID);
    return id && m_currentChatID && *id == *m_currentChatID;
}

std::optional<QString> TelegramClient::currentChatID() const
{
    QMutexLocker lock(&m_session);
    return m_currentChatID;
}

QList<BotMessage> TelegramClient::publishedMessages() const
{
    QMutexLocker lock(&m_session);
    return m_publishedMessages;
}

int TelegramClient::rawMessageCount() const
{
    QMutexLocker lock(&m_session);
    return int(m_rawMessages.size());
}

QStringList TelegramClient::rawMessageIDs() const
{
    QMutexLocker lock(&m_session);
    return m_rawMessages.keys();
}
