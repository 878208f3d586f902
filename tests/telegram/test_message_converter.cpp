#include "support/TestMain.h"
#include "telegram/MessageConverter.h"
#include "test_message_converter_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString file(int id, const QString &path = {}, bool complete = false)
{
    return utf8(R"({"@type":"file","id":%1,"local":{"path":"%2","is_downloading_completed":%3}})")
        .arg(id)
        .arg(path, complete ? QStringLiteral("true") : QStringLiteral("false"));
}

QString caption(const QString &text, const QString &entities = QStringLiteral("[]"))
{
    return utf8(R"({"@type":"formattedText","text":"%1","entities":%2})").arg(text, entities);
}

const QString boldEntity = utf8(R"([{"offset":0,"length":4,"type":{"@type":"textEntityTypeBold"}}])");

} // namespace

class TestMessageConverter : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_onDisk;

    BotMessage convert(const QJsonObject &message, const MessageConversionContext &context = {})
    {
        const MessageConversion result = MessageConverter::convertMessage(message, context);
        if (!result.message)
            qFatal("message did not convert");
        return *result.message;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_onDisk = m_dir.filePath(QStringLiteral("photo.jpg"));
        QFile f(m_onDisk);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("jpeg");
    }

    void contentTypes_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("segments");
        QTest::addColumn<QStringList>("downloads");

        const QString gone = m_dir.filePath(QStringLiteral("gone.jpg"));
        const auto photo = [](const QString &sizes) {
            return utf8(R"({"@type":"photo","sizes":[%1]})").arg(sizes);
        };
        const auto size = [](const QString &f) { return utf8(R"({"@type":"photoSize","photo":%1})").arg(f); };

        QTest::newRow("text keeps links")
            << utf8(
                   R"({"@type":"messageText","text":{"text":"see x.io","entities":[{"offset":4,"length":4,"type":{"@type":"textEntityTypeUrl"}}]}})")
            << "see x.io" << QStringList{"text(see )", "link(x.io -> x.io)"} << QStringList{};
        QTest::newRow("animated emoji") << R"({"@type":"messageAnimatedEmoji","emoji":"🔥"})"
                                        << "🔥" << QStringList{"text(🔥)"} << QStringList{};
        QTest::newRow("audio by file name, not fetched")
            << utf8(R"({"@type":"messageAudio","audio":{"file_name":"a.mp3","title":"T","audio":%1}})")
                   .arg(file(3))
            << "a.mp3" << QStringList{"attachment(audio #3 a.mp3 -)"} << QStringList{};
        QTest::newRow("audio by title")
            << utf8(R"({"@type":"messageAudio","audio":{"file_name":"","title":"Song","audio":%1}})")
                   .arg(file(3))
            << "Song" << QStringList{"attachment(audio #3 Song -)"} << QStringList{};
        QTest::newRow("audio unnamed")
            << utf8(R"({"@type":"messageAudio","audio":{"audio":%1}})").arg(file(3)) << "Audio"
            << QStringList{"attachment(audio #3 Audio -)"} << QStringList{};
        QTest::newRow("voice note fetched")
            << utf8(R"({"@type":"messageVoiceNote","voice_note":{"voice":%1},"caption":%2})")
                   .arg(file(4), caption(""))
            << "Voice message" << QStringList{"attachment(audio #4 Voice message -)"} << QStringList{"4"};
        QTest::newRow("pdf by mime type")
            << utf8(
                   R"({"@type":"messageDocument","document":{"file_name":"r","mime_type":"application/pdf","document":%1}})")
                   .arg(file(5))
            << "r" << QStringList{"attachment(pdf #5 r -)"} << QStringList{"5"};
        QTest::newRow("pdf by capitalised name")
            << utf8(
                   R"({"@type":"messageDocument","document":{"file_name":"R.PDF","mime_type":"application/octet-stream","document":%1}})")
                   .arg(file(5))
            << "R.PDF" << QStringList{"attachment(pdf #5 R.PDF -)"} << QStringList{"5"};
        QTest::newRow("document unnamed")
            << utf8(R"({"@type":"messageDocument","document":{"mime_type":"text/plain","document":%1}})")
                   .arg(file(5))
            << "Document" << QStringList{"attachment(document #5 Document -)"} << QStringList{"5"};
        QTest::newRow("photo with caption uses largest size")
            << utf8(R"({"@type":"messagePhoto","photo":%1,"caption":%2})")
                   .arg(photo(size(file(1)) + "," + size(file(2))), caption("look here", boldEntity))
            << "look here" << QStringList{"attachment(image #2 Image -)", "text(look here)"}
            << QStringList{"2"};
        QTest::newRow("photo on disk is not fetched again")
            << utf8(R"({"@type":"messagePhoto","photo":%1})").arg(photo(size(file(2, m_onDisk, true))))
            << "Image" << QStringList{QStringLiteral("attachment(image #2 Image %1)").arg(m_onDisk)}
            << QStringList{};
        QTest::newRow("photo removed from disk is fetched again")
            << utf8(R"({"@type":"messagePhoto","photo":%1})").arg(photo(size(file(2, gone, true)))) << "Image"
            << QStringList{"attachment(image #2 Image -)"} << QStringList{"2"};
        QTest::newRow("photo still downloading")
            << utf8(R"({"@type":"messagePhoto","photo":%1})").arg(photo(size(file(2, m_onDisk, false))))
            << "Image" << QStringList{"attachment(image #2 Image -)"} << QStringList{"2"};
        QTest::newRow("photo without sizes is a placeholder")
            << utf8(R"({"@type":"messagePhoto","photo":%1,"caption":%2})").arg(photo(""), caption(""))
            << "[photo]" << QStringList{"media(photo Photo)"} << QStringList{};
        QTest::newRow("video unnamed")
            << utf8(R"({"@type":"messageVideo","video":{"video":%1}})").arg(file(6)) << "Video"
            << QStringList{"attachment(document #6 Video -)"} << QStringList{"6"};
        QTest::newRow("video note ignores captions")
            << utf8(R"({"@type":"messageVideoNote","video_note":{"video":%1},"caption":%2})")
                   .arg(file(7), caption("x"))
            << "Video message" << QStringList{"attachment(document #7 Video message -)"} << QStringList{"7"};
        QTest::newRow("animation named")
            << utf8(R"({"@type":"messageAnimation","animation":{"file_name":"cat.gif","animation":%1}})")
                   .arg(file(8))
            << "cat.gif" << QStringList{"attachment(document #8 cat.gif -)"} << QStringList{"8"};
        QTest::newRow("sticker with emoji")
            << utf8(R"({"@type":"messageSticker","sticker":{"emoji":"👍","sticker":%1}})").arg(file(9))
            << "Sticker 👍" << QStringList{"attachment(document #9 Sticker 👍 -)"} << QStringList{"9"};
        QTest::newRow("sticker without emoji")
            << utf8(R"({"@type":"messageSticker","sticker":{"sticker":%1}})").arg(file(9)) << "Sticker"
            << QStringList{"attachment(document #9 Sticker -)"} << QStringList{"9"};
        QTest::newRow("rich message")
            << R"({"@type":"messageRichMessage","message":{"blocks":[{"@type":"pageBlockTitle","title":{"@type":"richTextPlain","text":"Hi"}},{"@type":"pageBlockParagraph","text":"Body"}]}})"
            << "Hi\nBody" << QStringList{"text(Hi\nBody)"} << QStringList{};
        QTest::newRow("rich message without text")
            << R"({"@type":"messageRichMessage","message":{"blocks":[{"@type":"pageBlockDivider"}]}})"
            << "Rich message" << QStringList{"media(doc.richtext Rich message)"} << QStringList{};
        QTest::newRow("empty checklist")
            << R"({"@type":"messageChecklist","list":{"title":{"text":""},"tasks":[]}})"
            << "Checklist" << QStringList{"text(Checklist)"} << QStringList{};
        QTest::newRow("paid photo with caption")
            << utf8(
                   R"({"@type":"messagePaidMedia","media":[{"@type":"paidMediaPhoto","photo":%1}],"caption":%2})")
                   .arg(photo(size(file(11))), caption("pay"))
            << "pay" << QStringList{"attachment(image #11 Image -)", "text(pay)"} << QStringList{"11"};
        QTest::newRow("paid video")
            << utf8(
                   R"({"@type":"messagePaidMedia","media":[{"@type":"paidMediaVideo","video":{"video":%1}}]})")
                   .arg(file(12))
            << "Paid media" << QStringList{"attachment(document #12 Video -)"} << QStringList{"12"};
        QTest::newRow("paid preview only")
            << R"({"@type":"messagePaidMedia","media":[{"@type":"paidMediaPreview"}]})"
            << "Paid media" << QStringList{"media(star.circle Paid media)"} << QStringList{};
        QTest::newRow("story") << R"({"@type":"messageStory"})"
                               << "Story" << QStringList{"media(play.square.stack Story)"} << QStringList{};
        QTest::newRow("gift with a note")
            << utf8(R"({"@type":"messageGift","gift":{"sticker":{"emoji":"🎁"}},"text":%1})")
                   .arg(caption("for you"))
            << "Gift 🎁\nfor you" << QStringList{"media(gift Gift 🎁)", "text(for you)"} << QStringList{};
        QTest::newRow("premium gift without note")
            << R"({"@type":"messageGiftedPremium","month_count":3,"text":{"text":""}})"
            << "Telegram Premium gift, 3 months" << QStringList{"media(gift Telegram Premium gift, 3 months)"}
            << QStringList{};
        QTest::newRow("unsupported") << R"({"@type":"messageUnsupported"})"
                                     << "Unsupported message" << QStringList{"unsupported"} << QStringList{};
        QTest::newRow("location") << R"({"@type":"messageLocation","location":{}})"
                                  << "[location]" << QStringList{"media(mappin.and.ellipse Location)"}
                                  << QStringList{};
        QTest::newRow("unknown type keeps caption")
            << utf8(R"({"@type":"messageFooBar","caption":%1})").arg(caption("hey")) << "hey"
            << QStringList{"media(paperclip Foo bar)", "text(hey)"} << QStringList{};
        QTest::newRow("content without type")
            << "{}"
            << "[message]" << QStringList{"media(paperclip Message)"} << QStringList{};
    }
    void contentTypes()
    {
        QFETCH(QString, content);
        QFETCH(QString, text);
        QFETCH(QStringList, segments);
        QFETCH(QStringList, downloads);
        const QJsonObject message{{"id", 42}, {"date", 1700000000}, {"content", json(content)}};
        const MessageConversion result = MessageConverter::convertMessage(message, {});
        QVERIFY(result.message);
        QCOMPARE(result.message->text, text);
        QCOMPARE(describe(result.message->segments), segments);
        QCOMPARE(result.downloadFileIDs, downloads);
    }

    void messageFields()
    {
        const BotMessage m = convert(json(R"({"id":"-5","date":1700000001,"is_outgoing":true,
            "content":{"@type":"messageText","text":{"text":"hi"}}})"));
        QCOMPARE(m.id, QStringLiteral("-5"));
        QCOMPARE(m.date, qint64(1700000001));
        QVERIFY(m.isOutgoing);
        QVERIFY(!m.isEphemeral);
        QVERIFY(!m.reply);

        const BotMessage bare = convert(json(R"({"id":9,"content":{"@type":"messageText"}})"));
        QCOMPARE(bare.id, QStringLiteral("9"));
        QCOMPARE(bare.date, qint64(0));
        QVERIFY(!bare.isOutgoing);
        QVERIFY(bare.buttons.isEmpty());
    }

    void sendingStateFailedMarksTheMessage_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<QString>("reason");
        QTest::newRow("confirmed") << "null" << false << "";
        QTest::newRow("pending") << R"({"@type":"messageSendingStatePending","sending_id":0})" << false << "";
        QTest::newRow("failed with TDLib's reason")
            << R"({"@type":"messageSendingStateFailed","error":{"@type":"error","code":400,
                   "message":"Message is too long"},"can_retry":false,"retry_after":0})"
            << true << "Message is too long";
        QTest::newRow("failed without a reason") << R"({"@type":"messageSendingStateFailed"})" << true << "";
    }
    void sendingStateFailedMarksTheMessage()
    {
        QFETCH(QString, state);
        QFETCH(bool, failed);
        QFETCH(QString, reason);
        const BotMessage m = convert(json(utf8(R"({"id":7,"is_outgoing":true,"sending_state":%1,
            "content":{"@type":"messageText","text":{"text":"hi"}}})")
                                              .arg(state)));
        QCOMPARE(m.sendFailed, failed);
        QCOMPARE(m.sendFailureReason, reason);
    }

    void fileTransfersComeFromTheFileObject_data()
    {
        using D = BotFileTransfer::Direction;
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("state");
        QTest::addColumn<std::optional<BotFileTransfer>>("transfer");
        // requested: not on disk and not downloading, so asked for.
        QTest::addColumn<bool>("requested");
        QTest::newRow("downloading")
            << R"("size":0,"expected_size":100,"local":{"is_downloading_active":true,"downloaded_size":40},
                  "remote":{"is_uploading_active":false,"uploaded_size":0})"
            << "null" << std::optional(BotFileTransfer{D::Download, 40, 100}) << false;
        QTest::newRow("size stands in for an unknown expected size")
            << R"("size":200,"expected_size":0,"local":{"is_downloading_active":true,"downloaded_size":50})"
            << "null" << std::optional(BotFileTransfer{D::Download, 50, 200}) << false;
        QTest::newRow("resting download is asked for")
            << R"("size":100,"expected_size":100,"local":{"is_downloading_active":false,"downloaded_size":0})"
            << "null" << std::optional<BotFileTransfer>() << true;
        QTest::newRow("uploading with a pending message")
            << R"("size":100,"expected_size":100,"local":{"is_downloading_completed":true},
                  "remote":{"is_uploading_active":true,"uploaded_size":60})"
            << R"({"@type":"messageSendingStatePending"})" << std::optional(BotFileTransfer{D::Upload, 60, 100})
            << true;
        QTest::newRow("pending before or after the upload")
            << R"("size":100,"expected_size":100,"local":{"is_downloading_completed":true},
                  "remote":{"is_uploading_active":false,"is_uploading_completed":true,"uploaded_size":100})"
            << R"({"@type":"messageSendingStatePending"})" << std::optional(BotFileTransfer{D::Upload, 0, 0})
            << true;
        QTest::newRow("failed send has no transfer")
            << R"("size":100,"expected_size":100,"local":{"is_downloading_completed":true},
                  "remote":{"is_uploading_active":false,"uploaded_size":30})"
            << R"({"@type":"messageSendingStateFailed"})" << std::optional<BotFileTransfer>() << true;
    }
    void fileTransfersComeFromTheFileObject()
    {
        QFETCH(QString, file);
        QFETCH(QString, state);
        QFETCH(std::optional<BotFileTransfer>, transfer);
        QFETCH(bool, requested);
        const QJsonObject message = json(utf8(R"({"id":8,"is_outgoing":true,"sending_state":%1,"content":
            {"@type":"messageDocument","document":{"file_name":"a.bin","document":{"@type":"file","id":31,%2}},
             "caption":{"text":""}}})")
                                             .arg(state, file));
        const MessageConversion result = MessageConverter::convertMessage(message, {});
        QVERIFY(result.message);
        QCOMPARE(result.message->segments.size(), 1);
        QCOMPARE(result.message->segments[0].transfer, transfer);
        QCOMPARE(result.downloadFileIDs, requested ? QStringList{"31"} : QStringList{});
    }

    void messagesWithoutIdOrContentAreSkipped_data()
    {
        QTest::addColumn<QString>("message");
        QTest::newRow("no id") << R"({"content":{"@type":"messageText"}})";
        QTest::newRow("id not a number or text") << R"({"id":true,"content":{"@type":"messageText"}})";
        QTest::newRow("fractional id") << R"({"id":1.5,"content":{"@type":"messageText"}})";
        QTest::newRow("no content") << R"({"id":1})";
        QTest::newRow("content not an object") << R"({"id":1,"content":"messageText"})";
    }
    void messagesWithoutIdOrContentAreSkipped()
    {
        QFETCH(QString, message);
        QVERIFY(!MessageConverter::convertMessage(json(message), {}).message);
    }

    void timelineKeepsOrderAndCollectsDownloads()
    {
        const QList<QJsonObject> raw{
            json(utf8(R"({"id":1,"content":{"@type":"messageVoiceNote","voice_note":{"voice":%1}}})")
                     .arg(file(21))),
            json(R"({"content":{"@type":"messageText"}})"),
            json(utf8(R"({"id":3,"content":{"@type":"messageDocument","document":{"document":%1}}})")
                     .arg(file(23))),
        };
        const TimelineConversion timeline = MessageConverter::convertMessages(raw, {});
        QCOMPARE(timeline.messages.size(), 2);
        QCOMPARE(timeline.messages[0].id, QStringLiteral("1"));
        QCOMPARE(timeline.messages[1].id, QStringLiteral("3"));
        QCOMPARE(timeline.downloadFileIDs, (QStringList{"21", "23"}));
    }

    void inlineKeyboards_data()
    {
        QTest::addColumn<QString>("markup");
        QTest::addColumn<QStringList>("rows");
        const QString cb =
            utf8(R"({"text":"%1","type":{"@type":"inlineKeyboardButtonTypeCallback","data":"%2"}})");
        const QString url =
            utf8(R"({"text":"Site","type":{"@type":"inlineKeyboardButtonTypeUrl","url":"x.io"}})");
        QTest::newRow("only url buttons")
            << utf8(R"({"@type":"replyMarkupInlineKeyboard","rows":[[%1],[%1]]})").arg(url) << QStringList{};
        QTest::newRow("url buttons dropped, empty rows too")
            << utf8(R"({"@type":"replyMarkupInlineKeyboard","rows":[[%1,%2],[%3],[%4,%1]]})")
                   .arg(url, cb.arg("Yes", "eWVz"), url, cb.arg("No", "bm8="))
            << QStringList{"Yes=eWVz", "No=bm8="};
        QTest::newRow("callback without data")
            << R"({"@type":"replyMarkupInlineKeyboard","rows":[[{"text":"A","type":{"@type":"inlineKeyboardButtonTypeCallback"}}]]})"
            << QStringList{};
        QTest::newRow("callback with numeric data")
            << R"({"@type":"replyMarkupInlineKeyboard","rows":[[{"text":"A","type":{"@type":"inlineKeyboardButtonTypeCallback","data":5}}]]})"
            << QStringList{};
        QTest::newRow("reply keyboard is not inline")
            << utf8(R"({"@type":"replyMarkupShowKeyboard","rows":[[%1]]})").arg(cb.arg("A", "YQ=="))
            << QStringList{};
        QTest::newRow("rows not arrays")
            << R"({"@type":"replyMarkupInlineKeyboard","rows":[5,{"x":1}]})" << QStringList{};
    }
    void inlineKeyboards()
    {
        QFETCH(QString, markup);
        QFETCH(QStringList, rows);
        const BotMessage m = convert(
            json(utf8(R"({"id":1,"content":{"@type":"messageText"},"reply_markup":%1})").arg(markup)));
        QStringList described;
        for (const auto &row : m.buttons) {
            QStringList buttons;
            for (const BotInlineButton &b : row)
                buttons.append(b.text + u'=' + b.callbackData);
            described.append(buttons.join(u','));
        }
        QCOMPARE(described, rows);
    }

    void replySummaries_data()
    {
        QTest::addColumn<QString>("replyTo");
        QTest::addColumn<bool>("knownChat");
        QTest::addColumn<QString>("expected"); // author|text|outgoing, or empty for none
        QTest::newRow("to own message")
            << R"({"@type":"messageReplyToMessage","message_id":10})" << true << "You|my question|true";
        QTest::newRow("to bot message")
            << R"({"@type":"messageReplyToMessage","message_id":11})" << true << "Helper Bot|[photo]|false";
        QTest::newRow("to bot message, chat unknown")
            << R"({"@type":"messageReplyToMessage","message_id":11})" << false << "Bot|[photo]|false";
        QTest::newRow("quote wins")
            << R"({"@type":"messageReplyToMessage","message_id":10,"quote":{"text":{"text":"part"}}})" << true
            << "You|part|true";
        QTest::newRow("quote of a message no longer stored")
            << R"({"@type":"messageReplyToMessage","message_id":99,"quote":{"text":{"text":"old"}}})" << true
            << "Helper Bot|old|false";
        QTest::newRow("message no longer stored, no quote")
            << R"({"@type":"messageReplyToMessage","message_id":99})" << true << "";
        QTest::newRow("replied message has empty text")
            << R"({"@type":"messageReplyToMessage","message_id":12})" << true << "";
        QTest::newRow("story") << R"({"@type":"messageReplyToStory","story_id":1})" << true
                               << "Story|Replied to a story|false";
        QTest::newRow("no type") << R"({"message_id":10})" << true << "";
        QTest::newRow("other reply type")
            << R"({"@type":"messageReplyToSomethingNew","message_id":10})" << true << "";
    }
    void replySummaries()
    {
        QFETCH(QString, replyTo);
        QFETCH(bool, knownChat);
        QFETCH(QString, expected);
        const QHash<QString, QJsonObject> raw{
            {"10",
             json(
                 R"({"id":10,"is_outgoing":true,"content":{"@type":"messageText","text":{"text":"my question"}}})")},
            {"11",
             json(
                 R"({"id":11,"content":{"@type":"messagePhoto","photo":{"sizes":[]},"caption":{"text":""}}})")},
            {"12", json(R"({"id":12,"content":{"@type":"messageText","text":{"text":""}}})")},
        };
        const QHash<QString, QJsonObject> chats{{"77", json(R"({"id":77,"title":"Helper Bot"})")}};
        const MessageConversionContext context{&raw, &chats,
                                               knownChat ? QStringLiteral("77") : QStringLiteral("78")};
        const std::optional<BotReply> reply = MessageConverter::replySummary(json(replyTo), context);
        const QString got =
            reply ? QStringList{reply->author, reply->text, reply->isOutgoing ? "true" : "false"}.join(u'|')
                  : QString();
        QCOMPARE(got, expected);
    }

    void replyWithoutTablesNamesTheBot()
    {
        const BotMessage m = convert(json(R"({"id":2,"content":{"@type":"messageText"},
            "reply_to":{"@type":"messageReplyToMessage","message_id":1,"quote":{"text":{"text":"q"}}}})"));
        QCOMPARE(m.reply, (BotReply{"Bot", "q", false}));
        QVERIFY(!MessageConverter::replySummary(QJsonValue(), {}));
    }

    void plainTextForQuotes_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("text");
        QTest::newRow("text") << R"({"@type":"messageText","text":{"text":"a\nb"}})"
                              << "a\nb";
        QTest::newRow("caption") << R"({"@type":"messageDocument","caption":{"text":"c"}})"
                                 << "c";
        QTest::newRow("document without caption") << R"({"@type":"messageDocument"})"
                                                  << "[document]";
        QTest::newRow("checklist")
            << R"({"@type":"messageChecklist","list":{"tasks":[{"text":{"text":"t"},"completion_date":0}]}})"
            << "☐ t";
        QTest::newRow("rich")
            << R"({"@type":"messageRichMessage","message":{"blocks":[{"@type":"pageBlockParagraph","text":"p"}]}})"
            << "p";
        QTest::newRow("poll") << R"({"@type":"messagePoll"})"
                              << "[poll]";
    }
    void plainTextForQuotes()
    {
        QFETCH(QString, content);
        QFETCH(QString, text);
        QCOMPARE(MessageConverter::messagePlainText(QJsonObject{{"content", json(content)}}), text);
    }

    // A finished download, a local-only row or a keyboard must change the
    // published list, so equality has to see these fields.
    void modelEquality()
    {
        const QString photoJson =
            utf8(R"({"id":1,"content":{"@type":"messagePhoto","photo":{"sizes":[{"photo":%1}]}}})");
        const BotMessage pending = convert(json(photoJson.arg(file(2))));
        const BotMessage done = convert(json(photoJson.arg(file(2, m_onDisk, true))));
        QVERIFY(pending != done);
        QCOMPARE(pending.segments[0].name, done.segments[0].name);

        BotMessage ephemeral = pending;
        ephemeral.isEphemeral = true;
        QVERIFY(ephemeral != pending);

        // A refusal after sending must reach the rows: a failed copy differs.
        BotMessage refused = pending;
        refused.sendFailed = true;
        QVERIFY(refused != pending);

        QVERIFY(pending.buttons.isEmpty());
        BotMessage withEmptyRow = pending;
        withEmptyRow.buttons.append(QList<BotInlineButton>{});
        QVERIFY(withEmptyRow != pending);

        const BotMessage code =
            convert(json(R"({"id":1,"content":{"@type":"messageText","text":{"text":"ls","entities":[
            {"offset":0,"length":2,"type":{"@type":"textEntityTypePre"}}]}}})"));
        QCOMPARE(code.segments.size(), 1);
        QCOMPARE(code.segments[0].kind, BotMessageSegment::Kind::Code);
        QVERIFY(code.segments[0].language.isEmpty());
        QCOMPARE(code.segments[0], BotMessageSegment::makeCode(QString(), QStringLiteral("ls")));
    }
};

TESSALY_TEST_GUILESS_MAIN(TestMessageConverter)
#include "test_message_converter.moc"
