// The bot face wired to the real controller, against the simulator: the
// typing item around a sent message, the delete sheet, and theme changes
// with no settings window open.
#include "settings/AppTheme.h"
#include "support/AppHarness.h"
#include "support/TestMain.h"
#include "ui/BotFaceView.h"
#include "ui/ComposerTextView.h"
#include "ui/ComposerView.h"
#include "ui/TelegramMessageRow.h"
#include "ui/TranscriptController.h"
#include "ui/TranscriptView.h"

#include <QToolButton>
#include <QtTest>

namespace {

QString lastRowID(const AppHarness &h)
{
    TelegramMessageRow *row = h.app->botFace()->transcriptView()->lastRow();
    return row ? row->message().id : QString();
}

void signInWithShowcaseBot(AppHarness &h)
{
    QTRY_VERIFY_WITH_TIMEOUT(h.app->selectedChat().has_value(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramMessages().size() >= 5, 10000);
}

} // namespace

class TestBotFaceApp : public QObject
{
    Q_OBJECT
private slots:
    void sendingShowsTypingUntilTheBotAnswersAndOwnMessagesAreDeletedForEveryone()
    {
        AppHarness h(R"({"scan_delay_ms":0,"reply_delay_ms":400,"send_delay_ms":50})", {},
                     [](SettingsStore &s) { s.setString("selectedBotChatID", "5000000101"); });
        signInWithShowcaseBot(h);
        BotFaceView *face = h.app->botFace();
        face->composer()->input()->setPlainText(QStringLiteral("  ping from the face  "));
        QTest::keyClick(face->composer()->input(), Qt::Key_Return);
        QVERIFY(face->composer()->input()->toPlainText().isEmpty());
        QCOMPARE(lastRowID(h), QStringLiteral("typing-indicator"));
        QVERIFY(face->composer()->isRetryEnabled());
        // The bot's echo ends the wait.
        QTRY_VERIFY_WITH_TIMEOUT(lastRowID(h) != QStringLiteral("typing-indicator"), 10000);
        QVERIFY(!face->transcript()->awaitingReply());

        TelegramMessageRow *mine = nullptr;
        for (TelegramMessageRow *row : face->transcriptView()->orderedRows())
            if (row->message().isOutgoing && row->message().text == QStringLiteral("ping from the face"))
                mine = row;
        QVERIFY(mine);
        const QString id = mine->message().id;
        h.alerts.script.push_back(ScriptedAlerts::button(1));
        mine->actionButton(QStringLiteral("trash"))->click();
        QTRY_COMPARE(face->statusText(), QStringLiteral("Message deleted."));
        QCOMPARE(h.alerts.presented.last().informativeText,
                 QStringLiteral("It will be removed from this conversation for everyone."));
        QVERIFY(!face->transcriptView()->row(id));
        // The simulator confirms the deletion: the message stays gone.
        QTest::qWait(300);
        for (const BotMessage &m : h.app->telegramMessages())
            QVERIFY(m.id != id);
    }

    void themeChangesRecolourTheFaceWithoutASettingsWindow()
    {
        AppHarness h(R"({"scan_delay_ms":0})", {},
                     [](SettingsStore &s) { s.setString("selectedBotChatID", "5000000101"); });
        signInWithShowcaseBot(h);
        BotFaceView *face = h.app->botFace();
        TranscriptView *transcript = face->transcriptView();
        const AppTheme ocean(AppTheme::ocean);

        h.app->changeTheme(ocean);
        QCOMPARE(h.settings->string("appTheme").value_or(QString()), QStringLiteral("ocean"));
        QCOMPARE(face->statusText(), QStringLiteral("Theme set to Ocean."));
        QCOMPARE(transcript->viewport()->palette().color(QPalette::Window), ocean.transcriptColors().dark);
        QCOMPARE(face->transcript()->theme().theme, ocean);

        // The theme already set changes nothing and says nothing.
        face->showStatus(QStringLiteral("unchanged"));
        h.app->changeTheme(ocean);
        QCOMPARE(face->statusText(), QStringLiteral("unchanged"));

        // Light appearance: the composer surface is pure white for every theme.
        h.app->updateAppearance(true);
        QVERIFY(h.settings->plainBool("lightAppearance"));
        QCOMPARE(face->composer()->input()->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(transcript->viewport()->palette().color(QPalette::Window), ocean.transcriptColors().light);
        h.app->updateAppearance(false);
        QCOMPARE(face->composer()->input()->palette().color(QPalette::Base), ocean.composerColors().dark);
    }
};

TESSALY_TEST_MAIN(TestBotFaceApp)
#include "test_botface_app.moc"
