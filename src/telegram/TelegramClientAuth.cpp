// Sign-in by QR code, the encrypted session and logout.
#include "telegram/SessionKey.h"
#include "telegram/JsonFields.h"
#include "telegram/TelegramClient.h"

#include <QDir>
#include <QLocale>
#include <QSysInfo>
#include <variant>

namespace {
using JsonFields::kType;
const QString kKeyFailure = QStringLiteral("Could not access the encrypted Telegram session key in Keychain.");
} // namespace

void TelegramClient::logOut()
{
    publishStatus(QStringLiteral("Signing out and revoking this Telegram session…"));
    send(QJsonObject{{kType, QStringLiteral("logOut")}});
}

void TelegramClient::checkPassword(const QString &password)
{
    // Tagged so that a rejected password asks again: TDLib stays waiting for it
    // without announcing the state a second time.
    send(QJsonObject{{kType, QStringLiteral("checkAuthenticationPassword")},
                     {QStringLiteral("password"), password},
                     {QStringLiteral("@extra"), QStringLiteral("check-password")}});
}

void TelegramClient::closeForTermination()
{
    m_isClosingForTermination = true;
    send(QJsonObject{{kType, QStringLiteral("close")}});
}

void TelegramClient::requestQR()
{
    if (m_hasRequestedQR.exchange(true))
        return;
    send(QJsonObject{{kType, QStringLiteral("requestQrCodeAuthentication")},
                     {QStringLiteral("other_user_ids"), QJsonArray()}});
}

void TelegramClient::handleAuthorizationState(const QJsonObject &state)
{
    const QString type = state.value(kType).toString();
    if (type == u"authorizationStateWaitTdlibParameters") {
        sendTDLibParameters();
    } else if (type == u"authorizationStateWaitEncryptionKey") {
        sendEncryptionKey();
    } else if (type == u"authorizationStateWaitPhoneNumber") {
        publishStatus(QStringLiteral("Requesting a sign-in QR code…"));
        requestQR();
    } else if (type == u"authorizationStateWaitOtherDeviceConfirmation") {
        const QJsonValue link = state.value(QStringLiteral("link"));
        const std::optional<QString> text = link.isString() ? std::optional(link.toString()) : std::nullopt;
        post([this, text] {
            if (onQRLink)
                onQRLink(text);
        });
        publishStatus(
            QStringLiteral("Scan this QR code from Telegram on your phone: Settings → Devices → Link Desktop Device."));
    } else if (type == u"authorizationStateWaitPassword") {
        post([this] {
            if (onQRLink)
                onQRLink(std::nullopt);
        });
        publishStatus(QStringLiteral("Enter your Telegram two-step verification password."));
        post([this] {
            if (onPasswordRequested)
                onPasswordRequested();
        });
    } else if (type == u"authorizationStateReady") {
        post([this] {
            if (onQRLink)
                onQRLink(std::nullopt);
            if (onAuthorization)
                onAuthorization(true);
        });
        publishStatus(QStringLiteral("Loading your bot conversations…"));
        loadChatList(QStringLiteral("main"));
        loadChatList(QStringLiteral("archive"));
    } else if (type == u"authorizationStateLoggingOut") {
        post([this] {
            if (onAuthorization)
                onAuthorization(false);
        });
        publishStatus(QStringLiteral("Revoking the app session…"));
    } else if (type == u"authorizationStateClosed") {
        if (m_isClosingForTermination) {
            m_shouldReceive = false;
            post([this] {
                if (onClosed)
                    onClosed();
            });
        } else {
            finishLogout();
        }
    } else if (type == u"authorizationStateWaitCode") {
        post([this] {
            if (onQRLink)
                onQRLink(std::nullopt);
        });
        publishStatus(QStringLiteral(
            "Telegram requested an authentication code. Restart login to request a new QR code."));
    } else if (type == u"authorizationStateWaitRegistration") {
        post([this] {
            if (onQRLink)
                onQRLink(std::nullopt);
        });
        publishStatus(QStringLiteral("This Telegram account needs registration in an official Telegram app first."));
    }
}

void TelegramClient::sendTDLibParameters()
{
    const TelegramCredentials &credentials = m_options.credentials;
    if (!credentials.isComplete()) {
        publishStatus(QStringLiteral("This build is missing Tessaly API credentials."));
        return;
    }
    QDir base(m_baseDirectory);
    const QString database = base.filePath(QStringLiteral("database"));
    const QString files = base.filePath(QStringLiteral("files"));
    for (const QString &folder : {database, files}) {
        if (!QDir().mkpath(folder)) {
            publishStatus(QStringLiteral("Could not prepare Telegram's encrypted session storage: ") +
                          QStringLiteral("The folder “%1” could not be created.").arg(folder));
            return;
        }
    }
    QString language = QLocale().name().section(u'_', 0, 0);
    if (language.isEmpty() || language == u"C")
        language = QStringLiteral("en");
    QJsonObject parameters{
        {kType, QStringLiteral("setTdlibParameters")},
        {QStringLiteral("database_directory"), database},
        {QStringLiteral("files_directory"), files},
        {QStringLiteral("use_file_database"), true},
        {QStringLiteral("use_chat_info_database"), true},
        {QStringLiteral("use_message_database"), true},
        {QStringLiteral("use_secret_chats"), false},
        {QStringLiteral("api_id"), *credentials.apiID},
        {QStringLiteral("api_hash"), *credentials.apiHash},
        {QStringLiteral("system_language_code"), language},
        {QStringLiteral("device_model"), QStringLiteral("Tessaly")},
        {QStringLiteral("system_version"), QSysInfo::prettyProductName()},
        {QStringLiteral("application_version"), QStringLiteral("1.0")},
    };
    // TDLib 1.8.67 takes the database key with the parameters; an unencrypted
    // database is never an option, so without a key nothing is sent. The stored
    // key is already Base64, which is how TDLib's JSON carries bytes: it goes
    // as it is.
    withSessionKey([this, parameters](const QString &key) mutable {
        parameters.insert(QStringLiteral("database_encryption_key"), key);
        send(parameters);
    });
}

void TelegramClient::withSessionKey(std::function<void(const QString &)> use)
{
    // The secret store answers on the main thread only (the Secret Service
    // client does not work from other threads), so the key is fetched there and
    // the request sent from there; td_send may be called from any thread.
    post([this, use = std::move(use)] {
        if (!m_options.secrets) {
            if (onStatus)
                onStatus(kKeyFailure);
            return;
        }
        const auto key = SessionKey::getOrCreate(*m_options.secrets);
        if (std::holds_alternative<SessionKey::Failure>(key)) {
            if (onStatus)
                onStatus(kKeyFailure);
            return;
        }
        use(std::get<QString>(key));
    });
}

void TelegramClient::sendEncryptionKey()
{
    withSessionKey([this](const QString &key) {
        send(QJsonObject{{kType, QStringLiteral("setDatabaseEncryptionKey")},
                         {QStringLiteral("new_encryption_key"), key}});
    });
}

void TelegramClient::finishLogout()
{
    m_chats.clear();
    m_users.clear();
    m_loadedChatLists.clear();
    m_loadingChatLists.clear();
    m_publishedMessages.clear();
    m_deletedMessageIDs.clear();
    m_locallyDeletedMessageIDs.clear();
    m_rawMessages.clear();
    m_downloadsInFlight.clear();
    m_latestFiles.clear();
    m_currentChatID.reset();
    m_historyRefresh.reset();

    QDir base(m_baseDirectory);
    for (const char *folder : {"database", "files", "history"})
        QDir(base.filePath(QString::fromLatin1(folder))).removeRecursively();

    // On the main thread, like every use of the secret store; it is queued
    // before the new client's key lookup, so that one creates a fresh key.
    post([this] {
        if (!m_options.secrets)
            return;
        const SecretResult removed = SessionKey::remove(*m_options.secrets);
        if (!removed.ok() && onStatus)
            onStatus(QStringLiteral("Telegram signed out, but the local Keychain item could not be removed: ") +
                     removed.description());
    });

    m_clientID = m_library->createClientId();
    m_hasRequestedQR = false;
    // A quit asked for while the old session closed sent its close to that
    // session: the new one closes at once, or the quit would wait for the fallback.
    send(QJsonObject{{kType, m_isClosingForTermination ? QStringLiteral("close")
                                                       : QStringLiteral("getAuthorizationState")}});

    post([this] {
        if (onQRLink)
            onQRLink(std::nullopt);
        if (onAuthorization)
            onAuthorization(false);
        if (onLoggedOut)
            onLoggedOut();
    });
}
