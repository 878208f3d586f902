// End to end: bot list, restored selection, history, sending, deletion and
// inline buttons through the real controller against the simulator.
#include "support/AppHarness.h"
#include "support/TestMain.h"

#include <QDir>
#include <QtTest>

namespace {

int countWithText(const QList<BotMessage> &messages, const QString &text, bool outgoing)
{
    int n = 0;
    for (const BotMessage &m : messages)
        n += m.text == text && m.isOutgoing == outgoing;
    return n;
}
} // namespace

class TestAppConversation : public QObject
{
    Q_OBJECT
private slots:
    void storedBotIsSelectedAndTheConversationWorks()
    {
        AppHarness h(R"({"scan_delay_ms":0,"reply_delay_ms":100,"send_delay_ms":50})", {}, [](SettingsStore &s) {
            s.setString("selectedBotChatID", "5000000101");
        });
        QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramAuthorized(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(h.app->selectedChat().has_value(), 10000);
        QCOMPARE(h.app->selectedChat()->id, kShowcase);
        // The list grows as the chat lists load: the stored bot may be selected before the rest arrive.
        const auto titles = [&] {
            QStringList list;
            for (const BotConversation &b : h.app->botChats())
                list.append(b.title);
            return list;
        };
        QTRY_VERIFY_WITH_TIMEOUT(titles().contains("Media Bot"), 10000);
        QVERIFY(!titles().contains("Alice")); // a person is not a bot conversation
        QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramMessages().size() >= 5, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(h.app->client()->historyFilePath(kShowcase)), 5000);

        // A sent text shows once: the pending copy collapses into the confirmed one.
        h.app->sendComposerText("hello from the e2e test");
        QTRY_VERIFY_WITH_TIMEOUT(countWithText(h.app->telegramMessages(), "hello from the e2e test", true) == 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                for (const BotMessage &m : h.app->telegramMessages())
                    if (!m.isOutgoing && m.text.contains("hello from the e2e test"))
                        return true;
                return false;
            }(),
            10000);
        QTest::qWait(300);
        QCOMPARE(countWithText(h.app->telegramMessages(), "hello from the e2e test", true), 1);

        // Deleting one of ours makes it disappear.
        QString mine;
        for (const BotMessage &m : h.app->telegramMessages())
            if (m.isOutgoing && m.text == "hello from the e2e test")
                mine = m.id;
        QVERIFY(!mine.isEmpty());
        h.app->client()->deleteMessage(mine, kShowcase, true);
        QTRY_COMPARE_WITH_TIMEOUT(countWithText(h.app->telegramMessages(), "hello from the e2e test", true), 0, 10000);

        // A pressed inline button makes the bot answer or edit.
        const QList<BotMessage> before = h.app->telegramMessages();
        const BotMessage *withButtons = nullptr;
        for (const BotMessage &m : before)
            if (!m.buttons.isEmpty())
                withButtons = &m;
        QVERIFY(withButtons);
        const BotMessage pressed = *withButtons;
        h.app->client()->pressInlineButton(pressed.buttons.first().first(), pressed.id, kShowcase);
        QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramMessages() != before, 10000);
    }

    void switchingBotsShowsOnlyTheNewConversation()
    {
        AppHarness h(R"({"scan_delay_ms":0})");
        QTRY_VERIFY_WITH_TIMEOUT(h.app->botChats().size() >= 2, 10000);
        QVERIFY(!h.app->selectedChat().has_value());
        BotConversation media;
        for (const BotConversation &b : h.app->botChats())
            if (b.title == "Media Bot")
                media = b;
        h.app->selectBot(media);
        QCOMPARE(h.settings->string("selectedBotChatID").value_or(""), media.id);
        QTRY_VERIFY_WITH_TIMEOUT(!h.app->telegramMessages().isEmpty(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(h.app->client()->historyFilePath(media.id)), 5000);
        // Every published message belongs to the media bot's chat: its archive holds only that chat.
        QFile archive(h.app->client()->historyFilePath(media.id));
        QVERIFY(archive.open(QIODevice::ReadOnly));
        for (const QJsonValue &v : QJsonDocument::fromJson(archive.readAll()).array())
            QCOMPARE(QString::number(v.toObject()["chat_id"].toInteger()), media.id);
    }
};

TESSALY_TEST_MAIN(TestAppConversation)
#include "test_app_conversation.moc"
