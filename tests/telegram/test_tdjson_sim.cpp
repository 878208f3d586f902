// The Telegram simulator walked through its C interface, as the application
// uses it: sign-in, chat lists, history, sending, deletion, buttons, downloads
// and the TDLib wire rules (client ids, "@extra" echo, errors for bad requests).

#include "tdjson_sim_harness.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr qint64 kShowcaseBot = 5000000101;
constexpr qint64 kMediaBot = 5000000102;
constexpr qint64 kServiceBot = 5000000103;

QJsonObject request(const char *type, QJsonObject fields = {})
{
    fields.insert("@type", QLatin1String(type));
    return fields;
}

QJsonObject textMessage(qint64 chat, const QString &text, const QString &extra)
{
    return request(
        "sendMessage",
        {{"chat_id", chat},
         {"topic_id", QJsonValue::Null},
         {"reply_to", QJsonValue::Null},
         {"options", QJsonValue::Null},
         {"reply_markup", QJsonValue::Null},
         {"input_message_content",
          request("inputMessageText",
                  {{"text", request("formattedText", {{"text", text}, {"entities", QJsonArray()}})},
                   {"link_preview_options", QJsonValue::Null},
                   {"clear_draft", true}})},
         {"@extra", extra}});
}

QJsonObject history(qint64 chat, bool onlyLocal, const QString &extra, qint64 from = 0, qint64 offset = 0,
                    qint64 limit = 50)
{
    return request("getChatHistory", {{"chat_id", chat},
                                      {"from_message_id", from},
                                      {"offset", offset},
                                      {"limit", limit},
                                      {"only_local", onlyLocal},
                                      {"@extra", extra}});
}

QString contentType(const QJsonObject &message)
{
    return message["content"].toObject()["@type"].toString();
}
QString messageText(const QJsonObject &message)
{
    return message["content"].toObject()["text"].toObject()["text"].toString();
}

} // namespace

class TestTdjsonSim : public QObject
{
    Q_OBJECT

    TdjsonSimHarness sim;
    QTemporaryDir folder;

    QList<QJsonObject> historyOf(int client, qint64 chat)
    {
        sim.send(client, history(chat, false, "history"));
        const auto answer = sim.answer("history");
        QList<QJsonObject> messages;
        for (const QJsonValue &m : answer.value_or(QJsonObject())["messages"].toArray())
            messages.append(m.toObject());
        return messages;
    }

private slots:
    void initTestCase() { QVERIFY2(sim.load(), qPrintable(sim.errorString())); }

    void init()
    {
        sim.reset({{"scan_delay_ms", "never"},
                   {"send_delay_ms", 20},
                   {"reply_delay_ms", 30},
                   {"download_step_ms", 10},
                   {"close_delay_ms", 10}});
        QVERIFY(folder.isValid());
        QDir(folder.path()).removeRecursively();
        QDir().mkpath(folder.path());
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

    void chatListsArePagedThenNotFound()
    {
        sim.configure({{"chat_pages", 3}});
        const int client = sim.signIn(folder.path());
        QVERIFY(client);
        const QJsonObject load = request(
            "loadChats", {{"chat_list", request("chatListMain")}, {"limit", 200}, {"@extra", "load-main"}});
        for (int page = 0; page < 3; ++page) {
            sim.send(client, load);
            QCOMPARE(sim.answer("load-main")->value("@type").toString(), QStringLiteral("ok"));
        }
        sim.send(client, load);
        const auto end = sim.answer("load-main");
        QCOMPARE(end->value("code").toInt(), 404);
        QCOMPARE(end->value("message").toString(), QStringLiteral("Not Found"));

        // Every chat of the list was announced, each after its user.
        QSet<qint64> announced;
        QSet<qint64> users;
        for (const QJsonObject &o : sim.drain(100)) {
            if (o["@type"] == "updateUser")
                users.insert(o["user"].toObject()["id"].toInteger());
            if (o["@type"] == "updateNewChat") {
                const QJsonObject chat = o["chat"].toObject();
                const qint64 user = chat["type"].toObject()["user_id"].toInteger();
                QVERIFY(user == 0 || users.contains(user));
                announced.insert(chat["id"].toInteger());
            }
        }
        sim.send(client,
                 request("getChats",
                         {{"chat_list", request("chatListMain")}, {"limit", 10000}, {"@extra", "ids"}}));
        const QJsonArray ids = sim.answer("ids")->value("chat_ids").toArray();
        QCOMPARE(ids.size(), announced.size());
        for (const QJsonValue &id : ids)
            QVERIFY(announced.contains(id.toInteger()));
        QVERIFY(announced.contains(kShowcaseBot) && announced.contains(kMediaBot));
        QVERIFY(!announced.contains(kServiceBot)); // archived

        sim.send(client,
                 request("getChats",
                         {{"chat_list", request("chatListArchive")}, {"limit", 10}, {"@extra", "archive"}}));
        QVERIFY(sim.answer("archive")->value("chat_ids").toArray().contains(kServiceBot));
    }

    void usersTellBotsFromPeople_data()
    {
        QTest::addColumn<qint64>("chat");
        QTest::addColumn<QString>("chatType");
        QTest::addColumn<QString>("userType");
        QTest::newRow("bot") << kShowcaseBot << "chatTypePrivate"
                             << "userTypeBot";
        QTest::newRow("person") << qint64(200000101) << "chatTypePrivate"
                                << "userTypeRegular";
        QTest::newRow("group") << qint64(-400000101) << "chatTypeBasicGroup"
                               << "";
        QTest::newRow("channel") << qint64(-1001000000101) << "chatTypeSupergroup"
                                 << "";
    }
    void usersTellBotsFromPeople()
    {
        QFETCH(qint64, chat);
        QFETCH(QString, chatType);
        QFETCH(QString, userType);
        const int client = sim.signIn(folder.path());
        sim.send(client, request("getChat", {{"chat_id", chat}, {"@extra", "chat"}}));
        const QJsonObject type = sim.answer("chat")->value("type").toObject();
        QCOMPARE(type["@type"].toString(), chatType);
        if (userType.isEmpty())
            return;
        sim.send(client, request("getUser", {{"user_id", type["user_id"]}, {"@extra", "user"}}));
        QCOMPARE(sim.answer("user")->value("type").toObject()["@type"].toString(), userType);
        sim.send(client, request("getUser", {{"user_id", 42}, {"@extra", "missing"}}));
        QCOMPARE(sim.answer("missing")->value("code").toInt(), 404);
    }

    void historyHonoursOnlyLocalAndPaging()
    {
        const int client = sim.signIn(folder.path());
        sim.send(client, history(kShowcaseBot, true, "local"));
        QCOMPARE(sim.answer("local")->value("messages").toArray().size(), 1);
        const QList<QJsonObject> all = historyOf(client, kShowcaseBot);
        QVERIFY(all.size() > 10);
        for (qsizetype i = 1; i < all.size(); ++i)
            QVERIFY(all[i - 1]["id"].toInteger() > all[i]["id"].toInteger()); // newest first
        sim.send(client, history(kShowcaseBot, true, "local-again"));
        QCOMPARE(sim.answer("local-again")->value("messages").toArray().size(), all.size());

        const qint64 from = all[3]["id"].toInteger();
        sim.send(client, history(kShowcaseBot, false, "page", from, -2, 5));
        const QJsonArray page = sim.answer("page")->value("messages").toArray();
        QCOMPARE(page.size(), 5);
        QCOMPARE(page[0].toObject()["id"].toInteger(), all[1]["id"].toInteger());
        sim.send(client, history(kShowcaseBot, false, "bad-offset", 0, -50, 50));
        QCOMPARE(sim.answer("bad-offset")->value("code").toInt(), 400);
        sim.send(client, history(123, false, "no-chat"));
        QCOMPARE(sim.answer("no-chat")->value("message").toString(), QStringLiteral("Chat not found"));
    }

    void sentTextGoesPendingThenSucceedsAndTheBotAnswers()
    {
        const int client = sim.signIn(folder.path());
        sim.send(client, textMessage(kShowcaseBot, "ping **not markup**", "send"));
        const auto pending = sim.update("updateNewMessage");
        QVERIFY(pending);
        const QJsonObject message = (*pending)["message"].toObject();
        QCOMPARE(message["sending_state"].toObject()["@type"].toString(),
                 QStringLiteral("messageSendingStatePending"));
        QVERIFY(message["is_outgoing"].toBool());
        const auto answered = sim.answer("send");
        QCOMPARE(answered->value("id").toInteger(), message["id"].toInteger());

        const auto succeeded = sim.update("updateMessageSendSucceeded");
        QVERIFY(succeeded);
        const QJsonObject sent = (*succeeded)["message"].toObject();
        QCOMPARE((*succeeded)["old_message_id"].toInteger(), message["id"].toInteger());
        QVERIFY(sent["id"].toInteger() != message["id"].toInteger());
        QVERIFY(!sent.contains("sending_state"));
        QCOMPARE(messageText(sent), QStringLiteral("ping **not markup**"));

        const auto typing = sim.update("updateChatAction");
        QCOMPARE((*typing)["action"].toObject()["@type"].toString(), QStringLiteral("chatActionTyping"));
        const auto reply = sim.update("updateNewMessage");
        QVERIFY(reply);
        QVERIFY(!(*reply)["message"].toObject()["is_outgoing"].toBool());
        QVERIFY(messageText((*reply)["message"].toObject()).contains("ping **not markup**"));
        const auto unread = sim.update("updateChatReadInbox");
        QVERIFY((*unread)["unread_count"].toInt() >= 1);
        QCOMPARE(sim.update("updateChatAction")->value("action").toObject()["@type"].toString(),
                 QStringLiteral("chatActionCancel"));

        sim.send(client,
                 request("viewMessages", {{"chat_id", kShowcaseBot},
                                          {"message_ids", QJsonArray{(*reply)["message"].toObject()["id"]}},
                                          {"source", QJsonValue::Null},
                                          {"force_read", true}}));
        QCOMPARE(sim.update("updateChatReadInbox")->value("unread_count").toInt(), 0);
    }

    void failedSendReportsTheError()
    {
        sim.configure({{"send_failure", QJsonObject{{"code", 403}, {"message", "CHAT_WRITE_FORBIDDEN"}}}});
        const int client = sim.signIn(folder.path());
        sim.send(client, textMessage(kMediaBot, "hello", "send"));
        const qint64 temporary = sim.answer("send")->value("id").toInteger();
        const auto failed = sim.update("updateMessageSendFailed");
        QVERIFY(failed);
        QCOMPARE((*failed)["old_message_id"].toInteger(), temporary);
        QCOMPARE((*failed)["error"].toObject()["message"].toString(), QStringLiteral("CHAT_WRITE_FORBIDDEN"));
        QCOMPARE((*failed)["message"].toObject()["sending_state"].toObject()["@type"].toString(),
                 QStringLiteral("messageSendingStateFailed"));
        QVERIFY(!sim.update("updateChatAction", {}, 300)); // the bot never saw it
    }

    void deletionReportsOnlyExistingMessages()
    {
        const int client = sim.signIn(folder.path());
        const qint64 victim = historyOf(client, kShowcaseBot).first()["id"].toInteger();
        sim.send(client, request("deleteMessages", {{"chat_id", kShowcaseBot},
                                                    {"message_ids", QJsonArray{victim, 7}},
                                                    {"revoke", true},
                                                    {"@extra", "delete"}}));
        QCOMPARE(sim.answer("delete")->value("@type").toString(), QStringLiteral("ok"));
        const auto deleted = sim.update("updateDeleteMessages");
        QCOMPARE((*deleted)["message_ids"].toArray(), QJsonArray{victim});
        for (const QJsonObject &m : historyOf(client, kShowcaseBot))
            QVERIFY(m["id"].toInteger() != victim);
    }

    void callbackButtonsEditAnswerAndReply()
    {
        const int client = sim.signIn(folder.path());
        QJsonObject keyboard;
        for (const QJsonObject &m : historyOf(client, kShowcaseBot)) {
            if (m.contains("reply_markup") && keyboard.isEmpty())
                keyboard = m;
        }
        QVERIFY(!keyboard.isEmpty());
        const qint64 id = keyboard["id"].toInteger();
        auto press = [&](const QString &payload, const QString &extra) {
            sim.send(client, request("getCallbackQueryAnswer",
                                     {{"chat_id", kShowcaseBot},
                                      {"message_id", id},
                                      {"payload", request("callbackQueryPayloadData",
                                                          {{"data", QString(payload.toUtf8().toBase64())}})},
                                      {"@extra", extra}}));
            return sim.answer(extra);
        };
        QCOMPARE(press("like", "like")->value("@type").toString(), QStringLiteral("callbackQueryAnswer"));
        const auto edited = sim.update("updateMessageEdited");
        QCOMPARE((*edited)["message_id"].toInteger(), id);
        const QJsonArray rows = (*edited)["reply_markup"].toObject()["rows"].toArray();
        QCOMPARE(rows[0].toArray()[0].toObject()["text"].toString(), QStringLiteral("👍 Like (1)"));

        press("refresh", "refresh");
        const auto content = sim.update("updateMessageContent");
        QVERIFY(
            (*content)["new_content"].toObject()["text"].toObject()["text"].toString().contains("refreshed"));

        press("joke", "joke");
        const auto joke = sim.update("updateNewMessage");
        QCOMPARE((*joke)["message"].toObject()["reply_to"].toObject()["message_id"].toInteger(), id);

        QVERIFY(press("help", "help")->value("show_alert").toBool());
        QCOMPARE(press("not-a-button", "bogus")->value("code").toInt(), 400);
    }

    void downloadReportsProgressAndCopiesTheFile()
    {
        const int client = sim.signIn(folder.path());
        QJsonObject file;
        for (const QJsonObject &m : historyOf(client, kMediaBot)) {
            if (contentType(m) == "messagePhoto")
                file = m["content"]
                           .toObject()["photo"]
                           .toObject()["sizes"]
                           .toArray()
                           .last()
                           .toObject()["photo"]
                           .toObject();
        }
        QVERIFY(!file["local"].toObject()["is_downloading_completed"].toBool());
        const int fileId = file["id"].toInt();
        sim.send(client, request("downloadFile", {{"file_id", fileId}, {"priority", 0}, {"@extra", "bad"}}));
        QCOMPARE(sim.answer("bad")->value("code").toInt(), 400);
        sim.send(client, request("downloadFile", {{"file_id", fileId},
                                                  {"priority", 16},
                                                  {"offset", 0},
                                                  {"limit", 0},
                                                  {"synchronous", false},
                                                  {"@extra", "download"}}));
        QCOMPARE(sim.answer("download")->value("local").toObject()["is_downloading_active"].toBool(), true);
        const auto done = sim.update("updateFile", [](const QJsonObject &o) {
            return o["file"].toObject()["local"].toObject()["is_downloading_completed"].toBool();
        });
        QVERIFY(done);
        const QString path = (*done)["file"].toObject()["local"].toObject()["path"].toString();
        QVERIFY(path.startsWith(QDir(folder.path()).filePath("files")));
        QFile copy(path);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QVERIFY(copy.read(8).startsWith("\x89PNG"));
        // Later history answers carry the local path.
        bool seen = false;
        for (const QJsonObject &m : historyOf(client, kMediaBot))
            seen = seen || QJsonDocument(m).toJson().contains(path.toUtf8());
        QVERIFY(seen);
    }

    void injectedMessagesArriveFromEitherSide()
    {
        const int client = sim.signIn(folder.path());
        sim.configure(
            {{"command", "inject_outgoing"}, {"chat_id", kShowcaseBot}, {"text", "/mac lock the screen"}});
        const auto outgoing = sim.update("updateNewMessage");
        QVERIFY(outgoing);
        const QJsonObject message = (*outgoing)["message"].toObject();
        QVERIFY(message["is_outgoing"].toBool());
        QVERIFY(!message.contains("sending_state"));
        QCOMPARE(messageText(message), QStringLiteral("/mac lock the screen"));
        QVERIFY(!sim.update("updateChatAction", {}, 300)); // "/mac" belongs to the Mac, not the bot

        sim.configure({{"command", "inject_message"},
                       {"chat_id", kMediaBot},
                       {"text", "**Done** see [docs](https://x.org)"}});
        const auto incoming = sim.update("updateNewMessage");
        const QJsonObject text = (*incoming)["message"].toObject()["content"].toObject()["text"].toObject();
        QCOMPARE(text["text"].toString(), QStringLiteral("Done see docs"));
        QCOMPARE(text["entities"].toArray().size(), 2);
        QVERIFY(sim.update("updateChatReadInbox"));
        Q_UNUSED(client);
    }

    void demoBotsShowEveryKindOfMessage()
    {
        const int client = sim.signIn(folder.path());
        QSet<QString> contents;
        QSet<QString> entities;
        QSet<QString> languages;
        bool keyboard = false;
        bool reply = false;
        for (qint64 bot : {kShowcaseBot, kMediaBot, kServiceBot}) {
            for (const QJsonObject &m : historyOf(client, bot)) {
                contents.insert(contentType(m));
                keyboard = keyboard || m.contains("reply_markup");
                reply = reply || m.contains("reply_to");
                for (const QJsonValue &e : m["content"].toObject()["text"].toObject()["entities"].toArray()) {
                    const QJsonObject type = e.toObject()["type"].toObject();
                    entities.insert(type["@type"].toString());
                    languages.insert(type["language"].toString());
                }
            }
        }
        for (const char *type : {"messageText",          "messagePhoto",
                                 "messageDocument",      "messageAudio",
                                 "messageVoiceNote",     "messageVideo",
                                 "messageVideoNote",     "messageAnimation",
                                 "messageSticker",       "messageLocation",
                                 "messageVenue",         "messageContact",
                                 "messagePoll",          "messageDice",
                                 "messageAnimatedEmoji", "messageGift",
                                 "messageUpgradedGift",  "messageGiftedPremium",
                                 "messageGiftedStars",   "messageGiveawayWinners",
                                 "messageChecklist",     "messageRichMessage",
                                 "messagePaidMedia",     "messageStory",
                                 "messagePinMessage",    "messageCustomServiceAction",
                                 "messageUnsupported"})
            QVERIFY2(contents.contains(type), type);
        for (const char *type :
             {"textEntityTypeBold", "textEntityTypeItalic", "textEntityTypeCode", "textEntityTypePre",
              "textEntityTypePreCode", "textEntityTypeTextUrl", "textEntityTypeUrl"})
            QVERIFY2(entities.contains(type), type);
        QVERIFY(languages.contains("python") && languages.contains("cpp") && languages.contains("mermaid"));
        QVERIFY(keyboard && reply);
    }
};

QTEST_GUILESS_MAIN(TestTdjsonSim)
#include "test_tdjson_sim.moc"
