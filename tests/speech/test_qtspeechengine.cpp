// The system's speech engine (flite here) through Qt, on a machine that may
// have no audio device: every text must end, spoken or reported unavailable.
#include "speech/MessageSpeaker.h"
#include "speech/QtSpeechEngine.h"
#include "support/TestMain.h"

#include <QTextToSpeech>
#include <QtTest>

class QtSpeechEngineTest : public QObject
{
    Q_OBJECT
private slots:
    void everyTextEndsSpokenOrUnavailable()
    {
        MessageSpeaker speaker;
        speaker.setEngineFactory([] { return std::make_unique<QtSpeechEngine>(); });
        QStringList reasons;
        speaker.onUnavailable = [&](const QString &reason) { reasons << reason; };
        const int owner = 0;
        int restored = 0;

        speaker.speak("Hello.", &owner, [&] { ++restored; });
        QTRY_COMPARE_WITH_TIMEOUT(restored, 1, 30000);
        QVERIFY(!speaker.isSpeaking());
        for (const QString &reason : std::as_const(reasons))
            QVERIFY(!reason.isEmpty());

        // Stopped at once and replaced, then queued behind: the engine neither hangs nor ends the new text
        // early.
        speaker.speak("One two three four five six seven.", &owner, [&] { ++restored; });
        speaker.stop();
        QCOMPARE(restored, 2);
        speaker.speak("Again.", &owner, [&] { ++restored; });
        speaker.enqueue("And more.");
        QTRY_COMPARE_WITH_TIMEOUT(restored, 3, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!speaker.isSpeaking(), 30000);
        qInfo("engines: %s; reports: %s", qPrintable(QTextToSpeech::availableEngines().join(", ")),
              qPrintable(reasons.isEmpty() ? QStringLiteral("spoken") : reasons.join(" / ")));
    }

    void voicesOfEveryLocaleAreListedOnceWithTheirEngine()
    {
        QtSpeechEngine engine;
        const QList<ReadAloudVoice::Voice> voices = engine.voices();
        QSet<QString> seen;
        for (const ReadAloudVoice::Voice &voice : voices) {
            qInfo("%s  %s", qPrintable(voice.identifier), qPrintable(ReadAloudVoice::displayName(voice)));
            QVERIFY(!seen.contains(voice.identifier));
            seen.insert(voice.identifier);
            QCOMPARE(voice.identifier.section('/', 1, 1), voice.name);
            QVERIFY(!voice.language.contains('_'));
        }
        // Asked again, the engine answers from what it gathered.
        QCOMPARE(engine.voices(), voices);
    }
};

TESSALY_TEST_GUILESS_MAIN(QtSpeechEngineTest)
#include "test_qtspeechengine.moc"
