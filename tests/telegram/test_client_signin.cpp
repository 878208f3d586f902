// QR sign-in, the encrypted session key, credentials and logout.
#include "support/ClientHarness.h"
#include "support/TestMain.h"
#include "telegram/SessionKey.h"
#include "telegram/TelegramCredentials.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class TestClientSignIn : public QObject
{
    Q_OBJECT
private slots:
    void parametersCarryANewKeyThatIsStored()
    {
        ClientHarness h;
        h.start();
        h.deliver(ClientHarness::authState("authorizationStateWaitTdlibParameters"));
        h.deliver(ClientHarness::authState("authorizationStateWaitEncryptionKey"));
        const QList<QJsonObject> params = h.fake.sentOfType("setTdlibParameters");
        QCOMPARE(params.size(), 1);
        const QJsonObject p = params[0];
        const SecretResult stored = h.secrets.read(SessionKey::service, SessionKey::account);
        QVERIFY(stored.ok());
        QCOMPARE(stored.data.size(), 44);
        QCOMPARE(QByteArray::fromBase64(stored.data).size(), 32);
        // The stored Base64 text is the key, and TDLib's JSON carries bytes as
        // Base64: it goes as it is, not encoded again.
        QCOMPARE(p["database_encryption_key"].toString(), QString::fromLatin1(stored.data));
        QCOMPARE(h.fake.sentOfType("setDatabaseEncryptionKey")[0]["new_encryption_key"].toString(),
                 QString::fromLatin1(stored.data));
        QCOMPARE(p["api_id"].toInteger(), 12345);
        QCOMPARE(p["api_hash"].toString(), QString("0123456789abcdef"));
        QCOMPARE(p["device_model"].toString(), QString("Tessaly"));
        QCOMPARE(p["application_version"].toString(), QString("1.0"));
        QCOMPARE(p["use_secret_chats"].toBool(true), false);
        QVERIFY(p["use_message_database"].toBool());
        QVERIFY(!p["system_language_code"].toString().isEmpty());
        QVERIFY(QDir(p["database_directory"].toString()).exists());
        QVERIFY(QDir(p["files_directory"].toString()).exists());
        QCOMPARE(QFile::permissions(h.client->baseDirectory()) & 0x0077, QFileDevice::Permissions());
    }

    void storedKeyIsReusedUnchanged()
    {
        ClientHarness h;
        const QByteArray key = QByteArray(32, '\x5a').toBase64();
        h.secrets.write(SessionKey::service, SessionKey::account, key);
        h.start();
        h.deliver(ClientHarness::authState("authorizationStateWaitTdlibParameters"));
        h.deliver(ClientHarness::authState("authorizationStateWaitEncryptionKey"));
        QCOMPARE(h.fake.sentOfType("setTdlibParameters")[0]["database_encryption_key"].toString(),
                 QString::fromLatin1(key));
        QCOMPARE(h.fake.sentOfType("setDatabaseEncryptionKey")[0]["new_encryption_key"].toString(),
                 QString::fromLatin1(key));
        QCOMPARE(h.secrets.itemCount(), 1);
    }

    void unusableKeyNeverFallsBackToAnUnencryptedDatabase_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("failure");
        QTest::newRow("not utf-8") << QByteArray("\xff\xfe\xfd") << 0;
        QTest::newRow("store unavailable") << QByteArray() << int(SecretResult::Unavailable);
    }
    void unusableKeyNeverFallsBackToAnUnencryptedDatabase()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, failure);
        ClientHarness h;
        if (!stored.isEmpty())
            h.secrets.write(SessionKey::service, SessionKey::account, stored);
        if (failure)
            h.secrets.setFailure(failure);
        h.start();
        h.deliver(ClientHarness::authState("authorizationStateWaitTdlibParameters"));
        h.deliver(ClientHarness::authState("authorizationStateWaitEncryptionKey"));
        QVERIFY(h.fake.sentOfType("setTdlibParameters").isEmpty());
        QVERIFY(h.fake.sentOfType("setDatabaseEncryptionKey").isEmpty());
        QCOMPARE(h.statuses.last(), QString("Could not access the encrypted Telegram session key in Keychain."));
    }

    void missingCredentialsSendNothing()
    {
        ClientHarness h(false);
        h.start();
        h.deliver(ClientHarness::authState("authorizationStateWaitTdlibParameters"));
        QVERIFY(h.fake.sentOfType("setTdlibParameters").isEmpty());
        QCOMPARE(h.statuses.last(), QString("This build is missing Tessaly API credentials."));
    }

    void qrFlowToReady()
    {
        ClientHarness h;
        h.start();
        h.deliver(ClientHarness::authState("authorizationStateWaitPhoneNumber"));
        h.deliver(ClientHarness::authState("authorizationStateWaitPhoneNumber"));
        QCOMPARE(h.fake.sentOfType("requestQrCodeAuthentication").size(), 1);
        QCOMPARE(h.statuses.last(), QString("Requesting a sign-in QR code…"));
        h.deliver(ClientHarness::authState("authorizationStateWaitOtherDeviceConfirmation",
                                           {{"link", "tg://login?token=abc"}}));
        QCOMPARE(h.qrLinks.last().value_or(""), QString("tg://login?token=abc"));
        QVERIFY(h.statuses.last().startsWith("Scan this QR code from Telegram on your phone"));
        h.deliver(ClientHarness::authState("authorizationStateWaitPassword"));
        QVERIFY(!h.qrLinks.last().has_value());
        QCOMPARE(h.passwordRequests, 1);
        QCOMPARE(h.statuses.last(), QString("Enter your Telegram two-step verification password."));
        h.client->checkPassword("secret");
        QCOMPARE(h.fake.sentOfType("checkAuthenticationPassword")[0]["password"].toString(), QString("secret"));
        // TDLib answers a wrong password with an error and stays waiting: the prompt opens again.
        h.deliver(QJsonObject{{"@type", "error"}, {"code", 400}, {"message", "PASSWORD_HASH_INVALID"},
                              {"@extra", h.fake.sentOfType("checkAuthenticationPassword")[0]["@extra"]}});
        QCOMPARE(h.passwordRequests, 2);
        QCOMPARE(h.statuses.last(), QString("Telegram error: PASSWORD_HASH_INVALID"));
        h.deliver(ClientHarness::authState("authorizationStateReady"));
        QCOMPARE(h.authorizations, QList<bool>{true});
        QCOMPARE(h.statuses.last(), QString("Loading your bot conversations…"));
        QCOMPARE(h.fake.sentOfType("loadChats").size(), 2);
        h.deliver(ClientHarness::authState("authorizationStateWaitRegistration"));
        QCOMPARE(h.statuses.last(), QString("This Telegram account needs registration in an official Telegram app first."));
    }

    void closingForTerminationKeepsLocalData()
    {
        ClientHarness h;
        h.start();
        h.deliver(ClientHarness::authState("authorizationStateWaitTdlibParameters"));
        QDir(h.client->baseDirectory()).mkpath("history");
        h.client->closeForTermination();
        QCOMPARE(h.fake.sentOfType("close").size(), 1);
        // The loop ends after this answer, so it is not waited for as usual.
        h.fake.push(ClientHarness::authState("authorizationStateClosed"), h.client->clientID());
        QTRY_COMPARE(h.closed, 1);
        QCOMPARE(h.loggedOut, 0);
        QVERIFY(!h.client->isReceiving());
        QVERIFY(QDir(h.client->baseDirectory() + "/database").exists());
        QVERIFY(QDir(h.client->baseDirectory() + "/history").exists());
        QCOMPARE(h.secrets.itemCount(), 1);
    }

    void quittingBeforeTheClientExistsClosesItOnceItDoes()
    {
        ClientHarness h;
        h.fake.holdClientCreation(true);
        h.client->start();
        h.client->closeForTermination();
        QVERIFY(h.fake.sentOfType("close").isEmpty());
        h.fake.holdClientCreation(false);
        QTRY_COMPARE(h.fake.sentOfType("close").size(), 1);
        // No sign-in starts on a client that is closing.
        QVERIFY(h.fake.sentOfType("getAuthorizationState").isEmpty());
        h.fake.push(ClientHarness::authState("authorizationStateClosed"), h.client->clientID());
        QTRY_COMPARE(h.closed, 1);
        QCOMPARE(h.loggedOut, 0);
    }

    void quittingWhileALoggedOutSessionIsReplacedClosesTheNewOne()
    {
        ClientHarness h;
        h.start();
        h.deliver(ClientHarness::authState("authorizationStateWaitTdlibParameters"));
        QCOMPARE(h.secrets.itemCount(), 1);
        const int oldClient = h.client->clientID();
        h.fake.holdClientCreation(true);
        h.fake.push(ClientHarness::authState("authorizationStateClosed"), oldClient);
        // The key goes once the old session's files are gone, right before the new client is made.
        QTRY_COMPARE(h.secrets.itemCount(), 0);
        h.client->closeForTermination();
        h.fake.holdClientCreation(false);
        QTRY_VERIFY(h.client->clientID() != oldClient);
        QTRY_COMPARE(h.fake.sentOfType("close").size(), 2);
        QCOMPARE(h.fake.sent().last().clientId, h.client->clientID());
        QCOMPARE(h.fake.sentOfType("getAuthorizationState").size(), 1);
        h.fake.push(ClientHarness::authState("authorizationStateClosed"), h.client->clientID());
        QTRY_COMPARE(h.closed, 1);
    }

    void logoutWipesEverythingAndStartsAFreshClient()
    {
        ClientHarness h;
        h.start();
        h.deliver(ClientHarness::authState("authorizationStateWaitTdlibParameters"));
        const QString base = h.client->baseDirectory();
        QDir(base).mkpath("history");
        QFile f(base + "/history/42.json");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[]");
        f.close();
        const int oldClient = h.client->clientID();

        h.client->logOut();
        QCOMPARE(h.fake.sentOfType("logOut").size(), 1);
        h.deliver(ClientHarness::authState("authorizationStateLoggingOut"));
        QCOMPARE(h.authorizations, QList<bool>{false});
        h.fake.clearSent();
        h.deliver(ClientHarness::authState("authorizationStateClosed"));
        for (const char *folder : {"database", "files", "history"})
            QVERIFY2(!QDir(base + "/" + folder).exists(), folder);
        QCOMPARE(h.secrets.itemCount(), 0);
        QCOMPARE(h.loggedOut, 1);
        QVERIFY(h.client->isReceiving());
        QVERIFY(h.client->clientID() != oldClient);
        const auto sent = h.fake.sent();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].clientId, h.client->clientID());
        QCOMPARE(sent[0].request["@type"].toString(), QString("getAuthorizationState"));

        // Answers of the old client change nothing any more.
        h.deliver(ClientHarness::authState("authorizationStateWaitPhoneNumber"), oldClient);
        QVERIFY(h.fake.sentOfType("requestQrCodeAuthentication").isEmpty());
        // The new client asks for a QR code again and gets a new key.
        h.deliver(ClientHarness::authState("authorizationStateWaitTdlibParameters"));
        h.deliver(ClientHarness::authState("authorizationStateWaitPhoneNumber"));
        QCOMPARE(h.fake.sentOfType("requestQrCodeAuthentication").size(), 1);
        QCOMPARE(h.secrets.itemCount(), 1);
    }

    void logoutReportsAKeyThatCouldNotBeRemoved()
    {
        ClientHarness h;
        h.start();
        h.secrets.setFailure(SecretResult::Failure);
        h.deliver(ClientHarness::authState("authorizationStateClosed"));
        QVERIFY(h.statuses.join('\n').contains(
            "Telegram signed out, but the local Keychain item could not be removed: "));
        QCOMPARE(h.loggedOut, 1);
    }

    void credentialsFromTheInformationFile_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<bool>("complete");
        QTest::newRow("both") << R"({"TelegramAPIID":"123","TelegramAPIHash":"abc"})" << true;
        QTest::newRow("plus sign") << R"({"TelegramAPIID":"+123","TelegramAPIHash":"abc"})" << true;
        QTest::newRow("letter after digits") << R"({"TelegramAPIID":"123x","TelegramAPIHash":"abc"})" << false;
        QTest::newRow("number not text") << R"({"TelegramAPIID":123,"TelegramAPIHash":"abc"})" << false;
        QTest::newRow("empty hash") << R"({"TelegramAPIID":"123","TelegramAPIHash":""})" << false;
        QTest::newRow("missing hash") << R"({"TelegramAPIID":"123"})" << false;
        QTest::newRow("empty id") << R"({"TelegramAPIID":"","TelegramAPIHash":"abc"})" << false;
        QTest::newRow("not json") << "garbage" << false;
    }
    void credentialsFromTheInformationFile()
    {
        QFETCH(QString, json);
        QFETCH(bool, complete);
        QTemporaryDir dir;
        QFile f(dir.filePath("Info.json"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(json.toUtf8());
        f.close();
        QCOMPARE(TelegramCredentials::fromFile(f.fileName()).isComplete(), complete);
        QVERIFY(!TelegramCredentials::fromFile(dir.filePath("missing.json")).isComplete());
    }
};

TESSALY_TEST_GUILESS_MAIN(TestClientSignIn)
#include "test_client_signin.moc"
