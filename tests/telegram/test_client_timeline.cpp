// The selected chat's timeline: retention, archive, placeholders, deletion,
// late answers, and the shapes of outgoing requests.
#include "support/ClientHarness.h"
#include "support/TestMain.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QtTest>
#include <algorithm>

namespace {

QJsonObject textMessage(qint64 id, qint64 date, const QString &text, bool outgoing = false, qint64 chat = 42)
{
    return QJsonObject{{"@type", "message"},
                       {"id", id},
                       {"chat_id", chat},
                       {"date", date},
                       {"is_outgoing", outgoing},
                       {"content", QJsonObject{{"@type", "messageText"},
                                               {"text", QJsonObject{{"@type", "formattedText"}, {"text", text}}}}}};
}

QJsonObject pending(QJsonObject message)
{
    message.insert("sending_state", QJsonObject{{"@type", "messageSendingStatePending"}});
    return message;
}

QJsonObject messages(const QList<QJsonObject> &list)
{
    QJsonArray array;
    for (const QJsonObject &m : list)
        array.append(m);
    return QJsonObject{{"@type", "messages"}, {"total_count", array.size()}, {"messages", array}};
}

QStringList ids(const QList<BotMessage> &list)
{
    QStringList result;
    for (const BotMessage &m : list)
        result.append(m.id);
    return result;
}

QJsonArray archiveOf(const ClientHarness &h, const QString &chat)
{
    QFile f(h.client->historyFilePath(chat));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).array();
}

} // namespace

class TestClientTimeline : public QObject
{
    Q_OBJECT
private slots:
    void sixtyMessagesKeepTheNewestFifty()
    {
        ClientHarness h;
        h.start();
        h.client->selectBotChat("42");
        QList<QJsonObject> list;
        for (int i = 1; i <= 60; ++i)
            list.append(textMessage(i, 1000 + i, QString("m%1").arg(i)));
        h.deliver(messages(list));
        QCOMPARE(h.client->rawMessageCount(), 50);
        const QList<BotMessage> published = h.messageLists.last();
        QCOMPARE(published.size(), 50);
        QCOMPARE(published.first().id, QString("11"));
        QCOMPARE(published.last().id, QString("60"));
        const QJsonArray archive = archiveOf(h, "42");
        QCOMPARE(archive.size(), 50);
        QCOMPARE(archive.first().toObject()["id"].toInt(), 11);
        // Everything that arrived is marked read.
        QCOMPARE(h.fake.sentOfType("viewMessages").last()["message_ids"].toArray().size(), 60);
        QCOMPARE(h.fake.sentOfType("viewMessages").last()["force_read"].toBool(), true);
    }

    void placeholdersCollapseBySignatureAndAge()
    {
        ClientHarness h;
        h.start();
        h.client->selectBotChat("42");
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        h.deliver(messages({textMessage(100, now, "hello", true),
                            pending(textMessage(-1, now - 3, "hello", true)),     // same text, 3 s away
                            pending(textMessage(-2, now - 6, "hello", true)),     // 6 s away: stays
                            pending(textMessage(-3, now - 2, "edited", true)),    // other text: stays
                            pending(textMessage(-4, now - 700, "lost", true))})); // over 600 s old
        QCOMPARE(ids(h.messageLists.last()), (QStringList{"-2", "-3", "100"}));
    }

    void sendResultReplacesTheTemporaryMessage()
    {
        ClientHarness h;
        h.start();
        h.client->selectBotChat("42");
        h.deliver(messages({pending(textMessage(-5, 1000, "hi", true))}));
        h.deliver(QJsonObject{{"@type", "updateMessageSendSucceeded"},
                              {"old_message_id", -5},
                              {"message", textMessage(77, 1000, "hi", true)}});
        QCOMPARE(ids(h.messageLists.last()), QStringList{"77"});
        QCOMPARE(archiveOf(h, "42").size(), 1);
        // A result for another chat changes nothing.
        const int lists = h.messageLists.size();
        h.deliver(QJsonObject{{"@type", "updateMessageSendFailed"},
                              {"old_message_id", 77},
                              {"message", textMessage(78, 1001, "x", true, 43)}});
        QCOMPARE(h.messageLists.size(), lists);
    }

    void deletedMessagesStayHidden()
    {
        ClientHarness h;
        h.start();
        h.client->selectBotChat("42");
        h.deliver(messages({textMessage(1, 10, "a"), textMessage(2, 20, "b")}));
        // A deletion this application did not ask for is ignored.
        h.deliver(QJsonObject{{"@type", "updateDeleteMessages"}, {"chat_id", 42}, {"message_ids", QJsonArray{1}}});
        QCOMPARE(ids(h.messageLists.last()), (QStringList{"1", "2"}));
        h.client->deleteMessage("1", "42", true);
        QCOMPARE(h.fake.sentOfType("deleteMessages")[0]["revoke"].toBool(), true);
        h.deliver(QJsonObject{{"@type", "updateDeleteMessages"}, {"chat_id", 42}, {"message_ids", QJsonArray{1}}});
        QCOMPARE(ids(h.messageLists.last()), QStringList{"2"});
        QCOMPARE(archiveOf(h, "42").size(), 1);
        // A later history answer that still returns it does not bring it back.
        h.deliver(messages({textMessage(1, 10, "a"), textMessage(2, 20, "b")}));
        QCOMPARE(ids(h.messageLists.last()), QStringList{"2"});
    }

    void aLateAnswerForAnotherChatChangesNothing()
    {
        ClientHarness h;
        h.start();
        h.client->selectBotChat("41");
        h.client->selectBotChat("42");
        h.deliver(messages({textMessage(5, 50, "/mac lock", true, 41), textMessage(6, 60, "old bot", false, 41)}));
        QCOMPARE(h.client->rawMessageCount(), 0);
        QVERIFY(h.messageLists.isEmpty() || h.messageLists.last().isEmpty());
        QVERIFY(archiveOf(h, "42").isEmpty());
        // Messages that do not name their chat are kept, as before.
        QJsonObject noChat = textMessage(7, 70, "x");
        noChat.remove("chat_id");
        h.deliver(messages({noChat}));
        QCOMPARE(ids(h.messageLists.last()), QStringList{"7"});
    }

    void aListOnItsWayWhenAnotherBotIsPickedNeverArrives()
    {
        ClientHarness h;
        h.start();
        h.client->selectBotChat("41");
        h.settle();
        // The list for 41 is built on the receive thread; its delivery to the
        // main thread is still queued when the user picks 42.
        h.fake.push(messages({textMessage(5, 50, "/mac lock", true, 41)}), h.client->clientID());
        QVERIFY(h.fake.waitUntilDrained());
        h.client->selectBotChat("42");
        h.settle();
        // Only the two empty lists of the selections themselves were delivered.
        QCOMPARE(h.messageChats, (QStringList{"41", "42"}));
        QVERIFY(h.messageLists.last().isEmpty());
    }

    void messagesOfOneSecondKeepTheOrderTheyWereWritten()
    {
        ClientHarness h;
        h.start();
        h.client->selectBotChat("42");
        // Server ids grow with every message of a chat; a message still being
        // sent has a temporary id between them.
        const qint64 second = QDateTime::currentSecsSinceEpoch() - 60;
        QList<QJsonObject> list{textMessage(1 << 20, second - 1, "the second before")};
        QStringList expected{QString::number(1 << 20)};
        for (qint64 i = 2; i <= 21; ++i) {
            list.append(textMessage(i << 20, second, QString("q%1").arg(i), i % 2 == 0));
            expected.append(QString::number(i << 20));
        }
        list.append(pending(textMessage((10 << 20) + 1, second, "still sending", true)));
        expected.append(QString::number((10 << 20) + 1));
        list.append(textMessage(22 << 20, second + 1, "the second after"));
        expected.append(QString::number(22 << 20));
        std::reverse(list.begin(), list.end());
        h.deliver(messages(list));
        QCOMPARE(ids(h.messageLists.last()), expected);
        QStringList archived;
        for (const QJsonValue &m : archiveOf(h, "42"))
            archived.append(QString::number(m.toObject()["id"].toInteger()));
        QCOMPARE(archived, expected);
    }

    void aBurstOfNewMessagesKeepsOneHistoryRefreshInFlightAndOneWaiting()
    {
        ClientHarness h;
        h.start();
        h.client->selectBotChat("42");
        const auto history = [&] { return h.fake.sentOfType("getChatHistory"); };
        const auto answer = [&](const QJsonObject &request, const QList<QJsonObject> &list) {
            QJsonObject reply = messages(list);
            reply.insert("@extra", request["@extra"]);
            h.deliver(reply);
        };
        const auto newMessage = [&](qint64 id) {
            h.deliver(QJsonObject{{"@type", "updateNewMessage"}, {"message", textMessage(id, 100 + id, "new")}});
        };
        QCOMPARE(history().size(), 2);

        // Ten arrivals while the first refresh is out ask for nothing more yet.
        for (int id = 1; id <= 10; ++id)
            newMessage(id);
        QCOMPARE(history().size(), 2);
        answer(history()[0], {textMessage(1, 101, "new")});
        QCOMPARE(history().size(), 2);
        QVERIFY(h.fake.sentOfType("viewMessages").isEmpty()); // the local half marks nothing read
        QList<QJsonObject> all;
        for (int id = 1; id <= 10; ++id)
            all.append(textMessage(id, 100 + id, "new"));
        answer(history()[1], all);
        // One refresh for everything that waited, and one read mark for the refresh that ended.
        QCOMPARE(history().size(), 4);
        QCOMPARE(h.fake.sentOfType("viewMessages").size(), 1);
        QCOMPARE(h.messageLists.last().size(), 10);

        // An answer for the chat that was left does not end the new chat's refresh.
        const QJsonObject stale = history()[3];
        h.client->selectBotChat("43");
        QCOMPARE(history().size(), 6);
        answer(stale, {});
        answer(history()[4], {});
        newMessage(11); // chat 42 is no longer shown: nothing to refresh
        h.deliver(QJsonObject{{"@type", "updateNewMessage"}, {"message", textMessage(12, 112, "x", false, 43)}});
        QCOMPARE(history().size(), 6);
        // An error answers a request as well: the waiting refresh goes out.
        h.deliver(QJsonObject{{"@type", "error"}, {"code", 500}, {"message", "Internal"}, {"@extra", history()[5]["@extra"]}});
        QCOMPARE(history().size(), 8);
        QCOMPARE(history()[7]["chat_id"].toInteger(), 43);
    }

    void archiveIsShownAtOnceAndDamagedOnesAreReplaced()
    {
        ClientHarness h;
        h.start();
        QDir().mkpath(QFileInfo(h.client->historyFilePath("42")).absolutePath());
        {
            QFile f(h.client->historyFilePath("42"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            QJsonArray array;
            for (int i = 1; i <= 10; ++i)
                array.append(textMessage(i, i, "archived"));
            f.write(QJsonDocument(array).toJson());
        }
        {
            QFile f(h.client->historyFilePath("43"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("{ this is not json");
        }
        h.client->selectBotChat("42");
        h.settle();
        QCOMPARE(h.messageLists.last().size(), 10);
        QCOMPARE(h.fake.sentOfType("viewMessages").size(), 1);

        h.client->selectBotChat("43");
        h.settle();
        QVERIFY(h.messageLists.last().isEmpty());
        h.deliver(messages({textMessage(9, 90, "fresh", false, 43)}));
        QCOMPARE(archiveOf(h, "43").size(), 1);
    }

    void editsPatchTheStoredMessage()
    {
        ClientHarness h;
        h.start();
        h.client->selectBotChat("42");
        h.deliver(messages({textMessage(1, 10, "before")}));
        h.deliver(QJsonObject{{"@type", "updateMessageContent"}, {"chat_id", 42}, {"message_id", 1},
                              {"new_content", textMessage(0, 0, "after")["content"]}});
        QCOMPARE(h.messageLists.last()[0].text, QString("after"));
        h.deliver(QJsonObject{{"@type", "updateMessageContent"}, {"chat_id", 42}, {"message_id", 99},
                              {"new_content", textMessage(0, 0, "ghost")["content"]}});
        QCOMPARE(h.messageLists.last().size(), 1);
    }

    void downloadProgressIsShownCoalescedAndNotAskedForAgain()
    {
        ClientHarness h;
        h.start();
        h.client->selectBotChat("42");
        const auto file = [](qint64 downloaded, bool active) {
            return QJsonObject{{"@type", "file"},
                               {"id", 31},
                               {"size", 100},
                               {"expected_size", 100},
                               {"local", QJsonObject{{"is_downloading_active", active},
                                                     {"is_downloading_completed", false},
                                                     {"downloaded_size", downloaded}}}};
        };
        QJsonObject document = textMessage(5, 1000, "");
        document.insert("content",
                        QJsonObject{{"@type", "messageDocument"},
                                    {"document", QJsonObject{{"file_name", "a.zip"}, {"document", file(0, false)}}},
                                    {"caption", QJsonObject{{"text", ""}}}});
        h.deliver(messages({document}));
        QCOMPARE(h.fake.sentOfType("downloadFile").size(), 1);

        const int before = h.messageLists.size();
        for (int step = 1; step <= 19; ++step)
            h.fake.push(QJsonObject{{"@type", "updateFile"}, {"file", file(step * 5, true)}}, h.client->clientID());
        QVERIFY(h.fake.waitUntilDrained());
        const auto shown = [&h]() -> std::optional<BotFileTransfer> {
            return h.messageLists.last().first().segments.first().transfer;
        };
        QTRY_COMPARE(shown(), std::optional(BotFileTransfer{BotFileTransfer::Direction::Download, 95, 100}));
        // Nineteen reports in a burst become one list, or two when the timer
        // fired while the last reports were still being read.
        QVERIFY2(h.messageLists.size() - before <= 2, qPrintable(QString::number(h.messageLists.size() - before)));
        QCOMPARE(h.fake.sentOfType("downloadFile").size(), 1);
        // The archive keeps the message as Telegram sent it, not the progress.
        const QJsonObject archived =
            archiveOf(h, "42").first().toObject()["content"].toObject()["document"].toObject()["document"].toObject();
        QCOMPARE(archived["local"].toObject()["downloaded_size"].toInt(), 0);

        // A download that stopped without finishing may be asked for again later.
        h.deliver(QJsonObject{{"@type", "updateFile"}, {"file", file(0, false)}});
        QTRY_VERIFY(!shown());
    }

    void outgoingRequestShapes()
    {
        ClientHarness h;
        h.start();
        h.client->sendMessage("**not bold** _x_", "42", QString("not-a-number"));
        const QJsonObject text = h.fake.sentOfType("sendMessage").last();
        QVERIFY(text["reply_to"].isNull());
        QVERIFY(text["options"].isNull() && text["reply_markup"].isNull());
        const QJsonObject content = text["input_message_content"].toObject();
        QCOMPARE(content["text"].toObject()["text"].toString(), QString("**not bold** _x_"));
        QCOMPARE(content["text"].toObject()["entities"].toArray().size(), 0);

        h.client->sendMessage("reply", "42", QString("77"));
        const QJsonObject reply = h.fake.sentOfType("sendMessage").last()["reply_to"].toObject();
        QCOMPARE(reply["@type"].toString(), QString("inputMessageReplyToMessage"));
        QCOMPARE(reply["message_id"].toInteger(), 77);

        h.client->sendPhoto("/tmp/p.png", 640, 480, "cap", "42");
        const QJsonObject photo = h.fake.sentOfType("sendMessage").last()["input_message_content"].toObject();
        QCOMPARE(photo["@type"].toString(), QString("inputMessagePhoto"));
        QCOMPARE(photo["photo"].toObject()["photo"].toObject()["path"].toString(), QString("/tmp/p.png"));
        QCOMPARE(photo["photo"].toObject()["width"].toInt(), 640);
        h.client->sendVoiceNote("/tmp/v.ogg", 7, "", "42");
        const QJsonObject voice = h.fake.sentOfType("sendMessage").last()["input_message_content"].toObject();
        QCOMPARE(voice["voice_note"].toObject()["duration"].toInt(), 7);
        h.client->sendDocument("/tmp/d.pdf", "", "bad chat");
        QCOMPARE(h.fake.sentOfType("sendMessage").size(), 4);

        h.client->pressInlineButton({"Yes", "eWVz"}, "5", "42");
        QCOMPARE(h.fake.sentOfType("getCallbackQueryAnswer")[0]["payload"].toObject()["data"].toString(),
                 QString("eWVz"));
        h.client->downloadFile("17");
        h.client->downloadFile("x17");
        QCOMPARE(h.fake.sentOfType("downloadFile").size(), 1);
        QCOMPARE(h.fake.sentOfType("downloadFile")[0]["priority"].toInt(), 16);
    }
};

TESSALY_TEST_GUILESS_MAIN(TestClientTimeline)
#include "test_client_timeline.moc"
