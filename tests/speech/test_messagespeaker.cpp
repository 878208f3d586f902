#include "speech/MessageSpeaker.h"
#include "support/FakeSpeechEngine.h"
#include "support/TestMain.h"

#include <QtTest>

namespace {
// Two message rows, as owners.
const int rowA = 1;
const int rowB = 2;
} // namespace

class MessageSpeakerTest : public QObject
{
    Q_OBJECT
private slots:
    void restoreRunsExactlyOnceInEveryEnding_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("spoken to the end") << "finished";
        QTest::newRow("stop button") << "stop";
        QTest::newRow("another row starts") << "new request";
        QTest::newRow("row removed") << "removed";
        QTest::newRow("engine cannot speak") << "failed";
    }

    void restoreRunsExactlyOnceInEveryEnding()
    {
        QFETCH(QString, ending);
        FakeSpeech speech;
        MessageSpeaker speaker;
        speaker.setEngineFactory(speech.factory());
        int restored = 0;
        speaker.speak("first", &rowA, [&] { ++restored; });
        QVERIFY(speaker.isSpeaking(&rowA));
        QCOMPARE(speech.said(), QStringList{"first"});
        const quint64 first = speech.engine->current();

        if (ending == "finished") {
            speech.engine->finishCurrent();
            QTRY_COMPARE(restored, 1);
        } else if (ending == "stop") {
            speaker.stop();
        } else if (ending == "new request") {
            speaker.speak("second", &rowB, [] {});
            QVERIFY(speaker.isSpeaking(&rowB));
        } else if (ending == "removed") {
            speaker.release(&rowB); // another row leaving changes nothing
            QCOMPARE(restored, 0);
            speaker.release(&rowA);
        } else {
            emit speech.engine->failed(first, "No audio device.");
            QTRY_COMPARE(restored, 1);
        }
        // Every ending but the engine's own reports restores at once.
        QCOMPARE(restored, 1);
        QVERIFY(!speaker.isSpeaking(&rowA));
        if (ending != "finished" && ending != "failed")
            QCOMPARE(speech.engine->stops, 1);

        // A late report about the first text ends nothing more.
        speech.engine->finishStale(first);
        QTest::qWait(0);
        QCoreApplication::processEvents();
        QCOMPARE(restored, 1);
        QCOMPARE(speaker.isSpeaking(&rowB), ending == "new request");
        speaker.finish();
        QCOMPARE(restored, 1);
    }

    void queuedTextsAreSpokenInOrderAndARequestDropsThem()
    {
        FakeSpeech speech;
        MessageSpeaker speaker;
        speaker.setEngineFactory(speech.factory());
        speaker.enqueue("one");
        speaker.enqueue(QString()); // nothing left to read after cleaning
        speaker.enqueue("two");
        speaker.enqueue("three");
        QCOMPARE(speech.said(), QStringList{"one"});
        QVERIFY(speaker.isSpeaking());
        QVERIFY(!speaker.activeOwner());
        speech.engine->finishCurrent();
        QTRY_COMPARE(speech.said(), (QStringList{"one", "two"}));

        // Reading a row now silences the queue; nothing queued comes back after it.
        bool restored = false;
        speaker.speak("row", &rowA, [&] { restored = true; });
        QCOMPARE(speech.engine->stops, 1);
        QCOMPARE(speech.said(), (QStringList{"one", "two", "row"}));
        speaker.enqueue("four"); // new while the row is read: waits its turn
        speech.engine->finishCurrent();
        QTRY_VERIFY(restored);
        QCOMPARE(speech.said(), (QStringList{"one", "two", "row", "four"}));
        speech.engine->finishCurrent();
        QTRY_VERIFY(!speaker.isSpeaking());
    }

    void eachTextUsesTheStoredVoiceWhileItIsInstalled()
    {
        FakeSpeech speech;
        speech.installed = {ReadAloudVoice::fromEngine("flite", "slt", "en_US"),
                            ReadAloudVoice::fromEngine("flite", "kal", "en_GB")};
        MessageSpeaker speaker;
        speaker.preferredLanguage = QStringLiteral("en-GB");
        speaker.setEngineFactory(speech.factory());
        std::optional<QString> stored;
        speaker.selectedVoiceIdentifier = [&] { return stored; };

        speaker.enqueue("automatic");
        stored = QStringLiteral("flite/slt/en_US");
        speaker.speak("stored", &rowA, [] {});
        stored = QStringLiteral("flite/removed/en_US");
        speaker.speak("stored voice gone", &rowA, [] {});
        QCOMPARE(speech.engine->voicesUsed,
                 (QStringList{"flite/kal/en_GB", "flite/slt/en_US", "flite/kal/en_GB"}));
    }

    void anEngineThatCannotSpeakRestoresAndSaysSo()
    {
        // No engine at all: the button comes back before speak returns.
        MessageSpeaker speaker;
        QStringList reasons;
        speaker.onUnavailable = [&](const QString &reason) { reasons << reason; };
        int restored = 0;
        speaker.speak("hello", &rowA, [&] { ++restored; });
        QCOMPARE(restored, 1);
        QCOMPARE(reasons, QStringList{"No speech engine is installed."});
        QVERIFY(!speaker.isSpeaking());

        // An engine without an audio device fails every text: queued ones are dropped, one report.
        FakeSpeech speech;
        speech.failure = QStringLiteral("No audio device specified.");
        speaker.setEngineFactory(speech.factory());
        reasons.clear();
        speaker.enqueue("one");
        speaker.enqueue("two");
        speaker.speak("three", &rowB, [&] { ++restored; });
        QTRY_COMPARE(restored, 2);
        QTRY_VERIFY(!speaker.isSpeaking());
        QVERIFY(!reasons.isEmpty());
        QCOMPARE(reasons.last(), QStringLiteral("No audio device specified."));
    }
};

TESSALY_TEST_GUILESS_MAIN(MessageSpeakerTest)
#include "test_messagespeaker.moc"
