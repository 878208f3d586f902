// End to end: what the controller keeps across sign-in, sign-out, selection and
// quitting, and that saving an attachment never loses the file it replaces.
#include "support/AppHarness.h"
#include "support/TestMain.h"
#include "ui/ComposerTextView.h"
#include "ui/ComposerView.h"
#include "ui/StatusItem.h"
#include "ui/TranscriptController.h"

#include <QFile>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

namespace {

bool showsRow(AppHarness &h, const QString &id)
{
    for (const BotMessage &m : h.app->botFace()->transcript()->displayedMessages())
        if (m.id == id)
            return true;
    return false;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class TestAppState : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { AppHarness::environmentHook = {}; }

    void cancellingTheSignInShowsANewCodeAndKeepsRunning()
    {
        // The quit fallback is shortened, so a wrongly armed one would fire within the test.
        AppHarness::environmentHook = [](AppEnvironment &env) { env.terminationFallbackMs = 50; };
        AppHarness h;
        QTRY_VERIFY_WITH_TIMEOUT(h.app->signInView()->isShowingQR(), 10000);
        const QImage first = h.app->signInView()->qrImage();
        h.app->cancelLogin();
        QTRY_VERIFY_WITH_TIMEOUT(h.app->signInView()->isShowingQR() && h.app->signInView()->qrImage() != first, 10000);
        QTest::qWait(250);
        QVERIFY(!h.terminationConfirmed);
        QVERIFY(!h.app->isTerminating());
    }

    void signingOutWhileTypingLeavesNoOldRows()
    {
        AppHarness h(R"({"scan_delay_ms":0,"reply_delay_ms":60000})", {},
                     [](SettingsStore &s) { s.setString("selectedBotChatID", kMediaBot); });
        TranscriptController *transcript = h.app->botFace()->transcript();
        transcript->setTypingExpiryInterval(100);
        QTRY_VERIFY_WITH_TIMEOUT(!h.app->telegramMessages().isEmpty(), 10000);
        h.app->sendComposerText("are you there?");
        QTRY_VERIFY_WITH_TIMEOUT(showsRow(h, "typing-indicator"), 10000);
        AppHarness::configure(R"({"command":"chat_action","chat_id":5000000102,"action":"chatActionTyping"})");
        QTRY_VERIFY_WITH_TIMEOUT(transcript->remoteTypingActive(), 10000);

        AppHarness::configure(R"({"scan_delay_ms":"never"})");
        h.alerts.script.push_back(ScriptedAlerts::button(0));
        h.app->logOut();
        QTRY_VERIFY_WITH_TIMEOUT(!h.app->telegramAuthorized() && h.app->botChats().isEmpty(), 10000);
        // The typing notice expires after the reset: nothing of the old account comes back.
        QTRY_VERIFY_WITH_TIMEOUT(!transcript->remoteTypingActive(), 5000);
        QVERIFY(transcript->displayedMessages().isEmpty());
        QVERIFY(h.app->telegramMessages().isEmpty());
        QVERIFY(!transcript->awaitingReply());
        QVERIFY(!h.app->selectedChat());

        // Signed in again, the stored bot comes back with its history only.
        QTRY_VERIFY_WITH_TIMEOUT(h.app->signInView()->isShowingQR(), 10000);
        AppHarness::configure(R"({"command":"scan"})");
        QTRY_VERIFY_WITH_TIMEOUT(h.app->selectedChat() && !h.app->telegramMessages().isEmpty(), 10000);
        QVERIFY(!showsRow(h, "typing-indicator"));
        QVERIFY(!transcript->awaitingReply());
    }

    void theFirstHistoryOfASelectionIsNotUnread()
    {
        AppHarness h(R"({"scan_delay_ms":"never"})", {},
                     [](SettingsStore &s) { s.setString("selectedBotChatID", kMediaBot); });
        // Another window has the focus, so new messages would count.
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(!h.app->window()->isKey(), 5000);

        QTRY_VERIFY_WITH_TIMEOUT(h.app->signInView()->isShowingQR(), 10000);
        AppHarness::configure(R"({"command":"scan"})");
        QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramMessages().size() >= 5, 10000);
        // The cached history holds one message; five or more are the server's copy, counted by now.
        QCOMPARE(h.app->pendingUnreadCount(), 0);
        QVERIFY(!h.app->window()->isKey());

        AppHarness::configure(R"({"command":"inject_message","chat_id":5000000102,"text":"news"})");
        QTRY_COMPARE_WITH_TIMEOUT(h.app->pendingUnreadCount(), 1, 10000);
        QCOMPARE(h.app->statusItem()->toolTip(), QStringLiteral("Tessaly View \u00B7 1 unread messages"));
        h.app->window()->activateWindow();
        QTRY_COMPARE_WITH_TIMEOUT(h.app->pendingUnreadCount(), 0, 5000);
        QCOMPARE(h.app->statusItem()->toolTip(), QString("Tessaly View"));
    }

    void aMessageTelegramRefusesComesBackToTheComposer()
    {
        AppHarness h(R"({"scan_delay_ms":0,"send_failure":{"code":400,"message":"Message is too long"}})", {},
                     [](SettingsStore &s) { s.setString("selectedBotChatID", kMediaBot); });
        QTRY_VERIFY_WITH_TIMEOUT(!h.app->telegramMessages().isEmpty(), 10000);
        BotFaceView *face = h.app->botFace();
        face->composer()->input()->setPlainText("a text worth keeping");
        QTest::keyClick(face->composer()->input(), Qt::Key_Return);
        QVERIFY(face->composerText().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(face->statusText(), QString("Telegram error: Message is too long"), 10000);
        QCOMPARE(face->composerText(), QString("a text worth keeping"));
        QVERIFY(!face->transcript()->awaitingReply());
        QVERIFY(!showsRow(h, "typing-indicator"));
    }

    void retryResendsOnlyInTheConversationItWentTo()
    {
        AppHarness h(R"({"scan_delay_ms":0,"reply_delay_ms":50})", {},
                     [](SettingsStore &s) { s.setString("selectedBotChatID", kMediaBot); });
        QTRY_VERIFY_WITH_TIMEOUT(!h.app->telegramMessages().isEmpty() && h.app->botChats().size() >= 2, 10000);
        h.app->sendComposerText("say it again");
        ComposerView *composer = h.app->botFace()->composer();
        QVERIFY(composer->isRetryEnabled());
        BotConversation media, other;
        for (const BotConversation &b : h.app->botChats())
            (b.id == kMediaBot ? media : other) = b;
        h.app->selectBot(other);
        QVERIFY(!composer->isRetryEnabled());
        composer->button("arrow.clockwise")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!h.app->telegramMessages().isEmpty(), 10000);
        for (const BotMessage &m : h.app->telegramMessages())
            QVERIFY(m.text != "say it again");
        const auto sentTimes = [&] {
            int n = 0;
            for (const BotMessage &m : h.app->telegramMessages())
                n += m.isOutgoing && m.text == "say it again";
            return n;
        };
        h.app->selectBot(media);
        QVERIFY(composer->isRetryEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(sentTimes(), 1, 10000);
        composer->button("arrow.clockwise")->click();
        QTRY_COMPARE_WITH_TIMEOUT(sentTimes(), 2, 10000);
    }

    void savingAnAttachmentReplacesTheTargetOnlyWhenTheCopySucceeded()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath("report.pdf");
        AppHarness::environmentHook = [target](AppEnvironment &env) {
            env.chooseSaveLocation = [target](QWidget *, const QString &) { return target; };
        };
        AppHarness h;
        writeFile(target, "the user's own file");
        BotMessageSegment segment = BotMessageSegment::makeAttachment(
            BotMessageSegment::AttachmentKind::Pdf, "7", "report.pdf", dir.filePath("evicted-from-the-cache.pdf"));
        h.app->botFace()->transcript()->actions.saveAttachment(segment);
        QCOMPARE(readFile(target), QByteArray("the user's own file"));
        QVERIFY(h.app->botFace()->statusText().startsWith("Could not save the attachment: "));

        writeFile(dir.filePath("downloaded.pdf"), "%PDF-1.4 downloaded");
        segment.localPath = dir.filePath("downloaded.pdf");
        h.app->botFace()->transcript()->actions.saveAttachment(segment);
        QCOMPARE(readFile(target), QByteArray("%PDF-1.4 downloaded"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2); // no temporary file left beside it
    }
};

TESSALY_TEST_MAIN(TestAppState)
#include "test_app_state.moc"
