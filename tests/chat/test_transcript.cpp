#include "chat/LastSentMessage.h"
#include "chat/TranscriptLayout.h"
#include "chat/TranscriptPlan.h"
#include "chat/TranscriptSearch.h"
#include "chat/TypingIndicator.h"
#include "chat/UnreadCounter.h"
#include "support/TestMain.h"

#include <QtTest>

namespace {

BotMessage message(const QString &id, const QString &text, bool outgoing = false)
{
    BotMessage m;
    m.id = id;
    m.text = text;
    m.segments = {BotMessageSegment::makeText(text)};
    m.isOutgoing = outgoing;
    m.date = 1700000000;
    return m;
}

BotMessage withReply(BotMessage m, const QString &author, const QString &text)
{
    m.reply = BotReply{author, text, false};
    return m;
}

QStringList ids(const QList<BotMessage> &messages)
{
    QStringList result;
    for (const BotMessage &m : messages)
        result << m.id;
    return result;
}

const std::optional<QString> botA = QStringLiteral("100");
const std::optional<QString> botB = QStringLiteral("200");

} // namespace

class TestTranscript : public QObject
{
    Q_OBJECT
private slots:
    void searchFilter_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("empty keeps all") << "" << QStringList{"1", "2", "3", "4"};
        QTest::newRow("only spaces keeps all") << "  \n\t " << QStringList{"1", "2", "3", "4"};
        QTest::newRow("mixed case in text") << "abc" << QStringList{"1", "3"};
        QTest::newRow("upper-case query") << "ABC" << QStringList{"1", "3"};
        QTest::newRow("padded query") << "  abc  " << QStringList{"1", "3"};
        QTest::newRow("reply author is not searched") << "Carol" << QStringList{};
        QTest::newRow("segments are not searched") << "hidden" << QStringList{};
        QTest::newRow("no hits") << "zzz" << QStringList{};
    }
    void searchFilter()
    {
        QFETCH(QString, field);
        QFETCH(QStringList, kept);
        BotMessage segmentOnly = message("4", "plain");
        segmentOnly.segments = {BotMessageSegment::makeText("hidden")};
        const QList<BotMessage> all{message("1", "xx aBc yy"), message("2", "nothing"),
                                    withReply(message("3", "answer"), "Carol", "quoted ABC"), segmentOnly};
        const QString query = TranscriptSearch::normalizedQuery(field);
        QCOMPARE(ids(TranscriptSearch::filteredMessages(all, query)), kept);
    }

    void emptyStateTexts()
    {
        using namespace TranscriptSearch;
        QCOMPARE(emptyStateText("abc"), QString("No messages match “abc”."));
        QCOMPARE(emptyStateText(""), QString("Choose a bot from Settings → Choose Bot…"));
        QVERIFY(emptyStateVisible("abc", 0, true));
        QVERIFY(!emptyStateVisible("abc", 2, true));
        QVERIFY(emptyStateVisible("", 0, false));
        // A selected conversation without messages shows an empty column instead.
        QVERIFY(!emptyStateVisible("", 0, true));
    }

    void unreadFirstListAfterSelectionAddsNothing()
    {
        UnreadCounter counter;
        counter.windowResignedKey(botA);
        const QList<BotMessage> history{message("1", "a"), message("2", "b")};
        QCOMPARE(counter.messagesChanged({}, history, /*historyLoaded*/ false, false, botA), 0);
        QCOMPARE(counter.shownCount(false, botA), 0);
        const QList<BotMessage> next =
            history + QList<BotMessage>{message("3", "c"), message("4", "mine", true)};
        QCOMPARE(counter.messagesChanged(history, next, true, false, botA), 1);
        QCOMPARE(counter.shownCount(false, botA), 1);
        QCOMPARE(counter.shownCount(true, botA), 0);
    }

    void unreadIgnoresOlderHistoryFilledInBehindTheNewest()
    {
        // The cached history shows the newest message; the server's copy adds older ones.
        UnreadCounter counter;
        counter.windowResignedKey(botA);
        const QList<BotMessage> cached{message("10", "newest")};
        const QList<BotMessage> server{message("5", "old"), message("6", "older"), message("10", "newest")};
        QCOMPARE(counter.messagesChanged(cached, server, true, false, botA), 0);
        QCOMPARE(counter.messagesChanged(server, server + QList<BotMessage>{message("11", "new")}, true, false, botA),
                 1);
    }

    void unreadCountsOneArrivalOnceWhicheverReportComesFirst()
    {
        const QList<BotMessage> before{message("1", "a")};
        const QList<BotMessage> after{message("1", "a"), message("2", "b")};
        UnreadCounter countFirst;
        countFirst.windowResignedKey(botA);
        countFirst.updateLatest(1, false);
        countFirst.messagesChanged(before, after, true, false, botA);
        QCOMPARE(countFirst.shownCount(false, botA), 1);
        UnreadCounter listFirst;
        listFirst.windowResignedKey(botA);
        listFirst.messagesChanged(before, after, true, false, botA);
        listFirst.updateLatest(1, false);
        QCOMPARE(listFirst.shownCount(false, botA), 1);
    }

    void unreadIgnoresListsWhileKeyOrForAnotherBot()
    {
        UnreadCounter counter;
        const QList<BotMessage> before{message("1", "a")};
        const QList<BotMessage> after{message("1", "a"), message("2", "b")};
        QCOMPARE(counter.messagesChanged(before, after, true, /*key*/ true, botA), 0);
        counter.windowResignedKey(botA);
        QCOMPARE(counter.messagesChanged(before, after, true, false, botB), 0);
        QCOMPARE(counter.messagesChanged(before, after, true, false, std::nullopt), 0);
        QCOMPARE(counter.pendingUnreadCount(), 0);
    }

    void unreadFollowsTelegramCountAndKeyChanges()
    {
        UnreadCounter counter;
        counter.updateLatest(-3, false);
        QCOMPARE(counter.latestUnreadCount(), 0);
        counter.updateLatest(5, true);
        QCOMPARE(counter.pendingUnreadCount(), 0);
        QCOMPARE(counter.shownCount(false, std::nullopt), 5);
        counter.windowResignedKey(botA);
        QCOMPARE(counter.pendingUnreadCount(), 5);
        counter.messagesChanged({}, {message("9", "x")}, true, false, botA);
        QCOMPARE(counter.shownCount(false, botA), 6);
        // Telegram's count falls when the user reads elsewhere; the pending count holds.
        counter.updateLatest(1, false);
        QCOMPARE(counter.shownCount(false, botA), 6);
        // The pending count belongs to bot A only.
        QCOMPARE(counter.shownCount(false, botB), 1);
        counter.windowBecameKey();
        QCOMPARE(counter.pendingUnreadCount(), 0);
        QCOMPARE(counter.shownCount(false, botA), 1);
        counter.reset();
        QCOMPARE(counter.shownCount(false, std::nullopt), 0);
        QVERIFY(!counter.pendingUnreadBotID().has_value());
    }

    void pendingCountWithNothingSelected()
    {
        UnreadCounter counter;
        counter.windowResignedKey(std::nullopt);
        counter.updateLatest(4, false);
        counter.updateLatest(0, false);
        // Nothing selected and no bot recorded: the pending count counts.
        QCOMPARE(counter.shownCount(false, std::nullopt), 4);
        QCOMPARE(counter.shownCount(false, botA), 0);
    }

    void badgeAndToolTip_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("badge");
        QTest::addColumn<QString>("toolTip");
        QTest::newRow("none") << 0 << ""
                              << "Tessaly View";
        QTest::newRow("one") << 1 << "1"
                             << "Tessaly View · 1 unread messages";
        QTest::newRow("99") << 99 << "99"
                            << "Tessaly View · 99 unread messages";
        QTest::newRow("100") << 100 << "99+"
                             << "Tessaly View · 100 unread messages";
        QTest::newRow("120") << 120 << "99+"
                             << "Tessaly View · 120 unread messages";
    }
    void badgeAndToolTip()
    {
        QFETCH(int, count);
        QFETCH(QString, badge);
        QFETCH(QString, toolTip);
        QCOMPARE(UnreadCounter::badgeText(count), badge);
        QCOMPARE(UnreadCounter::statusToolTip(count), toolTip);
    }

    void syntheticRowsAreOrdinaryMessages()
    {
        const BotMessage typing = TypingIndicator::typingItem();
        QCOMPARE(typing.id, QString("typing-indicator"));
        QCOMPARE(typing.text, QString("Typing…"));
        QCOMPARE(typing.segments, QList<BotMessageSegment>{BotMessageSegment::makeText("Typing…")});
        QVERIFY(!typing.isOutgoing);
        QCOMPARE(typing.date, BotMessage::distantPast);
        QVERIFY(typing.buttons.isEmpty());
        QVERIFY(!typing.reply.has_value());
        const BotMessage progress = TypingIndicator::macProgressItem("Looking at the screen");
        QCOMPARE(progress.id, QString("mac-progress"));
        QCOMPARE(progress.segments.first().text, QString("Looking at the screen"));
        // They are filtered like any message.
        QCOMPARE(TranscriptSearch::filteredMessages({typing, progress}, "typing").size(), 1);
    }

    void insertedRowsAreNotCountedAsUnread()
    {
        UnreadCounter counter;
        counter.windowResignedKey(botA);
        const QList<BotMessage> history{message("1", "hi")};
        counter.messagesChanged({}, history, false, false, botA);
        const QList<BotMessage> typing = history + QList<BotMessage>{TypingIndicator::typingItem()};
        QCOMPARE(counter.messagesChanged(history, typing, true, false, botA), 0);
        const QList<BotMessage> progress =
            history + QList<BotMessage>{TypingIndicator::macProgressItem("Step 1")};
        QCOMPARE(counter.messagesChanged(typing, progress, true, false, botA), 0);
        QCOMPARE(counter.shownCount(false, botA), 0);
        // The bot's answer still counts.
        QCOMPARE(counter.messagesChanged(progress, history + QList<BotMessage>{message("2", "answer")}, true,
                                         false, botA),
                 1);
    }

    void typingAnimationCyclesDots()
    {
        QStringList texts;
        for (int tick = 1; tick <= 5; ++tick)
            texts << TypingIndicator::typingText(tick);
        QCOMPARE(texts, QStringList({"Typing.", "Typing..", "Typing...", "Typing", "Typing."}));
    }

    void typingItemFollowsTheWait()
    {
        TypingIndicator indicator;
        const QList<BotMessage> history{message("1", "hi"), message("2", "question", true)};
        auto update = indicator.update(history, {}, history);
        QVERIFY(!update.changed);

        indicator.setAwaitingReply(true, history);
        update = indicator.update(history, {}, history);
        QVERIFY(update.changed);
        QVERIFY(update.animateTyping);
        QCOMPARE(ids(update.messages), QStringList({"1", "2", "typing-indicator"}));
        QVERIFY(indicator.isTypingIndicatorShowing());

        // The user's own new message does not end the wait; the bot's does.
        const QList<BotMessage> own = history + QList<BotMessage>{message("3", "more", true)};
        QVERIFY(!indicator.messagesArrived(own));
        const QList<BotMessage> answered = own + QList<BotMessage>{message("4", "answer")};
        QVERIFY(indicator.messagesArrived(answered));
        update = indicator.update(answered, {}, update.messages);
        QCOMPARE(ids(update.messages), QStringList({"1", "2", "3", "4"}));
        QVERIFY(!update.animateTyping);
    }

    void macProgressReplacesTyping()
    {
        TypingIndicator indicator;
        indicator.setRemoteTyping(true);
        const QList<BotMessage> history{message("1", "hi")};
        auto update = indicator.update(history, {true, true, "Step 2"}, history);
        QCOMPARE(ids(update.messages), QStringList({"1", "mac-progress"}));
        QVERIFY(update.animateMacProgress);
        QVERIFY(!update.animateTyping);
        // A task without a start time shows neither row.
        update = indicator.update(history, {true, false, ""}, history);
        QVERIFY(!update.changed);
        // Same list as shown: nothing, timers included, is touched.
        const QList<BotMessage> shown{message("1", "hi"), TypingIndicator::macProgressItem("Step 2")};
        update = indicator.update(history, {true, true, "Step 2"}, shown);
        QVERIFY(!update.changed);
        QVERIFY(!update.animateMacProgress);
    }

    void planKeepsUnchangedRows()
    {
        const QList<BotMessage> displayed{message("1", "a"), message("2", "b"), message("3", "c", true)};
        const QSet<QString> rows{"1", "2", "3"};
        const QList<BotMessage> next{message("1", "a"), message("2", "b edited"), message("4", "new"),
                                     message("5", "mine", true)};
        const TranscriptPlan plan = TranscriptPlan::plan(next, "", displayed, rows, false);
        QCOMPARE(ids(plan.visible), QStringList({"1", "2", "4", "5"}));
        QCOMPARE(plan.removedRowIDs, QStringList({"3"}));
        QCOMPARE(plan.rebuiltIDs, (QSet<QString>{"2", "4", "5"}));
        QCOMPARE(ids(plan.fresh), QStringList({"4"}));

        const TranscriptPlan forced = TranscriptPlan::plan(next, "", displayed, rows, true);
        QCOMPARE(forced.rebuiltIDs, (QSet<QString>{"1", "2", "4", "5"}));
    }

    void planFiltersAndSkipsEphemeralAndRepeatedIDs()
    {
        BotMessage ephemeral = message("7", "alpha local copy");
        ephemeral.isEphemeral = true;
        const QList<BotMessage> next{message("1", "alpha"), ephemeral, message("8", "alpha one"),
                                     message("8", "alpha two")};
        const TranscriptPlan plan = TranscriptPlan::plan(next, "alpha", {}, {"8"}, false);
        QCOMPARE(ids(plan.visible), QStringList({"1", "7", "8"}));
        QCOMPARE(plan.visible[2].text, QString("alpha one"));
        QCOMPARE(plan.rebuiltIDs, (QSet<QString>{"1", "7", "8"}));
        QCOMPARE(plan.removedRowIDs, QStringList{});
        QCOMPARE(ids(plan.fresh), QStringList({"1", "8"}));
    }

    void historyLoadedBeforeTheLastMessageIsNotFresh()
    {
        // The chat's last message is published first, its history next, then a reply behind the typing row.
        BotMessage typing = message("typing-indicator", "Typing…");
        typing.isEphemeral = true;
        const QList<BotMessage> first{message("5", "last")};
        const QList<BotMessage> history{message("1", "old"), message("2", "mine", true),
                                        message("3", "older"), message("5", "last"), typing};
        QCOMPARE(ids(TranscriptPlan::plan(history, "", first, {"5"}, false).fresh), QStringList{});
        const QList<BotMessage> replied{message("1", "old"), message("5", "last"), message("6", "reply"),
                                        message("7", "more"), typing};
        QCOMPARE(ids(TranscriptPlan::plan(replied, "", history, {"1", "2", "3", "5"}, false).fresh),
                 QStringList({"6", "7"}));
    }

    void autoReadSkipsTheHistoryOnce()
    {
        AutoReadGate gate;
        QVERIFY(!gate.admit(true));
        gate.historyLoaded();
        QVERIFY(!gate.admit(true));
        QVERIFY(gate.admit(true));
        QVERIFY(!gate.admit(false));
        gate.reset();
        QVERIFY(!gate.admit(true));
    }

    void insetsTightenWithWidth_data()
    {
        QTest::addColumn<qreal>("width");
        QTest::addColumn<qreal>("message");
        QTest::addColumn<qreal>("column");
        QTest::newRow("wide") << 800.0 << 12.0 << 12.0;
        QTest::newRow("365") << 365.0 << 12.0 << 12.0;
        QTest::newRow("midway") << 332.5 << 9.0 << 8.0;
        QTest::newRow("300") << 300.0 << 6.0 << 4.0;
        QTest::newRow("narrower") << 120.0 << 6.0 << 4.0;
        QTest::newRow("not a number") << qQNaN() << 6.0 << 4.0;
    }
    void insetsTightenWithWidth()
    {
        QFETCH(qreal, width);
        QFETCH(qreal, message);
        QFETCH(qreal, column);
        const auto insets = TranscriptLayout::insets(width);
        QCOMPARE(insets.message, message);
        QCOMPARE(insets.column, column);
    }

    void atTheBottomWithinTheTolerance()
    {
        using TranscriptLayout::isAtBottom;
        QVERIFY(isAtBottom(303, 300, 0));
        QVERIFY(!isAtBottom(1000, 300, 990));
        QVERIFY(isAtBottom(1000, 300, 996));
    }

    void retryOnlyInTheSameConversation()
    {
        const LastSentMessage last{"100", "hello", std::nullopt};
        QVERIFY(last.canRetryIn(botA));
        QVERIFY(!last.canRetryIn(botB));
        QVERIFY(!last.canRetryIn(std::nullopt));
    }
};

TESSALY_TEST_GUILESS_MAIN(TestTranscript)
#include "test_transcript.moc"
