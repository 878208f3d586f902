// Transport and routing of the Telegram client: the receive loop, completions,
// errors and updates, against an in-process fake libtdjson.
#include "support/ClientHarness.h"
#include "support/TestMain.h"

#include <QJsonArray>
#include <QtTest>

namespace {
QJsonObject obj(const char *json)
{
    return QJsonDocument::fromJson(json).object();
}
} // namespace

class TestClientDispatch : public QObject
{
    Q_OBJECT
private slots:
    void startingTwiceCreatesOneClient()
    {
        ClientHarness h;
        h.start();
        h.client->start();
        QTest::qWait(50);
        QCOMPARE(h.fake.createdClients(), 1);
        QCOMPARE(h.fake.sentOfType("getAuthorizationState").size(), 1);
        h.settle();
        QVERIFY(h.statuses.contains("Connecting to Telegram…"));
    }

    void aQuickRestartEndsTheOldLoopAndStartsANewClient()
    {
        ClientHarness h;
        h.start();
        const int first = h.client->clientID();
        // The close is handled and the next start comes while the old loop is
        // still waiting in td_receive, before it looks at its flag again.
        h.client->closeForTermination();
        h.client->handle(ClientHarness::authState("authorizationStateClosed"));
        QVERIFY(!h.client->isReceiving());
        h.client->start();
        QTRY_COMPARE(h.fake.createdClients(), 2);
        QTRY_VERIFY(h.client->clientID() != 0);
        QVERIFY(h.client->clientID() != first);
        QCOMPARE(h.fake.sent().last().clientId, h.client->clientID());
        QCOMPARE(h.fake.sent().last().request["@type"].toString(), QString("getAuthorizationState"));
        // The new session proceeds through the one loop that is left.
        h.deliver(ClientHarness::authState("authorizationStateWaitPhoneNumber"));
        QCOMPARE(h.fake.sentOfType("requestQrCodeAuthentication").size(), 1);
        QVERIFY(h.client->isReceiving());
    }

    void aReplyWithoutATelegramClientFailsAtOnce()
    {
        const QString failure = QStringLiteral("Telegram is not connected.");
        QList<std::optional<QString>> results;
        const auto record = [&results](const std::optional<QString> &e) { results.append(e); };

        // The library cannot be loaded: no client ever exists.
        QTemporaryDir dir;
        TelegramClient::Options options;
        options.baseDirectory = dir.path();
        options.libraryCandidates = {dir.filePath("missing/libtdjson.so")};
        auto unloaded = TelegramClient::create(options, nullptr);
        QStringList statuses;
        unloaded->onStatus = [&statuses](const QString &s) { statuses.append(s); };
        unloaded->sendMessage("before start", "42", std::nullopt, record);
        QCOMPARE(results, QList<std::optional<QString>>{failure});
        unloaded->start();
        QTRY_VERIFY(statuses.join('\n').contains("Could not load TDLib: "));
        unloaded->sendMessage("after the failed load", "42", std::nullopt, record);
        QCOMPARE(results.size(), 2);
        QCOMPARE(results[1], failure);

        // The client has closed: nothing would ever answer.
        ClientHarness h;
        h.start();
        h.client->closeForTermination();
        h.fake.push(ClientHarness::authState("authorizationStateClosed"), h.client->clientID());
        QTRY_COMPARE(h.closed, 1);
        h.client->sendMessage("after close", "42", std::nullopt, record);
        QCOMPARE(results.size(), 3);
        QCOMPARE(results[2], failure);
        QVERIFY(h.fake.sentOfType("sendMessage").isEmpty());
    }

    void aLongTextGoesOutInPartsOneAfterTheOther()
    {
        ClientHarness h;
        h.start();
        QList<std::optional<QString>> results;
        const auto record = [&results](const std::optional<QString> &e) { results.append(e); };
        const auto textOf = [](const QJsonObject &request) {
            return request["input_message_content"].toObject()["text"].toObject()["text"].toString();
        };
        const auto accept = [&h](const QJsonObject &request, int id) {
            h.deliver(QJsonObject{{"@type", "message"}, {"id", id}, {"@extra", request["@extra"]}});
        };

        h.client->sendMessage(QString(4000, 'a') + "\n" + QString(1000, 'b'), "42", QString("77"), record);
        QList<QJsonObject> sent = h.fake.sentOfType("sendMessage");
        QCOMPARE(sent.size(), 1); // the second part waits until TDLib has taken the first
        QCOMPARE(textOf(sent[0]), QString(4000, 'a'));
        QCOMPARE(sent[0]["reply_to"].toObject()["message_id"].toInteger(), 77);
        accept(sent[0], -1);
        sent = h.fake.sentOfType("sendMessage");
        QCOMPARE(sent.size(), 2);
        QCOMPARE(textOf(sent[1]), QString(1000, 'b'));
        QVERIFY(sent[1]["reply_to"].isNull()); // only the first part replies
        QVERIFY(results.isEmpty());
        accept(sent[1], -2);
        QCOMPARE(results, QList<std::optional<QString>>{std::nullopt});

        // A refusal stops the remaining parts and reaches the completion once.
        h.fake.clearSent();
        results.clear();
        h.client->sendMessage(QString(9000, 'c'), "42", std::nullopt, record);
        sent = h.fake.sentOfType("sendMessage");
        QCOMPARE(sent.size(), 1);
        accept(sent[0], -3);
        sent = h.fake.sentOfType("sendMessage");
        QCOMPARE(sent.size(), 2);
        h.deliver(QJsonObject{{"@type", "error"},
                              {"code", 429},
                              {"message", "Too Many Requests: retry after 9"},
                              {"@extra", sent[1]["@extra"]}});
        QCOMPARE(results, QList<std::optional<QString>>{QString("Too Many Requests: retry after 9")});
        QCOMPARE(h.fake.sentOfType("sendMessage").size(), 2);
        QVERIFY(!h.statuses.join('\n').contains("Telegram error"));
    }

    void badInputIsDroppedWithoutAMessage()
    {
        ClientHarness h;
        h.start();
        h.settle();
        const int statuses = h.statuses.size();
        h.fake.pushRaw("not json at all");
        h.fake.pushRaw("[1,2,3]");
        h.fake.pushRaw("\"text\"");
        h.fake.pushRaw("{\"@type\":\"error\",\"message\":\"x\",\"@client_id\":999}");
        h.fake.push(obj(R"({"@type":"updateSomethingNew","x":1})"), h.client->clientID());
        h.fake.push(obj(R"({"@type":"updateChatTitle","chat_id":"oops"})"), h.client->clientID());
        h.fake.push(obj(R"({"@type":"messages","messages":"not an array"})"), h.client->clientID());
        QVERIFY(h.fake.waitUntilDrained());
        h.settle();
        QCOMPARE(h.statuses.size(), statuses);
        QVERIFY(h.botLists.isEmpty());
        QVERIFY(h.messageLists.isEmpty());
    }

    void completionGetsErrorOnceAndNoStatus()
    {
        ClientHarness h;
        h.start();
        QStringList errors;
        int calls = 0;
        h.client->sendMessage("hi", "42", std::nullopt, [&](const std::optional<QString> &e) {
            ++calls;
            errors.append(e.value_or("<none>"));
        });
        const QList<QJsonObject> sent = h.fake.sentOfType("sendMessage");
        QCOMPARE(sent.size(), 1);
        const QString extra = sent[0]["@extra"].toString();
        QVERIFY(extra.startsWith("mac-reply-"));
        QCOMPARE(extra.mid(10), extra.mid(10).toUpper());
        h.deliver(QJsonObject{
            {"@type", "error"}, {"code", 400}, {"message", "CHAT_WRITE_FORBIDDEN"}, {"@extra", extra}});
        QCOMPARE(calls, 1);
        QCOMPARE(errors, QStringList{"CHAT_WRITE_FORBIDDEN"});
        QVERIFY(!h.statuses.join('\n').contains("Telegram error"));
        // A second answer with the same key is ordinary dispatch.
        h.deliver(QJsonObject{{"@type", "error"}, {"code", 400}, {"message", "AGAIN"}, {"@extra", extra}});
        QCOMPARE(calls, 1);
        QVERIFY(h.statuses.contains("Telegram error: AGAIN"));
    }

    void completionWithoutMessageTextAndTwoKeys()
    {
        ClientHarness h;
        h.start();
        QList<std::optional<QString>> first, second;
        h.client->sendMessage("a", "42", std::nullopt,
                              [&](const std::optional<QString> &e) { first.append(e); });
        h.client->sendMessage("b", "42", std::nullopt,
                              [&](const std::optional<QString> &e) { second.append(e); });
        const QList<QJsonObject> sent = h.fake.sentOfType("sendMessage");
        QCOMPARE(sent.size(), 2);
        QVERIFY(sent[0]["@extra"] != sent[1]["@extra"]);
        h.deliver(QJsonObject{{"@type", "message"}, {"id", 7}, {"@extra", sent[1]["@extra"]}});
        h.deliver(QJsonObject{{"@type", "error"}, {"code", 500}, {"@extra", sent[0]["@extra"]}});
        QCOMPARE(second.size(), 1);
        QVERIFY(!second[0].has_value());
        QCOMPARE(first.size(), 1);
        QCOMPARE(first[0].value(), QString("Telegram rejected the message."));
    }

    void unparsableChatCallsCompletionAndSendsNothing()
    {
        ClientHarness h;
        h.start();
        std::optional<QString> error;
        h.client->sendMessage("x", "not-a-chat", std::nullopt,
                              [&](const std::optional<QString> &e) { error = e; });
        QCOMPARE(error.value_or(""), QString("That conversation is not available."));
        QVERIFY(h.fake.sentOfType("sendMessage").isEmpty());
    }

    void errorsAndChatListEnd()
    {
        ClientHarness h;
        h.start();
        h.deliver(QJsonObject{
            {"@type", "error"}, {"code", 404}, {"message", "Not Found"}, {"@extra", "load-archive"}});
        const QList<QJsonObject> getChats = h.fake.sentOfType("getChats");
        QCOMPARE(getChats.size(), 1);
        QCOMPARE(getChats[0]["limit"].toInt(), 10000);
        QCOMPARE(getChats[0]["chat_list"].toObject()["@type"].toString(), QString("chatListArchive"));
        QVERIFY(!h.statuses.join('\n').contains("Telegram error"));

        h.deliver(QJsonObject{{"@type", "error"}, {"code", 404}, {"message", "Not Found"}});
        QVERIFY(h.statuses.contains("Telegram error: Not Found"));
        h.deliver(QJsonObject{{"@type", "error"}});
        QVERIFY(h.statuses.contains("Telegram error: Telegram returned an unknown error."));
        h.deliver(
            QJsonObject{{"@type", "error"}, {"code", 500}, {"message", "Boom"}, {"@extra", "load-main"}});
        QVERIFY(h.statuses.contains("Could not load Telegram conversations: Boom"));
    }

    void expiredLoginTokenRequestsANewCode()
    {
        ClientHarness h;
        h.start();
        h.deliver(ClientHarness::authState("authorizationStateWaitPhoneNumber"));
        QCOMPARE(h.fake.sentOfType("requestQrCodeAuthentication").size(), 1);
        h.deliver(QJsonObject{{"@type", "error"}, {"code", 400}, {"message", "LOGIN_TOKEN_EXPIRED"}});
        QCOMPARE(h.fake.sentOfType("requestQrCodeAuthentication").size(), 2);
        h.deliver(QJsonObject{{"@type", "error"}, {"code", 400}, {"message", "xx QR_CODE_EXPIRED yy"}});
        QCOMPARE(h.fake.sentOfType("requestQrCodeAuthentication").size(), 3);
        QVERIFY(!h.statuses.join('\n').contains("Telegram error"));
    }

    void typingOnlyInTheSelectedChat()
    {
        ClientHarness h;
        h.start();
        h.client->selectBotChat("42");
        h.settle();
        h.typing.clear();
        h.deliver(obj(
            R"({"@type":"updateChatAction","chat_id":42,"action":{"@type":"chatActionRecordingVoiceNote"}})"));
        h.deliver(obj(R"({"@type":"updateChatAction","chat_id":42,"action":{}})"));
        h.deliver(obj(R"({"@type":"updateChatAction","chat_id":43,"action":{"@type":"chatActionTyping"}})"));
        h.deliver(obj(R"({"@type":"updateChatAction","chat_id":42,"action":"typing"})"));
        h.deliver(obj(R"({"@type":"updateChatAction","chat_id":42,"action":{"@type":"chatActionCancel"}})"));
        QCOMPARE(h.typing, (QList<bool>{true, true, false}));
    }

    void selectingABotClosesThePreviousAndAsksHistoryLocalFirst()
    {
        ClientHarness h;
        h.start();
        h.client->selectBotChat("41");
        h.fake.clearSent();
        h.client->selectBotChat("42");
        QStringList order;
        for (const auto &s : h.fake.sent())
            order.append(s.request["@type"].toString());
        QCOMPARE(order, (QStringList{"closeChat", "openChat", "getChatHistory", "getChatHistory"}));
        const QList<QJsonObject> history = h.fake.sentOfType("getChatHistory");
        QCOMPARE(h.fake.sentOfType("closeChat")[0]["chat_id"].toInteger(), 41);
        QCOMPARE(history[0]["only_local"].toBool(), true);
        QCOMPARE(history[1]["only_local"].toBool(), false);
        QCOMPARE(history[1]["limit"].toInt(), 50);
        // An id that does not parse is ignored.
        h.fake.clearSent();
        h.client->selectBotChat("abc");
        QVERIFY(h.fake.sent().isEmpty());
        QCOMPARE(h.client->currentChatID().value(), QString("42"));
    }

    void aSessionWhoseEveryRequestFailsKeepsWorking_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("server error") << 500;
        QTest::newRow("too many requests") << 429;
        QTest::newRow("unauthorized") << 401;
    }
    void aSessionWhoseEveryRequestFailsKeepsWorking()
    {
        QFETCH(int, code);
        ClientHarness h;
        h.start();
        h.deliver(ClientHarness::authState("authorizationStateReady"));
        h.client->selectBotChat("42");
        QList<std::optional<QString>> results;
        h.client->sendMessage("hello", "42", std::nullopt,
                              [&results](const std::optional<QString> &e) { results.append(e); });

        // Every request, and every request sent in answer to a failure, fails.
        qsizetype answered = 0;
        for (int round = 0; round < 5; ++round) {
            const QList<FakeTdJson::Sent> sent = h.fake.sent();
            for (qsizetype i = answered; i < sent.size(); ++i) {
                QJsonObject error{
                    {"@type", "error"}, {"code", code}, {"message", QString("Failure %1").arg(code)}};
                if (sent[i].request.contains("@extra"))
                    error.insert("@extra", sent[i].request["@extra"]);
                h.deliver(error);
            }
            answered = sent.size();
        }
        QVERIFY2(h.fake.sent().size() < 40, "failures must not make requests multiply");
        QCOMPARE(results, (QList<std::optional<QString>>{QString("Failure %1").arg(code)}));
        QVERIFY(h.client->isReceiving());

        // What works again afterwards is taken as usual; a closed client's leftovers are not.
        QJsonObject other{
            {"@type", "messages"},
            {"messages",
             QJsonArray{QJsonObject{{"@type", "message"},
                                    {"id", 8},
                                    {"chat_id", 42},
                                    {"date", 1},
                                    {"content", QJsonObject{{"@type", "messageText"},
                                                            {"text", QJsonObject{{"@type", "formattedText"},
                                                                                 {"text", "stale"}}}}}}}}};
        h.deliver(other, h.client->clientID() + 7);
        QVERIFY(h.messageLists.isEmpty() || h.messageLists.last().isEmpty());
        h.deliver(other);
        QCOMPARE(h.messageLists.last().size(), 1);
    }

    void botListPagingSortingAndLateUsers()
    {
        ClientHarness h;
        h.start();
        h.deliver(ClientHarness::authState("authorizationStateReady"));
        QCOMPARE(h.fake.sentOfType("loadChats").size(), 2);
        for (int i = 0; i < 3; ++i)
            h.deliver(QJsonObject{{"@type", "ok"}, {"@extra", "load-main"}});
        h.deliver(QJsonObject{
            {"@type", "error"}, {"code", 404}, {"message", "Not Found"}, {"@extra", "load-main"}});
        int mainLoads = 0;
        for (const QJsonObject &r : h.fake.sentOfType("loadChats"))
            mainLoads += r["@extra"] == "load-main";
        QCOMPARE(mainLoads, 4);
        QCOMPARE(h.fake.sentOfType("getChats").size(), 1);

        auto chat = [](int id, const char *title, int user) {
            return QJsonObject{{"@type", "chat"},
                               {"id", id},
                               {"title", title},
                               {"unread_count", 2},
                               {"type", QJsonObject{{"@type", "chatTypePrivate"}, {"user_id", user}}}};
        };
        auto bot = [](int id, bool isBot) {
            return QJsonObject{{"@type", "user"},
                               {"id", id},
                               {"type", QJsonObject{{"@type", isBot ? "userTypeBot" : "userTypeRegular"}}}};
        };
        h.deliver(chat(1, "gamma", 11));
        QVERIFY(h.botLists.last().isEmpty()); // its user is not known yet
        QVERIFY(!h.fake.sentOfType("getUser").isEmpty());
        h.deliver(bot(11, true));
        h.deliver(chat(2, "Beta", 12));
        h.deliver(bot(12, true));
        h.deliver(chat(3, "alpha", 13));
        h.deliver(bot(13, true));
        h.deliver(chat(4, "a human", 14));
        h.deliver(bot(14, false));
        h.deliver(QJsonObject{{"@type", "updateNewChat"},
                              {"chat", QJsonObject{{"id", 5},
                                                   {"title", "group"},
                                                   {"type", QJsonObject{{"@type", "chatTypeBasicGroup"}}}}}});
        QStringList titles;
        for (const BotConversation &c : h.botLists.last())
            titles.append(c.title);
        QCOMPARE(titles, (QStringList{"alpha", "Beta", "gamma"}));

        h.deliver(obj(R"({"@type":"updateChatReadInbox","chat_id":3})"));
        QCOMPARE(h.botLists.last()[0].unreadCount, 0);
        h.deliver(obj(R"({"@type":"updateChatUnreadCount","chat_id":3,"unread_count":5})"));
        QCOMPARE(h.botLists.last()[0].unreadCount, 5);
        h.deliver(obj(R"({"@type":"updateChatTitle","chat_id":3,"title":"zeta"})"));
        QCOMPARE(h.botLists.last().last().title, QString("zeta"));
        // A "chats" answer asks only for chats it does not know.
        h.fake.clearSent();
        h.deliver(obj(R"({"@type":"chats","chat_ids":[1,"2",99]})"));
        QCOMPARE(h.fake.sentOfType("getChat").size(), 1);
        QCOMPARE(h.fake.sentOfType("getChat")[0]["chat_id"].toInteger(), 99);
    }
};

TESSALY_TEST_GUILESS_MAIN(TestClientDispatch)
#include "test_client_dispatch.moc"
