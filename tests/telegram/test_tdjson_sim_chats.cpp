// The Telegram simulator once signed in: chat lists, users, history, sending,
// deletion, inline buttons, downloads, scripted messages and the demo bots.

#include "support/TestMain.h"
#include "tdjson_sim_harness.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using namespace SimTest;

class TestTdjsonSimChats : public QObject
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
        const QList<QJsonObject> all = sim.historyOf(client, kShowcaseBot);
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

    // As TDLib does for a user account: the text is taken, the server refuses
    // it, and the failure arrives later. The limit counts UTF-16 code units.
    void aTextOverTheLimitIsTakenThenRefused()
    {
        const int client = sim.signIn(folder.path());
        const QString emoji = QString::fromUtf8("😀");
        sim.send(client, textMessage(kMediaBot, QString(4094, u'x') + emoji, "fits"));
        QVERIFY(!sim.answer("fits")->contains("code"));
        QVERIFY(sim.update("updateMessageSendSucceeded"));

        sim.send(client, textMessage(kMediaBot, QString(4095, u'x') + emoji, "too-long"));
        const auto taken = sim.answer("too-long");
        QCOMPARE(taken->value("@type").toString(), QStringLiteral("message"));
        const auto failed = sim.update("updateMessageSendFailed");
        QVERIFY(failed);
        QCOMPARE((*failed)["old_message_id"].toInteger(), taken->value("id").toInteger());
        const QJsonObject error = (*failed)["error"].toObject();
        QCOMPARE(error["code"].toInt(), 400);
        QCOMPARE(error["message"].toString(), QStringLiteral("Message is too long"));
        const QJsonObject state = (*failed)["message"].toObject()["sending_state"].toObject();
        QCOMPARE(state["error"].toObject()["message"].toString(), QStringLiteral("Message is too long"));
    }

    void deletionReportsOnlyExistingMessages()
    {
        const int client = sim.signIn(folder.path());
        const qint64 victim = sim.historyOf(client, kShowcaseBot).first()["id"].toInteger();
        sim.send(client, request("deleteMessages", {{"chat_id", kShowcaseBot},
                                                    {"message_ids", QJsonArray{victim, 7}},
                                                    {"revoke", true},
                                                    {"@extra", "delete"}}));
        QCOMPARE(sim.answer("delete")->value("@type").toString(), QStringLiteral("ok"));
        const auto deleted = sim.update("updateDeleteMessages");
        QCOMPARE((*deleted)["message_ids"].toArray(), QJsonArray{victim});
        for (const QJsonObject &m : sim.historyOf(client, kShowcaseBot))
            QVERIFY(m["id"].toInteger() != victim);
    }

    void callbackButtonsEditAnswerAndReply()
    {
        const int client = sim.signIn(folder.path());
        QJsonObject keyboard;
        for (const QJsonObject &m : sim.historyOf(client, kShowcaseBot)) {
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
        for (const QJsonObject &m : sim.historyOf(client, kMediaBot)) {
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
        for (const QJsonObject &m : sim.historyOf(client, kMediaBot))
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
            for (const QJsonObject &m : sim.historyOf(client, bot)) {
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

    void filesAreSentInTheirWrappers_data()
    {
        QTest::addColumn<QJsonObject>("content");
        QTest::addColumn<QString>("expected");
        const QString path = QStringLiteral("@FILE@");
        const QJsonObject local{{"@type", "inputFileLocal"}, {"path", path}};
        const QJsonObject caption =
            request("formattedText", {{"text", "caption"}, {"entities", QJsonArray()}});
        QTest::newRow("photo")
            << request("inputMessagePhoto",
                       {{"photo", request("inputPhoto", {{"photo", local}, {"width", 4}, {"height", 3}})},
                        {"caption", caption}})
            << "messagePhoto";
        QTest::newRow("document") << request("inputMessageDocument",
                                             {{"document", request("inputDocument", {{"document", local}})},
                                              {"caption", caption}})
                                  << "messageDocument";
        QTest::newRow("voice note")
            << request("inputMessageVoiceNote",
                       {{"voice_note", request("inputVoiceNote",
                                               {{"voice_note", local}, {"duration", 2}, {"waveform", ""}})},
                        {"caption", caption}})
            << "messageVoiceNote";
        QTest::newRow("file not on disk")
            << request("inputMessageDocument",
                       {{"document", request("inputDocument",
                                             {{"document", QJsonObject{{"@type", "inputFileLocal"},
                                                                       {"path", "/nonexistent/x.pdf"}}}})},
                        {"caption", caption}})
            << "failed";
        QTest::newRow("voice note without its wrapper")
            << request("inputMessageVoiceNote",
                       {{"voice_note", local}, {"duration", 2}, {"caption", caption}})
            << "";
        QTest::newRow("empty text")
            << request("inputMessageText",
                       {{"text", request("formattedText", {{"text", "  "}, {"entities", QJsonArray()}})}})
            << "";
        QTest::newRow("no content") << QJsonObject() << "";
    }
    void filesAreSentInTheirWrappers()
    {
        QFETCH(QJsonObject, content);
        QFETCH(QString, expected);
        const QString file = QDir(folder.path()).filePath("attachment.ogg");
        QFile attachment(file);
        QVERIFY(attachment.open(QIODevice::WriteOnly) && attachment.write("OggS") == 4);
        attachment.close();
        content = QJsonDocument::fromJson(QJsonDocument(content).toJson().replace("@FILE@", file.toUtf8()))
                      .object();
        const int client = sim.signIn(folder.path());
        QJsonObject send = textMessage(kMediaBot, "unused", "send");
        send.insert("input_message_content",
                    content.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(content));
        sim.send(client, send);
        const auto answer = sim.answer("send");
        QVERIFY(answer);
        if (expected.isEmpty()) {
            QCOMPARE(answer->value("code").toInt(), 400);
            return;
        }
        if (expected == "failed") {
            QCOMPARE(sim.update("updateMessageSendFailed")->value("error").toObject()["message"].toString(),
                     QStringLiteral("File not found"));
            return;
        }
        QCOMPARE(contentType(*answer), expected);
        QCOMPARE(answer->value("content").toObject()["caption"].toObject()["text"].toString(),
                 QStringLiteral("caption"));
        QVERIFY(sim.update("updateMessageSendSucceeded"));
        // The upload reported its progress before the message was confirmed
        // (no wait: only updates that came before the confirmation count).
        const auto remote = [](const QJsonObject &o) { return o["file"].toObject()["remote"].toObject(); };
        QVERIFY(sim.update(
            "updateFile",
            [&](const QJsonObject &o) {
                return remote(o)["is_uploading_active"].toBool() && remote(o)["uploaded_size"].toInteger() > 0;
            },
            0));
        QVERIFY(sim.update(
            "updateFile",
            [&](const QJsonObject &o) {
                return !remote(o)["is_uploading_active"].toBool() && remote(o)["is_uploading_completed"].toBool();
            },
            0));
    }

    void scriptedMarkupCountsUtf16Units_data()
    {
        QTest::addColumn<QString>("markup");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("entityType");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("length");
        QTest::newRow("emoji before a link") << "😀 [docs](https://a.example)"
                                             << "😀 docs"
                                             << "textEntityTypeTextUrl" << 3 << 4;
        QTest::newRow("bare url without the full stop") << "see https://a.example/x."
                                                        << "see https://a.example/x."
                                                        << "textEntityTypeUrl" << 4 << 19;
        QTest::newRow("fenced code with language") << "run:\n```bash\nls -l\n```"
                                                   << "run:\nls -l"
                                                   << "textEntityTypePreCode" << 5 << 5;
        QTest::newRow("bold around a link") << "**go [here](https://a.example)**"
                                            << "go here"
                                            << "textEntityTypeBold" << 0 << 7;
        QTest::newRow("mention") << "ask @tessaly_bot"
                                 << "ask @tessaly_bot"
                                 << "textEntityTypeMention" << 4 << 12;
        QTest::newRow("unclosed markers stay text") << "2 ** 3 and `x"
                                                    << "2 ** 3 and `x"
                                                    << "" << 0 << 0;
    }
    void scriptedMarkupCountsUtf16Units()
    {
        QFETCH(QString, markup);
        QFETCH(QString, text);
        QFETCH(QString, entityType);
        QFETCH(int, offset);
        QFETCH(int, length);
        QVERIFY(sim.signIn(folder.path()));
        sim.configure({{"command", "inject_message"}, {"chat_id", kMediaBot}, {"text", markup}});
        const QJsonObject formatted = sim.update("updateNewMessage")
                                          ->value("message")
                                          .toObject()["content"]
                                          .toObject()["text"]
                                          .toObject();
        QCOMPARE(formatted["text"].toString(), text);
        const QJsonArray entities = formatted["entities"].toArray();
        if (entityType.isEmpty()) {
            QVERIFY(entities.isEmpty());
            return;
        }
        QVERIFY(!entities.isEmpty());
        const QJsonObject first = entities.first().toObject();
        QCOMPARE(first["type"].toObject()["@type"].toString(), entityType);
        QCOMPARE(first["offset"].toInt(), offset);
        QCOMPARE(first["length"].toInt(), length);
    }

    void repliesPointAtExistingMessagesOnly()
    {
        const int client = sim.signIn(folder.path());
        const qint64 target = sim.historyOf(client, kMediaBot).first()["id"].toInteger();
        auto sendReply = [&](qint64 to, const QString &extra) {
            QJsonObject send = textMessage(kMediaBot, "answer", extra);
            send.insert("reply_to", request("inputMessageReplyToMessage", {{"message_id", to},
                                                                           {"quote", QJsonValue::Null},
                                                                           {"checklist_task_id", 0},
                                                                           {"poll_option_id", ""}}));
            sim.send(client, send);
            return sim.answer(extra).value_or(QJsonObject());
        };
        const QJsonObject reply = sendReply(target, "real")["reply_to"].toObject();
        QCOMPARE(reply["@type"].toString(), QStringLiteral("messageReplyToMessage"));
        QCOMPARE(reply["message_id"].toInteger(), target);
        QVERIFY(!sendReply(999, "gone").contains("reply_to"));
    }

    void synchronousDownloadAnswersWhenDoneAndCancelStopsIt()
    {
        const int client = sim.signIn(folder.path());
        QList<int> files;
        for (const QJsonObject &m : sim.historyOf(client, kMediaBot)) {
            if (contentType(m) == "messageDocument")
                files.append(
                    m["content"].toObject()["document"].toObject()["document"].toObject()["id"].toInt());
        }
        QVERIFY(files.size() >= 2);
        sim.send(
            client,
            request("downloadFile",
                    {{"file_id", files[0]}, {"priority", 1}, {"synchronous", true}, {"@extra", "sync"}}));
        const auto done = sim.answer("sync");
        QVERIFY(done->value("local").toObject()["is_downloading_completed"].toBool());
        QVERIFY(QFile::exists(done->value("local").toObject()["path"].toString()));

        sim.drain(0); // the first file's updates
        sim.configure({{"download_step_ms", 200}});
        sim.send(
            client,
            request("downloadFile",
                    {{"file_id", files[1]}, {"priority", 1}, {"synchronous", true}, {"@extra", "slow"}}));
        sim.send(client, request("cancelDownloadFile",
                                 {{"file_id", files[1]}, {"only_if_pending", false}, {"@extra", "cancel"}}));
        QCOMPARE(sim.answer("cancel")->value("@type").toString(), QStringLiteral("ok"));
        QCOMPARE(sim.answer("slow")->value("@type").toString(), QStringLiteral("error"));
        QVERIFY(!sim.update(
            "updateFile",
            [](const QJsonObject &o) {
                return o["file"].toObject()["local"].toObject()["is_downloading_completed"].toBool();
            },
            600));
    }
};

TESSALY_TEST_GUILESS_MAIN(TestTdjsonSimChats)
#include "test_tdjson_sim_chats.moc"
