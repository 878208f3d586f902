#include "SimClient.h"
#include "SimContent.h"

#include "SimScheduler.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRandomGenerator>

namespace {

const char kVersion[] = "1.8.67";

using SimContent::typed;

QByteArray keyHash(const QString &key)
{
    return QCryptographicHash::hash("tdjson-sim:" + key.toUtf8(), QCryptographicHash::Sha256).toHex();
}

} // namespace

SimClient::SimClient(int id, SimScheduler &scheduler, const SimConfig &config, Emit sink)
    : m_id(id), m_scheduler(scheduler), m_config(config), m_emit(std::move(sink))
{
}

const QHash<QString, SimClient::Handler> &SimClient::handlers()
{
    static const QHash<QString, Handler> table = {
        {"getAuthorizationState", &SimClient::onGetAuthorizationState},
        {"setTdlibParameters", &SimClient::onSetTdlibParameters},
        {"setDatabaseEncryptionKey", &SimClient::onSetDatabaseEncryptionKey},
        {"checkDatabaseEncryptionKey", &SimClient::onSetDatabaseEncryptionKey},
        {"requestQrCodeAuthentication", &SimClient::onRequestQrCode},
        {"checkAuthenticationPassword", &SimClient::onCheckPassword},
        {"logOut", &SimClient::onLogOut},
        {"close", &SimClient::onClose},
        {"destroy", &SimClient::onClose},
        {"setLogVerbosityLevel", &SimClient::onLogSetting},
        {"getLogVerbosityLevel", &SimClient::onLogSetting},
        {"setLogStream", &SimClient::onLogSetting},
        {"setLogTagVerbosityLevel", &SimClient::onLogSetting},
        {"setOption", &SimClient::onLogSetting},
        {"getOption", &SimClient::onGetOption},
        {"loadChats", &SimClient::onLoadChats},
        {"getChats", &SimClient::onGetChats},
        {"getChat", &SimClient::onGetChat},
        {"getUser", &SimClient::onGetUser},
        {"getMe", &SimClient::onGetMe},
        {"openChat", &SimClient::onOpenCloseChat},
        {"closeChat", &SimClient::onOpenCloseChat},
        {"getChatHistory", &SimClient::onGetChatHistory},
        {"getMessage", &SimClient::onGetMessage},
        {"viewMessages", &SimClient::onViewMessages},
        {"sendMessage", &SimClient::onSendMessage},
        {"deleteMessages", &SimClient::onDeleteMessages},
        {"getCallbackQueryAnswer", &SimClient::onGetCallbackQueryAnswer},
        {"sendChatAction", &SimClient::onSendChatAction},
        {"downloadFile", &SimClient::onDownloadFile},
        {"cancelDownloadFile", &SimClient::onCancelDownloadFile},
    };
    return table;
}

void SimClient::handle(const QByteArray &text)
{
    if (isClosed())
        return;
    if (!m_started) {
        // TDLib announces itself and its first state when a client gets its first request.
        m_started = true;
        update(typed("updateOption",
                     {{"name", "version"}, {"value", typed("optionValueString", {{"value", kVersion}})}}));
        update(typed("updateAuthorizationState", {{"authorization_state", authStateObject()}}));
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        answerError(QJsonValue(), 400,
                    QStringLiteral("Failed to parse request as JSON object: ") + parseError.errorString());
        return;
    }
    if (!document.isObject()) {
        answerError(QJsonValue(), 400, QStringLiteral("Expected a JSON object"));
        return;
    }
    SimRequest request(document.object());
    const QJsonValue type = request.object().value("@type");
    const QString prefix = QStringLiteral("Failed to parse JSON object as TDLib request: ");
    if (type.isUndefined() || type.isNull()) {
        answerError(request, 400, prefix + QStringLiteral("Can't find field \"@type\""));
        return;
    }
    if (type.isDouble()) {
        answerError(
            request, 400,
            prefix +
                QStringLiteral("Unknown constructor 0x%1").arg(type.toInteger(), 8, 16, QLatin1Char('0')));
        return;
    }
    if (!type.isString()) {
        answerError(request, 400,
                    prefix + QStringLiteral("Expected String, but receive ") +
                        SimRequest::jsonTypeName(type));
        return;
    }
    const Handler handler = handlers().value(type.toString());
    if (!handler) {
        answerError(request, 400, prefix + QStringLiteral("Unknown class \"%1\"").arg(type.toString()));
        return;
    }
    (this->*handler)(request);
}

void SimClient::answer(const SimRequest &request, QJsonObject result)
{
    const QJsonValue extra = request.object().value("@extra");
    if (!extra.isUndefined() && !extra.isNull())
        result.insert("@extra", extra);
    m_emit(result);
}

void SimClient::answerError(const QJsonValue &extra, int code, const QString &message)
{
    QJsonObject error = typed("error", {{"code", code}, {"message", message}});
    if (!extra.isUndefined() && !extra.isNull())
        error.insert("@extra", extra);
    m_emit(error);
}

bool SimClient::admit(SimRequest &request, Need need)
{
    if (request.failed()) {
        answerError(request, 400, request.errorMessage());
        return false;
    }
    if (m_auth == Auth::LoggingOut || m_auth == Auth::Closing) {
        answerError(request, 500, QStringLiteral("Request aborted"));
        return false;
    }
    if (need != Need::Nothing && m_auth == Auth::WaitParameters) {
        answerError(request, 400,
                    QStringLiteral("Initialization parameters are needed: call setTdlibParameters first"));
        return false;
    }
    if (need == Need::Authorization && m_auth != Auth::Ready) {
        answerError(request, 401, QStringLiteral("Unauthorized"));
        return false;
    }
    return true;
}

void SimClient::later(int milliseconds, std::function<void(SimClient &)> fn)
{
    std::weak_ptr<SimClient> weak = weak_from_this();
    m_scheduler.postDelayed(milliseconds, [weak, fn = std::move(fn)] {
        if (const auto self = weak.lock(); self && !self->isClosed())
            fn(*self);
    });
}

// ---- Authorization ---------------------------------------------------------

QJsonObject SimClient::authStateObject() const
{
    switch (m_auth) {
    case Auth::WaitParameters:
        return typed("authorizationStateWaitTdlibParameters");
    case Auth::WaitEncryptionKey:
        return typed("authorizationStateWaitEncryptionKey",
                     {{"is_encrypted", QFile::exists(keyMarkerPath())}});
    case Auth::WaitPhoneNumber:
        return typed("authorizationStateWaitPhoneNumber");
    case Auth::WaitOtherDevice:
        return typed("authorizationStateWaitOtherDeviceConfirmation", {{"link", m_qrLink}});
    case Auth::WaitPassword:
        return typed("authorizationStateWaitPassword", {{"password_hint", m_config.passwordHint},
                                                        {"has_recovery_email_address", false},
                                                        {"has_passport_data", false},
                                                        {"recovery_email_address_pattern", ""}});
    case Auth::Ready:
        return typed("authorizationStateReady");
    case Auth::LoggingOut:
        return typed("authorizationStateLoggingOut");
    case Auth::Closing:
        return typed("authorizationStateClosing");
    case Auth::Closed:
        return typed("authorizationStateClosed");
    }
    return {};
}

void SimClient::setAuth(Auth state)
{
    m_auth = state;
    update(typed("updateAuthorizationState", {{"authorization_state", authStateObject()}}));
}

QString SimClient::keyMarkerPath() const
{
    return m_databaseDirectory.isEmpty() ? QString() : QDir(m_databaseDirectory).filePath("tdjson-sim.key");
}

QString SimClient::sessionMarkerPath() const
{
    return m_databaseDirectory.isEmpty() ? QString()
                                         : QDir(m_databaseDirectory).filePath("tdjson-sim.session");
}

void SimClient::onGetAuthorizationState(SimRequest &r)
{
    if (admit(r, Need::Nothing))
        answer(r, authStateObject());
}

void SimClient::onSetTdlibParameters(SimRequest &r)
{
    const QString databaseDirectory = r.string("database_directory");
    const QString filesDirectory = r.string("files_directory");
    const QString key = r.string("database_encryption_key");
    for (const char *flag : {"use_test_dc", "use_file_database", "use_chat_info_database",
                             "use_message_database", "use_secret_chats"})
        r.boolean(flag);
    const qint64 apiId = r.int64("api_id");
    const QString apiHash = r.string("api_hash");
    const QString language = r.string("system_language_code");
    const QString device = r.string("device_model");
    r.string("system_version");
    const QString version = r.string("application_version");
    if (!admit(r, Need::Nothing))
        return;
    if (m_auth != Auth::WaitParameters)
        return answerError(r, 400, QStringLiteral("Unexpected setTdlibParameters"));
    if (apiId <= 0 || apiId > std::numeric_limits<int>::max())
        return answerError(
            r, 400,
            QStringLiteral("Valid api_id must be provided. Can be obtained at https://my.telegram.org"));
    if (apiHash.isEmpty())
        return answerError(
            r, 400,
            QStringLiteral("Valid api_hash must be provided. Can be obtained at https://my.telegram.org"));
    if (language.isEmpty())
        return answerError(r, 400, QStringLiteral("System language code must be non-empty"));
    if (device.isEmpty())
        return answerError(r, 400, QStringLiteral("Device model must be non-empty"));
    if (version.isEmpty())
        return answerError(r, 400, QStringLiteral("Application version must be non-empty"));
    if (!databaseDirectory.isEmpty() && !QDir().mkpath(databaseDirectory))
        return answerError(r, 400,
                           QStringLiteral("Can't create database directory \"%1\"").arg(databaseDirectory));
    m_databaseDirectory = databaseDirectory;
    m_filesDirectory = !filesDirectory.isEmpty() ? filesDirectory
                       : !databaseDirectory.isEmpty()
                           ? databaseDirectory
                           : QDir::temp().filePath(QStringLiteral("tdjson-sim-files"));
    if (m_config.waitEncryptionKey) {
        setAuth(Auth::WaitEncryptionKey);
        return answerOk(r);
    }
    // A database opens only with the key it was created with, as in TDLib.
    QFile marker(keyMarkerPath());
    if (!m_databaseDirectory.isEmpty() && marker.exists()) {
        if (!marker.open(QIODevice::ReadOnly) || marker.readAll().trimmed() != keyHash(key)) {
            m_databaseDirectory.clear();
            return answerError(r, 401, QStringLiteral("Wrong database encryption key"));
        }
    } else if (!m_databaseDirectory.isEmpty() && marker.open(QIODevice::WriteOnly)) {
        marker.write(keyHash(key));
    }
    keyAccepted();
    answerOk(r);
}

void SimClient::onSetDatabaseEncryptionKey(SimRequest &r)
{
    const QString key = r.string("new_encryption_key");
    if (!admit(r, Need::Parameters))
        return;
    QFile marker(keyMarkerPath());
    if (m_auth == Auth::WaitEncryptionKey) {
        if (marker.exists() &&
            (!marker.open(QIODevice::ReadOnly) || marker.readAll().trimmed() != keyHash(key)))
            return answerError(r, 401, QStringLiteral("Wrong database encryption key"));
        marker.close();
        if (!marker.exists() && marker.open(QIODevice::WriteOnly))
            marker.write(keyHash(key));
        keyAccepted();
        return answerOk(r);
    }
    // Re-keying an open database.
    if (!m_databaseDirectory.isEmpty() && marker.open(QIODevice::WriteOnly | QIODevice::Truncate))
        marker.write(keyHash(key));
    answerOk(r);
}

void SimClient::keyAccepted()
{
    if (!m_databaseDirectory.isEmpty() && QFile::exists(sessionMarkerPath()))
        becomeReady();
    else
        setAuth(Auth::WaitPhoneNumber);
}

void SimClient::onRequestQrCode(SimRequest &r)
{
    r.int64Array("other_user_ids");
    if (!admit(r, Need::Parameters))
        return;
    if (m_auth != Auth::WaitPhoneNumber && m_auth != Auth::WaitPassword)
        return answerError(r, 400, QStringLiteral("Call to requestQrCodeAuthentication unexpected"));
    showNewQrLink();
    answerOk(r);
}

void SimClient::showNewQrLink()
{
    QByteArray token(32, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(token.data()), token.size() / 4);
    m_qrLink =
        QStringLiteral("tg://login?token=") +
        QString::fromLatin1(token.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
    const quint64 generation = ++m_qrGeneration;
    setAuth(Auth::WaitOtherDevice);
    if (m_config.scanDelayMs) {
        later(*m_config.scanDelayMs, [generation](SimClient &c) {
            if (c.m_qrGeneration == generation)
                c.scan();
        });
    }
    if (m_config.qrExpirySeconds > 0) {
        later(m_config.qrExpirySeconds * 1000, [generation](SimClient &c) {
            if (c.m_qrGeneration == generation)
                c.expireQr();
        });
    }
}

void SimClient::scan()
{
    if (m_auth != Auth::WaitOtherDevice)
        return;
    ++m_qrGeneration;
    if (!m_config.password.isEmpty())
        setAuth(Auth::WaitPassword);
    else
        becomeReady();
}

void SimClient::expireQr()
{
    if (m_auth != Auth::WaitOtherDevice)
        return;
    if (!m_config.qrExpiryByError) {
        showNewQrLink();
        return;
    }
    ++m_qrGeneration;
    setAuth(Auth::WaitPhoneNumber);
    answerError(QJsonValue(), 400, m_config.qrExpiryError);
}

void SimClient::onCheckPassword(SimRequest &r)
{
    const QString password = r.string("password");
    if (!admit(r, Need::Parameters))
        return;
    if (m_auth != Auth::WaitPassword)
        return answerError(r, 400, QStringLiteral("Call to checkAuthenticationPassword unexpected"));
    if (password != m_config.password)
        return answerError(r, 400, QStringLiteral("PASSWORD_HASH_INVALID"));
    becomeReady();
    answerOk(r);
}

void SimClient::becomeReady()
{
    ++m_qrGeneration;
    if (!m_databaseDirectory.isEmpty()) {
        QFile marker(sessionMarkerPath());
        if (marker.open(QIODevice::WriteOnly))
            marker.write(QByteArray::number(SimWorld::kMyUserId));
    }
    m_world = std::make_unique<SimWorld>(m_config.bots, QDateTime::currentSecsSinceEpoch());
    m_world->setHistoryLimit(m_config.historyLimit);
    m_chatPagesLoaded.clear();
    m_revealedUsers.clear();
    revealUser(SimWorld::kMyUserId);
    update(typed("updateOption", {{"name", "my_id"},
                                  {"value", typed("optionValueInteger",
                                                  {{"value", QString::number(SimWorld::kMyUserId)}})}}));
    setAuth(Auth::Ready);
}

void SimClient::onLogOut(SimRequest &r)
{
    if (!admit(r, Need::Parameters))
        return;
    setAuth(Auth::LoggingOut);
    answerOk(r);
    // The closure outlives isClosed() checks on purpose: it is what closes.
    std::weak_ptr<SimClient> weak = weak_from_this();
    m_scheduler.postDelayed(m_config.closeDelayMs, [weak] {
        if (const auto self = weak.lock())
            self->finishClosing(true);
    });
}

void SimClient::onClose(SimRequest &r)
{
    if (!admit(r, Need::Nothing))
        return;
    const bool destroy = r.type() == QLatin1String("destroy");
    answerOk(r);
    setAuth(Auth::Closing);
    std::weak_ptr<SimClient> weak = weak_from_this();
    m_scheduler.postDelayed(m_config.closeDelayMs, [weak, destroy] {
        if (const auto self = weak.lock())
            self->finishClosing(destroy);
    });
}

void SimClient::finishClosing(bool destroyData)
{
    if (isClosed())
        return;
    if (destroyData) {
        // Logging out destroys the local database, and the key with it.
        if (m_world)
            m_world->files().removeDownloaded();
        if (!m_databaseDirectory.isEmpty()) {
            QFile::remove(sessionMarkerPath());
            QFile::remove(keyMarkerPath());
        }
    }
    m_world.reset();
    setAuth(Auth::Closed);
}

void SimClient::onLogSetting(SimRequest &r)
{
    if (!admit(r, Need::Nothing))
        return;
    if (r.type() == QLatin1String("getLogVerbosityLevel"))
        return answer(r, typed("logVerbosityLevel", {{"verbosity_level", 1}}));
    answerOk(r);
}

void SimClient::onGetOption(SimRequest &r)
{
    const QString name = r.string("name");
    if (!admit(r, Need::Nothing))
        return;
    if (name == QLatin1String("version"))
        return answer(r, typed("optionValueString", {{"value", kVersion}}));
    if (name == QLatin1String("my_id") && m_auth == Auth::Ready)
        return answer(r, typed("optionValueInteger", {{"value", QString::number(SimWorld::kMyUserId)}}));
    answer(r, typed("optionValueEmpty"));
}
