#pragma once

#include "core/SerialQueue.h"
#include "telegram/HistoryRefresh.h"
#include "telegram/BotMessage.h"
#include "telegram/TdJsonLibrary.h"
#include "telegram/TelegramCredentials.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QMutex>
#include <QObject>
#include <QRecursiveMutex>
#include <QSet>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class SecretStore;

// The one object through which the application talks to Telegram: one TDLib
// JSON client, its receive loop on its own thread, and the session's tables.
// Every callback reaches the application on the main thread. One client per
// process at a time: td_receive serves every TDLib client of the process.
class TelegramClient
{
public:
    using Completion = std::function<void(const std::optional<QString> &error)>;

    struct Options
    {
        // Empty: the user's application data folder + "QuaylineView".
        QString baseDirectory;
        // Empty: TdJsonLibrary::defaultCandidates().
        QStringList libraryCandidates;
        // Already loaded transport; takes precedence over the candidates.
        std::shared_ptr<TdJsonLibrary> library;
        SecretStore *secrets = nullptr;
        TelegramCredentials credentials;
    };

    // Fails (null, error set) when the session folder cannot be prepared.
    static std::unique_ptr<TelegramClient> create(const Options &options, QString *error);
    ~TelegramClient();
    TelegramClient(const TelegramClient &) = delete;
    TelegramClient &operator=(const TelegramClient &) = delete;

    // Callbacks, set before start.
    std::function<void(const QString &)> onStatus;
    std::function<void(const std::optional<QString> &)> onQRLink;
    std::function<void(bool)> onAuthorization;
    std::function<void(const QList<BotConversation> &)> onBotsChanged;
    // The selected chat's timeline, with the chat it belongs to. A list is
    // delivered only while its chat is still the selected one.
    std::function<void(const QString &chatID, const QList<BotMessage> &)> onMessagesChanged;
    std::function<void(bool)> onTypingChanged;
    std::function<void()> onPasswordRequested;
    std::function<void()> onLoggedOut;
    std::function<void()> onClosed;

    void start();
    // False when the request could not go out: no TDLib client (the library did
    // not load, the client is not started yet or has closed) or no encoding.
    bool send(const QJsonObject &request);
    void publishStatus(const QString &text);

    // Sign-in.
    void logOut();
    void checkPassword(const QString &password);
    void closeForTermination();
    void setClosingForTermination(bool closing) { m_isClosingForTermination = closing; }

    // Bot conversations.
    void selectBotChat(const QString &chatID);

    // Outgoing operations (main thread). A text longer than one message allows
    // goes out as several messages, in order; the completion runs once, with
    // the first error or with none when every part was accepted.
    void sendMessage(const QString &text, const QString &to, const std::optional<QString> &replyTo = std::nullopt,
                     Completion completion = {});
    void sendPhoto(const QString &path, int width, int height, const QString &caption, const QString &to,
                   const std::optional<QString> &replyTo = std::nullopt);
    void sendDocument(const QString &path, const QString &caption, const QString &to,
                      const std::optional<QString> &replyTo = std::nullopt);
    void sendVoiceNote(const QString &path, int duration, const QString &caption, const QString &to,
                       const std::optional<QString> &replyTo = std::nullopt);
    void deleteMessage(const QString &messageID, const QString &in, bool revoke);
    void pressInlineButton(const BotInlineButton &button, const QString &messageID, const QString &in);
    void downloadFile(const QString &fileID);

    // Routes one parsed answer or update. The receive loop is its caller; tests
    // call it directly.
    void handle(const QJsonObject &object);

    QString baseDirectory() const { return m_baseDirectory; }
    QString historyFilePath(const QString &chatID) const;
    int clientID() const { return m_clientID; }
    bool isReceiving() const { return m_shouldReceive; }
    bool isClosingForTermination() const { return m_isClosingForTermination; }
    std::optional<QString> currentChatID() const;
    QList<BotMessage> publishedMessages() const;
    int rawMessageCount() const;
    QStringList rawMessageIDs() const;

private:
    explicit TelegramClient(const Options &options);

    void receiveLoop(quint64 run);
    bool ensureLibrary();
    void post(std::function<void()> fn);
    void handleOK(const QJsonObject &object);
    void handleError(const QJsonObject &object);

    // Sign-in.
    void handleAuthorizationState(const QJsonObject &state);
    void sendTDLibParameters();
    void sendEncryptionKey();
    void withSessionKey(std::function<void(const QString &)> use);
    void finishLogout();
    void requestQR();

    // Bot conversations.
    void loadChatList(const QString &list);
    void storeChat(const QJsonObject &chat);
    void storeUser(const QJsonObject &user);
    void publishBots();
    bool sendHistory(qint64 chat, bool onlyLocal);
    void refreshHistory(qint64 chat);
    void sendHistoryForCurrentChat();
    void historyAnswered(const QString &extra);

    // Timeline.
    void publishMessages(const QJsonArray &messages, bool markRead = true);
    void publishCurrentMessages();
    // requestDownloads false: only show the list again, ask for no file.
    void publishCurrentMessages(const QList<QJsonObject> &sorted, bool requestDownloads = true);
    void collapseSendPlaceholders();
    void saveArchivedHistory();
    void saveArchivedHistory(const QList<QJsonObject> &sorted);
    void loadArchivedHistory(const QString &chatID);
    QList<QJsonObject> sortedRawMessages() const;
    void handleSendResult(const QJsonObject &update);
    void handleMessageContent(const QJsonObject &update);
    void handleMessageEdited(const QJsonObject &update);
    void handleDeleteMessages(const QJsonObject &update);
    bool isCurrentChat(const QJsonValue &chatID) const;
    void handleFileUpdate(const QJsonObject &file);
    void scheduleProgressPublication();
    QJsonValue withLatestFiles(const QJsonValue &value) const;

    // Outgoing.
    QJsonObject sendRequest(qint64 chat, const std::optional<QString> &replyTo, const QJsonObject &content) const;
    void sendTextPart(qint64 chat, const QStringList &parts, qsizetype index,
                      const std::optional<QString> &replyTo, Completion completion);

    Options m_options;
    QString m_baseDirectory;
    std::unique_ptr<QObject> m_guard; // dropped callbacks once the client is gone
    std::shared_ptr<TdJsonLibrary> m_library;
    SerialQueue m_receiveQueue{QStringLiteral("telegram.tdlib.receive")};

    std::atomic<int> m_clientID{0};
    std::atomic<bool> m_shouldReceive{false};
    // Each start begins a new run; a receive loop ends as soon as its run is no
    // longer the current one, so a quick close and start never keeps the old
    // loop (and with it the serial queue) busy.
    std::atomic<quint64> m_run{0};
    std::atomic<bool> m_hasRequestedQR{false};
    std::atomic<bool> m_isClosingForTermination{false};

    // The session lock: serialises the tables between the receive thread and
    // main-thread operations.
    mutable QRecursiveMutex m_session;
    QHash<QString, QJsonObject> m_chats;
    QHash<QString, QJsonObject> m_users;
    QSet<QString> m_loadedChatLists;
    QSet<QString> m_loadingChatLists;
    std::optional<QString> m_currentChatID;
    QList<BotMessage> m_publishedMessages;
    QSet<QString> m_deletedMessageIDs;
    QSet<QString> m_locallyDeletedMessageIDs;
    QHash<QString, QJsonObject> m_rawMessages;
    HistoryRefresh m_historyRefresh;
    // Files whose download was asked for and has not yet finished or stopped.
    QSet<QString> m_downloadsInFlight;
    // The latest TDLib "file" from updateFile by file id: it supersedes the
    // copies inside stored messages, which keep the state of their answer.
    QHash<QString, QJsonObject> m_latestFiles;
    // Progress republishes the timeline at most once per interval.
    bool m_progressPublicationPending = false;
    static constexpr int kProgressIntervalMs = 100;

    QMutex m_sendCompletionsLock;
    QHash<QString, Completion> m_sendCompletions;
};
