// The bot list and the selection: reconciling new lists, the stored choice,
// stale lists after a switch, and the chooser's answer.
#include "chat/BotSelection.h"
#include "settings/SettingsStore.h"
#include "support/TestMain.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
BotConversation bot(const QString &id, const QString &title, int unread = 0)
{
    return BotConversation{id, title, unread};
}
} // namespace

class TestBotSelection : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<SettingsStore>(m_dir->filePath("settings.json"));
    }

    void aNewListRefreshesTheSelectionOrKeepsIt()
    {
        BotSelection selection(*m_settings);
        QVERIFY(!selection.reconcile({bot("1", "alpha"), bot("2", "Beta")}));
        selection.select(bot("2", "Beta"));
        selection.selectionSent();
        QVERIFY(!selection.reconcile({bot("1", "alpha"), bot("2", "Beta renamed", 4)}));
        QCOMPARE(selection.selectedChat()->title, QString("Beta renamed"));
        QCOMPARE(selection.selectedUnreadCount(), 4);
        // A list without it keeps the selection (and so its transcript).
        QVERIFY(!selection.reconcile({bot("1", "alpha")}));
        QCOMPARE(selection.selectedChatID(), std::optional<QString>("2"));
        QCOMPARE(selection.selectedUnreadCount(), 0);
    }

    void theStoredChoiceIsOfferedOnceListedAndSurvivesSigningOut()
    {
        BotSelection first(*m_settings);
        first.select(bot("2", "Beta"));
        first.reset();
        QVERIFY(!first.selectedChat());
        // The next sign-in (or run) finds it as soon as a list holds it.
        QVERIFY(!first.reconcile({bot("1", "alpha")}));
        QCOMPARE(first.reconcile({bot("1", "alpha"), bot("2", "Beta")})->id, QString("2"));
    }

    void onlyListsOfTheSelectedChatAfterTheSwitchAreAccepted()
    {
        BotSelection selection(*m_settings);
        QVERIFY(!selection.accepts("1"));
        selection.select(bot("1", "alpha"));
        // What the client publishes while switching is the old chat emptied.
        QVERIFY(!selection.accepts("1"));
        selection.selectionSent();
        QVERIFY(selection.accepts("1"));
        QVERIFY(!selection.accepts("2"));
        QVERIFY(selection.historyArrived());
        QVERIFY(!selection.historyArrived());
        QVERIFY(selection.selectedChatHistoryLoaded());
        selection.select(bot("2", "Beta"));
        selection.selectionSent();
        QVERIFY(!selection.accepts("1"));
        QVERIFY(!selection.selectedChatHistoryLoaded());
    }

    void theChooserAnswersOnlyForTheListItShowed()
    {
        BotSelection selection(*m_settings);
        QCOMPARE(selection.chooserRequest().message, QString("No bot conversations found"));
        QCOMPARE(selection.chooserRequest().dismissalAnswer(), 0);
        const QList<BotConversation> shown{bot("1", "alpha"), bot("2", "Beta")};
        selection.reconcile(shown);
        selection.select(shown[1]);
        const AlertRequest request = selection.chooserRequest();
        QCOMPARE(request.items, QStringList({"alpha", "Beta"}));
        QCOMPARE(request.selectedIndex, 1);
        QCOMPARE(request.dismissalAnswer(), 1);
        QCOMPARE(BotSelection::chosen({0, {}, 0}, shown, shown)->id, QString("1"));
        QVERIFY(!BotSelection::chosen({1, {}, 0}, shown, shown));
        QVERIFY(!BotSelection::chosen({0, {}, 2}, shown, shown));
        QVERIFY(!BotSelection::chosen({0, {}, 0}, shown, {bot("3", "gamma")}));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_settings;
};

TESSALY_TEST_MAIN(TestBotSelection)
#include "test_botselection.moc"
