// End to end: reading aloud through the real controller against the
// simulator, with a fake speech engine in place of the system's.
#include "support/AppHarness.h"
#include "support/FakeSpeechEngine.h"
#include "support/TestMain.h"
#include "ui/TelegramMessageRow.h"
#include "ui/TranscriptController.h"
#include "ui/TranscriptView.h"

#include <QToolButton>
#include <QtTest>

namespace {
const QByteArray kSimulator = R"({"scan_delay_ms":0,"reply_delay_ms":100,"send_delay_ms":50})";

void selectShowcaseAndAutoRead(SettingsStore &s, bool autoRead)
{
    s.setString("selectedBotChatID", "5000000101");
    s.setBool("autoReadNewMessages", autoRead);
}
} // namespace

class TestReadAloud : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { AppHarness::environmentHook = {}; }

    void onlyNewBotMessagesAreReadAfterOpeningAChat()
    {
        FakeSpeech speech;
        AppHarness::environmentHook = [&](AppEnvironment &env) { env.speechEngine = speech.factory(); };
        AppHarness h(kSimulator, {}, [](SettingsStore &s) { selectShowcaseAndAutoRead(s, true); });
        QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramMessages().size() >= 5, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(h.app->botFace()->shownMessageCount() >= 5, 5000);
        // The history that opened the chat is not read.
        QVERIFY2(speech.said().isEmpty(), qPrintable(speech.said().join(" | ")));

        // The user's own message and the typing row are not read; the bot's answer is.
        h.app->sendComposerText("please read this");
        QTRY_VERIFY_WITH_TIMEOUT(!speech.said().isEmpty(), 10000);
        QCOMPARE(speech.said().size(), 1);
        QVERIFY2(speech.said().first().startsWith("Echo") &&
                     speech.said().first().contains("please read this"),
                 qPrintable(speech.said().first()));
        for (const QString &text : speech.said()) {
            QVERIFY(text != "please read this");
            QVERIFY(!text.startsWith("Typing"));
        }
    }

    void nothingIsReadWhenTheSettingIsOff()
    {
        FakeSpeech speech;
        AppHarness::environmentHook = [&](AppEnvironment &env) { env.speechEngine = speech.factory(); };
        AppHarness h(kSimulator, {}, [](SettingsStore &s) { selectShowcaseAndAutoRead(s, false); });
        QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramMessages().size() >= 5, 10000);
        const qsizetype before = h.app->telegramMessages().size();
        h.app->sendComposerText("stay quiet");
        QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramMessages().size() >= before + 2, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!h.app->botFace()->transcript()->isTypingIndicatorShowing(), 5000);
        QVERIFY(speech.said().isEmpty());
    }

    void anEngineThatCannotSpeakRestoresTheButtonAndSaysSo()
    {
        FakeSpeech speech;
        speech.failure = QStringLiteral("No audio device specified.");
        AppHarness::environmentHook = [&](AppEnvironment &env) { env.speechEngine = speech.factory(); };
        AppHarness h(kSimulator, {}, [](SettingsStore &s) { selectShowcaseAndAutoRead(s, false); });
        QTRY_VERIFY_WITH_TIMEOUT(h.app->botFace()->shownMessageCount() >= 5, 10000);
        TelegramMessageRow *row = nullptr;
        for (TelegramMessageRow *candidate : h.app->botFace()->transcriptView()->orderedRows())
            if (!candidate->message().isOutgoing && !candidate->message().text.isEmpty())
                row = candidate;
        QVERIFY(row);
        QToolButton *button = row->actionButton(QStringLiteral("speaker.wave.2"));
        button->click();
        QTRY_COMPARE(button->toolTip(), QStringLiteral("Read message aloud"));
        QCOMPARE(h.app->botFace()->statusText(),
                 QStringLiteral("Reading aloud is not available: No audio device specified."));
    }
};

TESSALY_TEST_MAIN(TestReadAloud)
#include "test_read_aloud.moc"
