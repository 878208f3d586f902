// Transport and routing of the Telegram client: the receive loop, completions,
// errors and updates, against an in-process fake libtdjson.
#include "support/ClientHarness.h"

#include <QJsonArray>
#include <QtTest>

namespace {
QJsonObject obj(const char *json) { return QJsonDocument::fromJson(json).object(); }
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
        h.deliver(QJsonObject{{"@type", "error"}, {"code", 400}, {"message", "CHAT_WRITE_FORBIDDEN"}, {"@extra", extra}});
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
        h.client->sendMessage("a", "42", std::nullopt, [&](const std::optional<QString> &e) { first.append(e); });
        h.client->sendMessage("b", "42", std::nullopt, [&](const std::optional<QString> &e) { second.append(e); });
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
        h.client->sendMessage("x", "not-a-chat", std::nullopt, [&](const std::optional<QString> &e) { error = e; });
        QCOMPARE(error.value_or(""), QString("That conversation is not available."));
        QVERIFY(h.fake.sentOfType("sendMessage").isEmpty());
    }

    void errorsAndChatListEnd()
    {
        ClientHarness h;
        h.start();
        h.deliver(QJsonObject{{"@type", "error"}, {"code", 404}, {"message", "Not Found"}, {"@extra", "load-archive"}});
        const QList<QJsonObject> getChats = h.fake.sentOfType("getChats");
        QCOMPARE(getChats.size(), 1);
        QCOMPARE(getChats[0]["limit"].toInt(), 10000);
        QCOMPARE(getChats[0]["chat_list"].toObject()["@type"].toString(), QString("chatListArchive"));
        QVERIFY(!h.statuses.join('\n').contains("Telegram error"));

        h.deliver(QJsonObject{{"@type", "error"}, {"code", 404}, {"message", "Not Found"}});
        QVERIFY(h.statuses.contains("Telegram error: Not Found"));
        h.deliver(QJsonObject{{"@type", "error"}});
        QVERIFY(h.statuses.contains("Telegram error: Telegram returned an unknown error."));
        h.deliver(QJsonObject{{"@type", "error"}, {"code", 500}, {"message", "Boom"}, {"@extra", "load-main"}});
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
        h.deliver(obj(R"({"@type":"updateChatAction","chat_id":42,"action":{"@type":"chatActionRecordingVoiceNote"}})"));
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

    void botListPagingSortingAndLateUsers()
    {
        ClientHarness h;
        h.start();
        h.deliver(ClientHarness::authState("authorizationStateReady"));
        QCOMPARE(h.fake.sentOfType("loadChats").size(), 2);
        for (int i = 0; i < 3; ++i)
            h.deliver(QJsonObject{{"@type", "ok"}, {"@extra", "load-main"}});
        h.deliver(QJsonObject{{"@type", "error"}, {"code", 404}, {"message", "Not Found"}, {"@extra", "load-main"}});
        int mainLoads = 0;
        for (const QJsonObject &r : h.fake.sentOfType("loadChats"))
            mainLoads += r["@extra"] == "load-main";
        QCOMPARE(mainLoads, 4);
        QCOMPARE(h.fake.sentOfType("getChats").size(), 1);

        auto chat = [](int id, const char *title, int user) {
            return QJsonObject{{"@type", "chat"}, {"id", id}, {"title", title}, {"unread_count", 2},
                               {"type", QJsonObject{{"@type", "chatTypePrivate"}, {"user_id", user}}}};
        };
        auto bot = [](int id, bool isBot) {
            return QJsonObject{{"@type", "user"}, {"id", id},
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
                              {"chat", QJsonObject{{"id", 5}, {"title", "group"},
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

QTEST_GUILESS_MAIN(TestClientDispatch)
#include "test_client_dispatch.moc"
