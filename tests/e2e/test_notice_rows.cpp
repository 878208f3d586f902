// End to end: the notices of the demo bot and of the Mac task replies, as
// their rows show them, through the real controller against the simulator.
#include "agent/MacAccess.h"
#include "chat/ChatNotice.h"
#include "support/AppHarness.h"
#include "support/TestMain.h"
#include "ui/BotFaceView.h"
#include "ui/TelegramMessageRow.h"
#include "ui/TranscriptController.h"
#include "ui/TranscriptView.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

std::optional<BotMessage> findMessage(const AppHarness &h, const QString &text)
{
    for (const BotMessage &m : h.app->telegramMessages())
        if (m.text == text)
            return m;
    return std::nullopt;
}

} // namespace

class TestNoticeRows : public QObject
{
    Q_OBJECT
    QTemporaryDir m_home;

private slots:
    void initTestCase()
    {
        // Whatever the Mac task side writes stays in a throw-away home.
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_STATE_HOME", QFile::encodeName(m_home.filePath("state")));
    }

    void noticeBodiesCarryNoStrayPunctuation()
    {
        AppHarness h(R"({"scan_delay_ms":0,"reply_delay_ms":100,"send_delay_ms":50})", {},
                     [](SettingsStore &s) { s.setString("selectedBotChatID", kShowcase); });
        QTRY_VERIFY_WITH_TIMEOUT(h.app->selectedChat().has_value(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramMessages().size() >= 5, 10000);
        h.app->macAccess()->setMacAccess(MacAccessLevel::full);

        // The bot's notices, and a Mac task from another device that the user cancels.
        h.app->sendComposerText(QStringLiteral("/notices"));
        h.alerts.script.push_back(ScriptedAlerts::button(1));
        AppHarness::configure(QJsonDocument(QJsonObject{{"command", "inject_outgoing"},
                                                        {"chat_id", kShowcase.toLongLong()},
                                                        {"text", "/mac lock the screen"}})
                                  .toJson(QJsonDocument::Compact));
        const QString cancelled = QStringLiteral("■ Mac task cancelled.");
        QTRY_VERIFY_WITH_TIMEOUT(findMessage(h, cancelled) && findMessage(h, "Reminder\nWater the plants."),
                                 15000);

        TranscriptView *view = h.app->botFace()->transcript()->view();
        const auto bodyOf = [view](const BotMessage &message) {
            const TelegramMessageRow *row = view->row(message.id);
            return row ? row->visibleText() : QStringLiteral("<no row>");
        };
        QTRY_COMPARE(bodyOf(*findMessage(h, cancelled)), QString());
        const auto reminder =
            findMessage(h, "Reminder\nStand-up in 10 minutes.\nBring the release checklist.");
        QVERIFY(reminder);
        QCOMPARE(bodyOf(*reminder), QStringLiteral("Stand-up in 10 minutes.\nBring the release checklist."));
        int notices = 0;
        for (const BotMessage &m : h.app->telegramMessages()) {
            if (!ChatNotice::chatNotice(m.text))
                continue;
            ++notices;
            const QString body = bodyOf(m);
            // Punctuation that belongs to the title line shows as a stray body.
            QVERIFY2(!body.startsWith(u'.') && !body.startsWith(u':'), qPrintable(m.text + " -> " + body));
        }
        QVERIFY(notices >= 8);
    }
};

TESSALY_TEST_MAIN(TestNoticeRows)
#include "test_notice_rows.moc"
