#include "chat/TypingIndicator.h"
#include "speech/MessageSpeaker.h"
#include "support/FakeSpeechEngine.h"
#include "support/TestMain.h"
#include "ui/AudioPlayback.h"
#include "ui/CodeBlockView.h"
#include "ui/TelegramMessageRow.h"
#include "ui/TranscriptController.h"
#include "ui/TranscriptView.h"

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

namespace {

BotMessage message(const QString &id, const QString &text, bool outgoing = false)
{
    BotMessage m;
    m.id = id;
    m.text = text;
    m.segments = {BotMessageSegment::makeText(text)};
    m.isOutgoing = outgoing;
    m.date = 1700000000 + id.toLongLong();
    return m;
}

QList<BotMessage> conversation(int count)
{
    QList<BotMessage> list;
    for (int i = 1; i <= count; ++i)
        list << message(QString::number(i), QStringLiteral("Message number %1").arg(i), i % 2 == 0);
    return list;
}

class NullSink : public AudioSink
{
public:
    void play(const QString &, std::function<void()>) override {}
    void stop() override {}
};

// A transcript on screen with its controller, as the bot face builds it.
struct Transcript
{
    TranscriptView view;
    AudioPlayback audio{std::make_unique<NullSink>(), {}};
    MessageSpeaker speaker;
    TranscriptController controller{&view, &audio, &speaker, nullptr};

    Transcript()
    {
        view.resize(365, 400);
        view.show();
        controller.setConversation(QStringLiteral("42"));
    }
    QStringList ids() const
    {
        QStringList ids;
        for (TelegramMessageRow *row : view.orderedRows())
            ids << row->message().id;
        return ids;
    }
};

} // namespace

class TestTranscriptView : public QObject
{
    Q_OBJECT
private slots:
    void changedMessageGetsNewRowInPlace()
    {
        Transcript t;
        QList<BotMessage> list = conversation(5);
        t.controller.showMessages(list, true, false);
        const QList<TelegramMessageRow *> before = t.view.orderedRows();
        QCOMPARE(before.size(), 5);

        list[2].text = QStringLiteral("Edited by the bot");
        list[2].segments = {BotMessageSegment::makeText(list[2].text)};
        t.controller.showMessages(list, true, false);
        const QList<TelegramMessageRow *> after = t.view.orderedRows();
        QCOMPARE(after.size(), 5);
        for (int i : {0, 1, 3, 4})
            QCOMPARE(after[i], before[i]);
        QVERIFY(after[2] != before[2]);
        QCOMPARE(after[2]->message().text, QStringLiteral("Edited by the bot"));
        QCOMPARE(t.view.row(QStringLiteral("3")), after[2]);
    }

    void rowsMoveInsteadOfRebuilding()
    {
        Transcript t;
        QList<BotMessage> list = conversation(4);
        t.controller.showMessages(list, true, false);
        QHash<QString, TelegramMessageRow *> rows = t.view.messageRows();

        // The oldest leaves (the timeline keeps 50), one arrives, two swap.
        list.removeFirst();
        list.swapItemsAt(0, 1);
        list << message(QStringLiteral("9"), QStringLiteral("new"));
        t.controller.showMessages(list, true, false);
        QCOMPARE(t.ids(), (QStringList{"3", "2", "4", "9"}));
        for (const char *id : {"2", "3", "4"})
            QCOMPARE(t.view.row(id), rows.value(id));
        QVERIFY(!t.view.messageRows().contains(QStringLiteral("1")));
        QCOMPARE(t.view.messageRows().size(), 4);
    }

    void forcedRebuildReplacesEveryRow()
    {
        Transcript t;
        t.controller.showMessages(conversation(3), true, false);
        const QList<TelegramMessageRow *> before = t.view.orderedRows();
        t.controller.setFontScale(1.2);
        const QList<TelegramMessageRow *> after = t.view.orderedRows();
        QCOMPARE(after.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QVERIFY(after[i] != before[i]);
            QCOMPARE(after[i]->fontScale(), 1.2);
        }
    }

    void searchFiltersAndShowsEmptyState_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<bool>("empty");
        QTest::newRow("case ignored") << "ABC" << QStringList{"1", "3"} << false;
        QTest::newRow("quoted reply") << "quoted" << QStringList{"2"} << false;
        QTest::newRow("only spaces") << "   " << QStringList{"1", "2", "3"} << false;
        QTest::newRow("no hits") << "abc zzz" << QStringList{} << true;
    }
    void searchFiltersAndShowsEmptyState()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, ids);
        QFETCH(bool, empty);
        Transcript t;
        QList<BotMessage> list{message("1", "xAbCx"), message("2", "plain"), message("3", "abc")};
        list[1].reply = BotReply{QStringLiteral("Bot"), QStringLiteral("the Quoted text"), false};
        t.controller.showMessages(list, true, false);
        t.controller.searchChanged(query);
        QCOMPARE(t.ids(), ids);
        QCOMPARE(t.view.isEmptyStateShowing(), empty);
        if (empty)
            QCOMPARE(t.view.emptyStateText(), QStringLiteral(u"No messages match \u201Cabc zzz\u201D."));
        // Clearing the search shows everything again.
        t.controller.searchChanged(QString());
        QCOMPARE(t.ids().size(), 3);
    }

    void typingItemAppearsOnSendAndGoesWhenBotAnswers()
    {
        Transcript t;
        QList<BotMessage> list = conversation(2);
        t.controller.setTelegramMessages(list);
        t.controller.updateTypingIndicator();
        QCOMPARE(t.ids(), (QStringList{"1", "2"}));

        list << message(QStringLiteral("3"), QStringLiteral("sent by me"), true);
        t.controller.setTelegramMessages(list);
        t.controller.setAwaitingReply(true);
        QCOMPARE(t.ids().last(), TypingIndicator::typingItemID);
        QVERIFY(t.controller.isTypingAnimating());

        // The user's own message confirmed does not end the wait.
        t.controller.setTelegramMessages(list);
        t.controller.messagesArrived();
        t.controller.updateTypingIndicator();
        QCOMPARE(t.ids().last(), TypingIndicator::typingItemID);

        list << message(QStringLiteral("4"), QStringLiteral("the bot answers"));
        t.controller.setTelegramMessages(list);
        t.controller.messagesArrived();
        t.controller.updateTypingIndicator();
        QCOMPARE(t.ids(), (QStringList{"1", "2", "3", "4"}));
        QVERIFY(!t.controller.isTypingAnimating());
    }

    void typingAnimationTicksOnlyWhileVisible()
    {
        Transcript t;
        t.controller.setTelegramMessages(conversation(1));
        t.controller.setAwaitingReply(true);
        TelegramMessageRow *typing = t.view.lastRow();
        QVERIFY(typing);
        QTRY_COMPARE_WITH_TIMEOUT(typing->visibleText(), QStringLiteral("Typing."), 2000);
        t.view.hide();
        QVERIFY(!t.controller.isTypingAnimating());
        t.view.show();
        QVERIFY(t.controller.isTypingAnimating());
    }

    void remoteTypingExpiresUnlessAwaitingReply()
    {
        Transcript t;
        t.controller.setTypingExpiryInterval(60);
        t.controller.setTelegramMessages(conversation(1));
        t.controller.setRemoteTyping(true);
        QCOMPARE(t.ids().last(), TypingIndicator::typingItemID);
        QTRY_COMPARE_WITH_TIMEOUT(t.ids(), QStringList{"1"}, 2000);
        QVERIFY(!t.controller.remoteTypingActive());

        t.controller.setAwaitingReply(true);
        t.controller.setRemoteTyping(true);
        QTest::qWait(200);
        QCOMPARE(t.ids().last(), TypingIndicator::typingItemID);
    }

    void macProgressReplacesTypingItem()
    {
        Transcript t;
        t.controller.setTelegramMessages(conversation(1));
        t.controller.setAwaitingReply(true);
        QSignalSpy shown(&t.controller, &TranscriptController::macProgressShown);
        t.controller.setMacTask(
            TypingIndicator::MacTask{true, true, QStringLiteral("Looking at the screen")});
        QCOMPARE(t.ids(), (QStringList{"1", TypingIndicator::macProgressItemID}));
        QCOMPARE(shown.size(), 1);
        QVERIFY(!t.controller.isTypingAnimating());
        t.controller.setMacTask(std::nullopt);
        QCOMPARE(t.ids().last(), TypingIndicator::typingItemID);
    }

    void freshBotMessagesAreHandedOnAfterTheHistory()
    {
        Transcript t;
        QList<QStringList> handed;
        t.controller.autoReadEnabled = [] { return true; };
        t.controller.onFreshMessages = [&handed](const QList<BotMessage> &fresh) {
            QStringList ids;
            for (const BotMessage &m : fresh)
                ids << m.id;
            handed << ids;
        };
        t.controller.autoReadGate().historyLoaded();
        QList<BotMessage> list = conversation(3);
        t.controller.showMessages(list, true, false);
        QVERIFY(handed.isEmpty());
        list << message(QStringLiteral("7"), QStringLiteral("news")) << message("8", "mine", true);
        t.controller.showMessages(list, true, false);
        QCOMPARE(handed, (QList<QStringList>{{"7"}}));

        // The rows the application inserts are no news from the bot.
        t.controller.setTelegramMessages(list);
        t.controller.setAwaitingReply(true);
        QCOMPARE(t.ids().last(), TypingIndicator::typingItemID);
        t.controller.setMacTask(TypingIndicator::MacTask{true, true, QStringLiteral("Step 1")});
        QCOMPARE(t.ids().last(), TypingIndicator::macProgressItemID);
        QCOMPARE(handed.size(), 1);
    }

    void readAloudButtonTogglesOneRowAtATime()
    {
        Transcript t;
        FakeSpeech speech;
        t.speaker.setEngineFactory(speech.factory());
        QList<BotMessage> list{message("1", "**Hello** [docs](https://example.com)"),
                               message("3", "```\nonly code\n```"), message("5", "Other")};
        t.controller.showMessages(list, true, false);
        const auto button = [&](const QString &id) {
            return t.view.messageRows().value(id)->actionButton(QStringLiteral("speaker.wave.2"));
        };
        const QString read = QStringLiteral("Read message aloud");
        const QString stop = QStringLiteral("Stop reading");

        button("1")->click();
        QCOMPARE(speech.said(), QStringList{"Hello docs"});
        QCOMPARE(button("1")->toolTip(), stop);
        QCOMPARE(button("1")->accessibleName(), stop);

        // Nothing is left of a code-only message: its button does nothing.
        button("3")->click();
        QCOMPARE(button("3")->toolTip(), read);
        QCOMPARE(speech.said().size(), 1);

        // Another row takes over and the first one's button comes back.
        button("5")->click();
        QCOMPARE(button("1")->toolTip(), read);
        QCOMPARE(button("5")->toolTip(), stop);
        QCOMPARE(speech.engine->stops, 1);

        // Pressing the speaking row stops it; pressing again reads from the beginning.
        button("5")->click();
        QCOMPARE(button("5")->toolTip(), read);
        QVERIFY(!t.speaker.isSpeaking());
        button("5")->click();
        QCOMPARE(speech.said(), (QStringList{"Hello docs", "Other", "Other"}));
        QCOMPARE(button("5")->toolTip(), stop);

        // Spoken to the end: the button comes back by itself.
        speech.engine->finishCurrent();
        QTRY_COMPARE(button("5")->toolTip(), read);
    }

    void removedOrRebuiltRowStopsItsSpeechAtOnce()
    {
        Transcript t;
        FakeSpeech speech;
        t.speaker.setEngineFactory(speech.factory());
        QList<BotMessage> list{message("1", "First"), message("2", "Second")};
        t.controller.showMessages(list, true, false);
        t.view.messageRows().value("2")->actionButton(QStringLiteral("speaker.wave.2"))->click();
        QVERIFY(t.speaker.isSpeaking());

        // The row is deleted only later; its speech ends now.
        list.removeLast();
        t.controller.showMessages(list, true, false);
        QVERIFY(!t.speaker.isSpeaking());
        QCOMPARE(speech.engine->stops, 1);

        // An edited message gets a new row, which is not reading.
        t.view.messageRows().value("1")->actionButton(QStringLiteral("speaker.wave.2"))->click();
        list[0].text = list[0].segments[0].text = QStringLiteral("First, edited");
        t.controller.showMessages(list, true, false);
        QVERIFY(!t.speaker.isSpeaking());
        QCOMPARE(t.view.messageRows().value("1")->actionButton(QStringLiteral("speaker.wave.2"))->toolTip(),
                 QStringLiteral("Read message aloud"));
    }

    void staysPinnedToTheBottom()
    {
        Transcript t;
        QList<BotMessage> list = conversation(30);
        t.controller.showMessages(list, true, false);
        QScrollBar *bar = t.view.verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QTRY_COMPARE(bar->value(), bar->maximum());
        list << message(QStringLiteral("99"), QStringLiteral("one more\nwith\nseveral\nlines"));
        t.controller.showMessages(list, false, false);
        QTRY_COMPARE(bar->value(), bar->maximum());

        // Scrolled up by the user: a new message does not pull the view down.
        QTest::qWait(50);
        bar->setValue(0);
        list << message(QStringLiteral("100"), QStringLiteral("and another"));
        t.controller.showMessages(list, false, false);
        QTest::qWait(20);
        QCOMPARE(bar->value(), 0);
    }

    void onlyNewMessagesAtTheEndOrTheUsersSendMoveTheView()
    {
        Transcript t;
        QList<BotMessage> list = conversation(30);
        list[20].buttons = {{{"Like", "bGlrZQ=="}}};
        t.controller.setTelegramMessages(list);
        t.controller.updateTypingIndicator();
        QScrollBar *bar = t.view.verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QTRY_COMPARE(bar->value(), bar->maximum());

        // Scrolled up to press "Like": the bot edits that message and the one above it.
        QTest::qWait(20);
        const int scrolled = bar->maximum() / 2;
        bar->setValue(scrolled);
        list[20].buttons = {{{"Like (1)", "bGlrZQ=="}}};
        list[3].text = QStringLiteral("edited above");
        list[3].segments = {BotMessageSegment::makeText(list[3].text)};
        t.controller.setTelegramMessages(list);
        t.controller.updateTypingIndicator();
        QTest::qWait(50);
        QCOMPARE(bar->value(), scrolled);
        QCOMPARE(t.view.row(QStringLiteral("21"))->message().buttons[0][0].text, QStringLiteral("Like (1)"));

        // A bot message at the end does not pull the view down either.
        list << message(QStringLiteral("31"), QStringLiteral("news"));
        t.controller.setTelegramMessages(list);
        t.controller.updateTypingIndicator();
        QTest::qWait(50);
        QCOMPARE(bar->value(), scrolled);

        // The user's own send does.
        list << message(QStringLiteral("32"), QStringLiteral("mine"), true);
        t.controller.setTelegramMessages(list);
        t.controller.setAwaitingReply(true);
        QTRY_COMPARE(bar->value(), bar->maximum());

        // Pinned to the end, the view stays there through edits and new messages.
        list[3].text = QStringLiteral("edited again, and this time much longer than before, over lines");
        list[3].segments = {BotMessageSegment::makeText(list[3].text)};
        list << message(QStringLiteral("33"), QStringLiteral("the answer"));
        t.controller.setTelegramMessages(list);
        t.controller.messagesArrived();
        t.controller.updateTypingIndicator();
        QTest::qWait(50);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(t.view.lastRow()->message().id, QStringLiteral("33"));
    }

    void longCodeLinesScrollSidewaysAndTheWheelStillScrollsTheTranscript()
    {
        Transcript t;
        QList<BotMessage> list = conversation(20);
        BotMessage code = message(QStringLiteral("21"), QString());
        const QString source =
            QStringLiteral("short\n") + QString(400, QLatin1Char('x')) + QStringLiteral("\nend");
        code.segments = {BotMessageSegment::makeCode(QStringLiteral("text"), source)};
        code.text = source;
        list.insert(10, code);
        t.controller.showMessages(list, true, false);
        CodeBlockView *block = t.view.row(QStringLiteral("21"))->codeBlocks().value(0);
        QVERIFY(block);
        QScrollBar *sideways = block->horizontalScrollBar();
        QScrollBar *transcript = t.view.verticalScrollBar();
        QTRY_VERIFY(sideways->maximum() > 0);
        QTRY_VERIFY(transcript->maximum() > 0);
        // The whole code shows, with the scroll bar below it.
        QTRY_VERIFY(block->codeViewport()->height() >=
                    block->findChild<QLabel *>("codeText")->sizeHint().height());
        t.view.ensureWidgetVisible(block);
        QTest::qWait(20);

        // Events as the window system delivers them, so an unused one travels on to the parents.
        auto wheel = [&](QPoint angle, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            QWidget *viewport = block->codeViewport();
            const QPointF at(viewport->width() / 2.0, viewport->height() / 2.0);
            QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), angle, Qt::NoButton, modifiers,
                              Qt::NoScrollPhase, false);
            QSpontaneKeyEvent::setSpontaneous(&event);
            qApp->notify(viewport, &event);
        };
        const int top = transcript->value();
        wheel(QPoint(0, -120), Qt::ShiftModifier);
        QVERIFY(sideways->value() > 0);
        QCOMPARE(transcript->value(), top);
        const int right = sideways->value();
        wheel(QPoint(120, 0));
        QVERIFY(sideways->value() < right);

        // An upright wheel over the code scrolls the transcript, not the code.
        const int across = sideways->value();
        wheel(QPoint(0, top > 0 ? 120 : -120));
        QVERIFY(transcript->value() != top);
        QCOMPARE(sideways->value(), across);
    }

    void rowsFitTheirContent()
    {
        Transcript t;
        BotMessage quoted =
            message(QStringLiteral("1"), QStringLiteral("You asked what I can do: everything above, "
                                                        "and the buttons below."));
        quoted.reply = BotReply{QStringLiteral("You"), QStringLiteral("what you can do"), true};
        t.controller.showMessages({quoted}, true, false);
        TelegramMessageRow *row = t.view.lastRow();
        QTRY_COMPARE(row->width(), t.view.viewport()->width() - 24);
        QTRY_COMPARE(row->height(), row->heightForWidth(row->width()));
        // No text is given more height than its lines need.
        QVERIFY(!row->messageBodies().isEmpty());
        for (QLabel *body : row->messageBodies())
            QCOMPARE(body->height(), body->heightForWidth(body->width()));
    }

    void insetsTightenInNarrowWindows()
    {
        Transcript t;
        t.controller.showMessages(conversation(2), true, false);
        t.view.updateTranscriptInsets(300);
        QCOMPARE(t.view.messageInset(), 6.0);
        t.view.updateTranscriptInsets(365);
        QCOMPARE(t.view.messageInset(), 12.0);
    }
};

TESSALY_TEST_MAIN(TestTranscriptView)
#include "test_transcriptview.moc"
