// The Telegram simulator walked through its C interface as the application uses
// it: sign-in, the encrypted session, closing, and TDLib's wire rules (client
// ids, "@extra" echo, errors for bad requests).

#include "support/TestMain.h"
#include "tdjson_sim_harness.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using namespace SimTest;

class TestTdjsonSim : public QObject
{
    Q_OBJECT

    TdjsonSimHarness sim;
    QTemporaryDir folder;

private slots:
    void initTestCase() { QVERIFY2(sim.load(), qPrintable(sim.errorString())); }

    void init()
    {
        QVERIFY(folder.isValid());
        sim.resetForTest(folder.path());
    }

    void qrSignInWithWrongThenRightPassword()
    {
        sim.configure({{"password", "hunter2"}, {"password_hint", "the usual"}});
        const int client = sim.createClient();
        sim.send(client, request("getAuthorizationState", {{"@extra", "state"}}));
        const auto first = sim.authState("authorizationStateWaitTdlibParameters");
        QVERIFY(first);
        QCOMPARE((*first)["@client_id"].toInt(), client);
        QCOMPARE(sim.answer("state")->value("@type").toString(),
                 QStringLiteral("authorizationStateWaitTdlibParameters"));

        sim.send(client, TdjsonSimHarness::parameters(folder.path(), "a2V5"));
        QVERIFY(sim.authState("authorizationStateWaitPhoneNumber"));
        QCOMPARE(sim.answer("parameters")->value("@type").toString(), QStringLiteral("ok"));

        sim.send(client, request("requestQrCodeAuthentication",
                                 {{"other_user_ids", QJsonArray()}, {"@extra", "qr"}}));
        const auto waiting = sim.authState("authorizationStateWaitOtherDeviceConfirmation");
        QVERIFY(waiting);
        QVERIFY(
            (*waiting)["authorization_state"].toObject()["link"].toString().startsWith("tg://login?token="));
        QCOMPARE(sim.answer("qr")->value("@type").toString(), QStringLiteral("ok"));
        // "never" means nobody scans until the test says so.
        QVERIFY(!sim.authState("authorizationStateWaitPassword", 300));

        sim.configure({{"command", "scan"}});
        const auto password = sim.authState("authorizationStateWaitPassword");
        QVERIFY(password);
        QCOMPARE((*password)["authorization_state"].toObject()["password_hint"].toString(),
                 QStringLiteral("the usual"));

        sim.send(client,
                 request("checkAuthenticationPassword", {{"password", "wrong"}, {"@extra", "wrong"}}));
        const auto rejected = sim.answer("wrong");
        QCOMPARE(rejected->value("code").toInt(), 400);
        QCOMPARE(rejected->value("message").toString(), QStringLiteral("PASSWORD_HASH_INVALID"));
        sim.send(client,
                 request("checkAuthenticationPassword", {{"password", "hunter2"}, {"@extra", "right"}}));
        QVERIFY(sim.authState("authorizationStateReady"));
        QCOMPARE(sim.answer("right")->value("@type").toString(), QStringLiteral("ok"));
    }

    void requestsOutOfOrderAreRefused_data()
    {
        QTest::addColumn<QString>("stage");
        QTest::addColumn<QJsonObject>("request");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QJsonObject load = request("loadChats", {{"chat_list", QJsonValue::Null}, {"limit", 10}});
        QTest::newRow("chats before parameters")
            << "fresh" << load << 400
            << "Initialization parameters are needed: call setTdlibParameters first";
        QTest::newRow("chats before sign-in") << "parameters" << load << 401 << "Unauthorized";
        QTest::newRow("password before the scan")
            << "parameters" << request("checkAuthenticationPassword", {{"password", "x"}}) << 400
            << "Call to checkAuthenticationPassword unexpected";
        QTest::newRow("second set of parameters") << "parameters" << TdjsonSimHarness::parameters("/tmp", "")
                                                  << 400 << "Unexpected setTdlibParameters";
    }
    void requestsOutOfOrderAreRefused()
    {
        QFETCH(QString, stage);
        QFETCH(QJsonObject, request);
        QFETCH(int, code);
        QFETCH(QString, message);
        const int client = sim.createClient();
        if (stage == "parameters") {
            sim.send(client, TdjsonSimHarness::parameters(folder.path(), ""));
            QVERIFY(sim.authState("authorizationStateWaitPhoneNumber"));
        }
        request.insert("@extra", "probe");
        sim.send(client, request);
        const auto answer = sim.answer("probe");
        QVERIFY(answer);
        QCOMPARE(answer->value("code").toInt(), code);
        QCOMPARE(answer->value("message").toString(), message);
    }

    void parametersAreChecked_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("no api id")
            << "api_id" << QJsonValue(0)
            << "Valid api_id must be provided. Can be obtained at https://my.telegram.org";
        QTest::newRow("empty hash")
            << "api_hash" << QJsonValue("")
            << "Valid api_hash must be provided. Can be obtained at https://my.telegram.org";
        QTest::newRow("empty device") << "device_model" << QJsonValue("") << "Device model must be non-empty";
        QTest::newRow("flag as text")
            << "use_file_database" << QJsonValue("true")
            << "Failed to parse JSON object as TDLib request: Expected Boolean, but receive String";
        QTest::newRow("api id with letters")
            << "api_id" << QJsonValue("12a")
            << "Failed to parse JSON object as TDLib request: Can't parse as an integer string \"12a\"";
    }
    void parametersAreChecked()
    {
        QFETCH(QString, field);
        QFETCH(QJsonValue, value);
        QFETCH(QString, message);
        const int client = sim.createClient();
        QJsonObject parameters = TdjsonSimHarness::parameters(folder.path(), "");
        parameters.insert(field, value);
        sim.send(client, parameters);
        const auto answer = sim.answer("parameters");
        QCOMPARE(answer->value("code").toInt(), 400);
        QCOMPARE(answer->value("message").toString(), message);
        // Still waiting: a corrected request is accepted.
        sim.send(client, TdjsonSimHarness::parameters(folder.path(), ""));
        QVERIFY(sim.authState("authorizationStateWaitPhoneNumber"));
    }

    void databaseKeyAndSessionSurviveARestartUntilLogout()
    {
        int client = sim.signIn(folder.path(), "a2V5QQ==");
        QVERIFY(client);
        sim.send(client, request("close", {{"@extra", "close"}}));
        QCOMPARE(sim.answer("close")->value("@type").toString(), QStringLiteral("ok"));
        QVERIFY(sim.authState("authorizationStateClosing"));
        QVERIFY(sim.authState("authorizationStateClosed"));

        client = sim.createClient();
        sim.send(client, TdjsonSimHarness::parameters(folder.path(), "b3RoZXI="));
        const auto wrong = sim.answer("parameters");
        QCOMPARE(wrong->value("code").toInt(), 401);
        QCOMPARE(wrong->value("message").toString(), QStringLiteral("Wrong database encryption key"));
        // The right key opens the stored session without a new QR code.
        sim.send(client, TdjsonSimHarness::parameters(folder.path(), "a2V5QQ=="));
        QVERIFY(sim.authState("authorizationStateReady"));

        sim.send(client, request("logOut", {{"@extra", "logout"}}));
        QVERIFY(sim.authState("authorizationStateLoggingOut"));
        QCOMPARE(sim.answer("logout")->value("@type").toString(), QStringLiteral("ok"));
        QVERIFY(sim.authState("authorizationStateClosed"));
        // Logout destroyed the database: any key starts a fresh sign-in.
        client = sim.createClient();
        sim.send(client, TdjsonSimHarness::parameters(folder.path(), "b3RoZXI="));
        QVERIFY(sim.authState("authorizationStateWaitPhoneNumber"));
    }

    void expiredQrCodeGivesANewLinkOrAnError()
    {
        sim.configure({{"qr_expiry_seconds", 1}});
        const int client = sim.createClient();
        sim.send(client, TdjsonSimHarness::parameters(folder.path(), ""));
        sim.send(client, request("requestQrCodeAuthentication", {{"other_user_ids", QJsonArray()}}));
        const auto first = sim.authState("authorizationStateWaitOtherDeviceConfirmation");
        const auto second = sim.authState("authorizationStateWaitOtherDeviceConfirmation", 3000);
        QVERIFY(first && second);
        QVERIFY((*first)["authorization_state"].toObject()["link"] !=
                (*second)["authorization_state"].toObject()["link"]);

        sim.configure({{"qr_expiry_mode", "error"},
                       {"qr_expiry_error", "LOGIN_TOKEN_EXPIRED"},
                       {"command", "expire_qr"}});
        QVERIFY(sim.authState("authorizationStateWaitPhoneNumber"));
        const auto error = sim.update("error");
        QVERIFY(error);
        QVERIFY(!error->contains("@extra"));
        QCOMPARE(error->value("message").toString(), QStringLiteral("LOGIN_TOKEN_EXPIRED"));
        sim.send(client, request("requestQrCodeAuthentication", {{"other_user_ids", QJsonArray()}}));
        QVERIFY(sim.authState("authorizationStateWaitOtherDeviceConfirmation"));
    }

    void closedClientAnswersNothingMore()
    {
        const int client = sim.createClient();
        sim.send(client, request("close"));
        QVERIFY(sim.authState("authorizationStateClosed"));
        sim.send(client, request("getAuthorizationState", {{"@extra", "late"}}));
        QVERIFY(!sim.answer("late", 300));
    }

    void answersCarryTheirClientAndExtra()
    {
        const int a = sim.createClient();
        const int b = sim.createClient();
        QVERIFY(a != b);
        sim.send(a, request("getAuthorizationState", {{"@extra", QJsonObject{{"n", 1}}}}));
        sim.send(b, request("getAuthorizationState", {{"@extra", 7}}));
        const auto fromA = sim.waitFor([](const QJsonObject &o) { return o["@extra"].isObject(); });
        const auto fromB = sim.waitFor([](const QJsonObject &o) { return o["@extra"] == 7; });
        QVERIFY(fromA && fromB);
        QCOMPARE((*fromA)["@client_id"].toInt(), a);
        QCOMPARE((*fromA)["@extra"].toObject()["n"].toInt(), 1);
        QCOMPARE((*fromB)["@client_id"].toInt(), b);
    }

    void malformedRequestsAnswerErrors_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("not json") << QByteArray("{garbage") << "Failed to parse request as JSON object";
        QTest::newRow("empty") << QByteArray("") << "Failed to parse request as JSON object";
        QTest::newRow("array") << QByteArray("[1,2]") << "Expected a JSON object";
        QTest::newRow("no type") << QByteArray(R"({"limit":1})") << "Can't find field \"@type\"";
        QTest::newRow("numeric type") << QByteArray(R"({"@type":5})") << "Unknown constructor";
        QTest::newRow("unknown class") << QByteArray(R"({"@type":"fooBar"})") << "Unknown class \"fooBar\"";
        QTest::newRow("invalid utf-8") << QByteArray("{\"@type\":\"\xff\xfe\"}") << "";
        QTest::newRow("deep nesting") << QByteArray(4000, '[') << "";
        QTest::newRow("binary") << QByteArray("\x01\x02\x03", 3) << "Failed to parse request as JSON object";
    }
    void malformedRequestsAnswerErrors()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, message);
        const int client = sim.createClient();
        sim.sendRaw(client, text.constData());
        const auto error = sim.update("error");
        QVERIFY(error);
        QCOMPARE(error->value("code").toInt(), 400);
        QVERIFY2(error->value("message").toString().contains(message),
                 qPrintable(error->value("message").toString()));
        // The client still works afterwards.
        sim.send(client, request("getAuthorizationState", {{"@extra", "alive"}}));
        QVERIFY(sim.answer("alive"));
    }

    void nullRequestAndUnknownClientDoNotCrash()
    {
        const int client = sim.createClient();
        sim.sendRaw(client, nullptr);
        QVERIFY(sim.update("error"));
        sim.send(987654, request("getAuthorizationState", {{"@extra", "nobody"}}));
        QVERIFY(!sim.answer("nobody", 200));
        sim.configure(QJsonObject());
        sim.execute(nullptr);
    }

    void executeAnswersOnlySynchronousRequests()
    {
        const auto ok = sim.execute(R"({"@type":"setLogVerbosityLevel","new_verbosity_level":1,"@extra":3})");
        QCOMPARE(ok["@type"].toString(), QStringLiteral("ok"));
        QCOMPARE(ok["@extra"].toInt(), 3);
        QVERIFY(!ok.contains("@client_id"));
        const auto refused = sim.execute(R"({"@type":"getChats"})");
        QCOMPARE(refused["message"].toString(), QStringLiteral("The method can't be executed synchronously"));
    }

    void olderFlowWaitsForTheEncryptionKey()
    {
        sim.configure({{"wait_encryption_key", true}});
        const int client = sim.createClient();
        sim.send(client, TdjsonSimHarness::parameters(folder.path(), ""));
        QVERIFY(sim.authState("authorizationStateWaitEncryptionKey"));
        sim.send(client,
                 request("setDatabaseEncryptionKey", {{"new_encryption_key", "a2V5"}, {"@extra", "key"}}));
        QVERIFY(sim.authState("authorizationStateWaitPhoneNumber"));
        QCOMPARE(sim.answer("key")->value("@type").toString(), QStringLiteral("ok"));
    }

    void resetForgetsClientsAndSettings()
    {
        sim.configure({{"password", "x"}});
        const int old = sim.createClient();
        sim.send(old, request("getAuthorizationState", {{"@extra", "before"}}));
        QVERIFY(sim.answer("before"));
        sim.reset({{"scan_delay_ms", 0}});
        sim.send(old, request("getAuthorizationState", {{"@extra", "forgotten"}}));
        QVERIFY(!sim.answer("forgotten", 200));
        // The password was reset with everything else: the scan signs in directly.
        QVERIFY(sim.signIn(folder.path()));
    }

    void botListCanBeReplaced()
    {
        const QJsonArray bots{QJsonObject{{"id", 7001}, {"title", "gamma"}, {"username", "gamma_bot"}},
                              QJsonObject{{"id", 7002}, {"title", "alpha"}, {"unread", 3}, {"demo", "media"}},
                              QJsonObject{{"id", -5}, {"title", "ignored: not a user id"}}};
        sim.configure({{"bots", bots}, {"reply_delay_ms", 10}});
        const int client = sim.signIn(folder.path());
        sim.send(
            client,
            request("getChats", {{"chat_list", request("chatListMain")}, {"limit", 100}, {"@extra", "ids"}}));
        const QJsonArray ids = sim.answer("ids")->value("chat_ids").toArray();
        QVERIFY(ids.contains(7001) && ids.contains(7002));
        QVERIFY(!ids.contains(kShowcaseBot) && !ids.contains(-5));
        sim.send(client, request("getChat", {{"chat_id", 7002}, {"@extra", "alpha"}}));
        const auto alpha = sim.answer("alpha");
        QCOMPARE(alpha->value("title").toString(), QStringLiteral("alpha"));
        QCOMPARE(alpha->value("unread_count").toInt(), 3);
        QVERIFY(sim.historyOf(client, 7001).isEmpty());
        sim.send(client, textMessage(7001, "hi", "hi"));
        const auto reply = sim.update("updateNewMessage", [](const QJsonObject &o) {
            return !o["message"].toObject()["is_outgoing"].toBool();
        });
        QVERIFY(reply);
        QCOMPARE((*reply)["message"].toObject()["chat_id"].toInteger(), qint64(7001));
    }
};

TESSALY_TEST_GUILESS_MAIN(TestTdjsonSim)
#include "test_tdjson_sim.moc"
