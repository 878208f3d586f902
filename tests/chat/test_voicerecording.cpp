// Recording a voice note: the meter, the bars, the duration sent and the encoder's command line.
#include "chat/VoiceRecording.h"
#include "support/TestMain.h"

#include <QtTest>
#include <cmath>

class TestVoiceRecording : public QObject
{
    Q_OBJECT
private slots:
    void theDurationIsWholeSecondsAndAtLeastOne_data()
    {
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<int>("seconds");
        QTest::newRow("nothing") << qint64(0) << 1;
        QTest::newRow("half a second") << qint64(500) << 1;
        QTest::newRow("1.49 s") << qint64(1490) << 1;
        QTest::newRow("1.5 s") << qint64(1500) << 2;
        QTest::newRow("a minute") << qint64(60'200) << 60;
        QTest::newRow("clock went back") << qint64(-5) << 1;
    }
    void theDurationIsWholeSecondsAndAtLeastOne()
    {
        QFETCH(qint64, elapsedMs);
        QFETCH(int, seconds);
        QCOMPARE(VoiceRecording::durationSeconds(elapsedMs), seconds);
    }

    void theMeterMapsMinus60To0dBOntoTheBars()
    {
        QCOMPARE(VoiceRecording::meterLevel(-160), 0.0);
        QCOMPARE(VoiceRecording::meterLevel(-30), 0.5);
        QCOMPARE(VoiceRecording::meterLevel(3), 1.0);
        const qint16 silence[4] = {0, 0, 0, 0};
        QCOMPARE(VoiceRecording::averagePowerDb(silence, 4), -160.0);
        const qint16 full[2] = {32767, -32768};
        QVERIFY(std::abs(VoiceRecording::averagePowerDb(full, 2)) < 0.01);
    }

    void barsFollowTheLevelWithinTheView()
    {
        const QSizeF view(60, 22);
        // Width max((60 - 24) / 9, 2) = 4, each bar 3 points after the last.
        const QRectF quiet = VoiceRecording::waveformBar(2, view, 0, 0);
        QCOMPARE(quiet.x(), 14.0);
        QCOMPARE(quiet.width(), 4.0);
        QCOMPARE(quiet.height(), 3.0); // 18 × 0.15 = 2.7, at least 3
        const QRectF loud = VoiceRecording::waveformBar(0, view, 1, M_PI / 2);
        QCOMPARE(loud.height(), 18.0 * 1.15); // (22 - 4) × (1 × (0.65 × 1 + 0.35) + 0.15)
        QCOMPARE(loud.center().y(), 11.0);
    }

    void theEncoderMakesMonoOpusInOgg()
    {
        const QStringList args = VoiceRecording::encoderArguments("/o/a.raw", 48000, "/o/a-voice.ogg");
        QVERIFY(args.join(' ').contains("-f s16le -ar 48000 -ac 1 -i /o/a.raw"));
        QVERIFY(args.join(' ').contains("-c:a libopus"));
        QCOMPARE(args.last(), QString("/o/a-voice.ogg"));
        QCOMPARE(VoiceRecording::fileName("ABC"), QString("ABC-voice.ogg"));
    }
};

TESSALY_TEST_MAIN(TestVoiceRecording)
#include "test_voicerecording.moc"
