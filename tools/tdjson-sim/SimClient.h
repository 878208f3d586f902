#pragma once

#include "SimConfig.h"
#include "SimRequest.h"
#include "SimWorld.h"

#include <QHash>
#include <QJsonObject>
#include <QSet>
#include <functional>
#include <memory>

class SimScheduler;
struct SimBotMessage;

// One simulated TDLib client: its authorization state machine and, once signed
// in, the account it sees. Lives on the scheduler's worker thread only.
class SimClient : public std::enable_shared_from_this<SimClient>
{
public:
    using Emit = std::function<void(const QJsonObject &)>;

    SimClient(int id, SimScheduler &scheduler, const SimConfig &config, Emit sink);

    int id() const { return m_id; }
    bool isClosed() const { return m_auth == Auth::Closed; }
    void handle(const QByteArray &text);

    // Scripting (tdsim_configure commands).
    void scan();
    void expireQr();
    void injectIncoming(const QJsonObject &command);
    void injectOutgoing(const QJsonObject &command);
    void deleteFromOtherSide(const QJsonObject &command);
    void chatAction(const QJsonObject &command);

private:
    enum class Auth {
        WaitParameters,
        WaitEncryptionKey,
        WaitPhoneNumber,
        WaitOtherDevice,
        WaitPassword,
        Ready,
        LoggingOut,
        Closing,
        Closed
    };
    enum class Need { Nothing, Parameters, Authorization };
    using Handler = void (SimClient::*)(SimRequest &);

    // Plumbing
    void answer(const SimRequest &request, QJsonObject result);
    void answerError(const QJsonValue &extra, int code, const QString &message);
    void answerError(const SimRequest &request, int code, const QString &message)
    {
        answerError(request.object().value("@extra"), code, message);
    }
    void answerOk(const SimRequest &request) { answer(request, QJsonObject{{"@type", "ok"}}); }
    void update(QJsonObject object) { m_emit(object); }
    // Reports parse errors and the state errors TDLib gives; true when the request may run.
    bool admit(SimRequest &request, Need need);
    void later(int milliseconds, std::function<void(SimClient &)> fn);
    static const QHash<QString, Handler> &handlers();

    // Authorization (SimClient.cpp)
    QJsonObject authStateObject() const;
    void setAuth(Auth state);
    void keyAccepted();
    void showNewQrLink();
    void becomeReady();
    void finishClosing(bool destroyData);
    QString keyMarkerPath() const;
    QString sessionMarkerPath() const;
    void onGetAuthorizationState(SimRequest &r);
    void onSetTdlibParameters(SimRequest &r);
    void onSetDatabaseEncryptionKey(SimRequest &r);
    void onRequestQrCode(SimRequest &r);
    void onCheckPassword(SimRequest &r);
    void onLogOut(SimRequest &r);
    void onClose(SimRequest &r);
    void onLogSetting(SimRequest &r);
    void onGetOption(SimRequest &r);

    // Chats and messages (SimClientChats.cpp)
    SimChat *requireChat(SimRequest &r, qint64 chatId);
    void revealChat(SimChat &chat);
    void revealUser(qint64 userId);
    void sendLastMessage(const SimChat &chat);
    void sendReadInbox(const SimChat &chat);
    void deliverIncoming(qint64 chatId, const SimBotMessage &message);
    void scheduleBotAnswer(qint64 chatId, const QList<SimBotMessage> &messages);
    void finishSend(qint64 chatId, qint64 temporaryId);
    std::optional<QJsonObject> inputContent(SimRequest &r, const QJsonObject &input);
    QString chatListRequest(SimRequest &r, qint64 limit);
    void onLoadChats(SimRequest &r);
    void onGetChats(SimRequest &r);
    void onGetChat(SimRequest &r);
    void onGetUser(SimRequest &r);
    void onGetMe(SimRequest &r);
    void onOpenCloseChat(SimRequest &r);
    void onGetChatHistory(SimRequest &r);
    void onGetMessage(SimRequest &r);
    void onViewMessages(SimRequest &r);
    void onSendMessage(SimRequest &r);
    void onDeleteMessages(SimRequest &r);
    void onGetCallbackQueryAnswer(SimRequest &r);
    void onSendChatAction(SimRequest &r);

    // Files (SimClientFiles.cpp)
    void onDownloadFile(SimRequest &r);
    void onCancelDownloadFile(SimRequest &r);
    void downloadStep(int fileId, int step, quint64 generation);
    // Uploads the files of a pending message in steps, then finishes sending it.
    void uploadStep(qint64 chatId, qint64 temporaryId, const QList<int> &fileIds, int step);
    void sendFileUpdate(int fileId);

    const int m_id;
    SimScheduler &m_scheduler;
    const SimConfig &m_config;
    Emit m_emit;

    bool m_started = false;
    Auth m_auth = Auth::WaitParameters;
    QString m_databaseDirectory;
    QString m_filesDirectory;
    QString m_qrLink;
    quint64 m_qrGeneration = 0;

    std::unique_ptr<SimWorld> m_world;
    QHash<QString, int> m_chatPagesLoaded;
    QSet<qint64> m_revealedUsers;
    QHash<int, quint64> m_downloadGeneration;
    QHash<int, QList<QJsonValue>> m_syncDownloads; // file id -> "@extra" of synchronous requests
};
