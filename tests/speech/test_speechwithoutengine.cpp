// A machine without any speech engine plugin: reading aloud ends at once,
// reported unavailable, instead of waiting for an engine that never answers.
#include "speech/MessageSpeaker.h"
#include "speech/QtSpeechEngine.h"
#include "support/TestMain.h"

#include <QTemporaryDir>
#include <QtTest>

class SpeechWithoutEngineTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_empty;

private slots:
    // Before anything loads a plugin: Qt keeps the first list it finds for the whole process.
    void initTestCase() { QCoreApplication::setLibraryPaths({m_empty.path()}); }

    void theSpeakerRestoresTheRowAndSaysWhy()
    {
        MessageSpeaker speaker;
        speaker.setEngineFactory([] { return std::make_unique<QtSpeechEngine>(); });
        QStringList reasons;
        speaker.onUnavailable = [&](const QString &reason) { reasons << reason; };
        const int owner = 0;
        int restored = 0;
        speaker.speak("Hello.", &owner, [&] { ++restored; });
        QTRY_COMPARE(restored, 1);
        QCOMPARE(reasons, QStringList{"No speech engine is installed."});
        QVERIFY(!speaker.isSpeaking());

        // The next text is told the same, and nothing waits in between.
        speaker.enqueue("Again.");
        QTRY_COMPARE(reasons.size(), 2);
        QVERIFY(!speaker.isSpeaking());
    }
};

TESSALY_TEST_GUILESS_MAIN(SpeechWithoutEngineTest)
#include "test_speechwithoutengine.moc"
