// Pausing other audio while reading aloud: the speaker with a fake engine,
// the ducker and the MPRIS backend against fake players on a private bus.
#include "platform/MediaPlayers.h"
#include "settings/SettingsStore.h"
#include "speech/MediaDucker.h"
#include "support/FakeSpeechEngine.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

// One fake player process; its counts are read over the bus.
class FakePlayer
{
public:
    explicit FakePlayer(const QString &name, const QString &status, bool refuse = false)
        : busName(QStringLiteral("org.mpris.MediaPlayer2.") + name)
    {
        QStringList args{name, status};
        if (refuse)
            args << QStringLiteral("--refuse");
        m_process.start(QStringLiteral(FAKE_MPRIS_PLAYER), args);
        ready = m_process.waitForReadyRead(10000) && m_process.readAll().startsWith("ready");
    }
    ~FakePlayer()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    int pauses() const { return control(QStringLiteral("PauseCalls")).value(0).toInt(); }
    int plays() const { return control(QStringLiteral("PlayCalls")).value(0).toInt(); }

    const QString busName;
    bool ready = false;

private:
    QVariantList control(const QString &method) const
    {
        const QDBusMessage call = QDBusMessage::createMethodCall(
            busName, "/control", QStringLiteral("org.tessaly.FakePlayer"), method);
        return QDBusConnection::sessionBus().call(call).arguments();
    }

    QProcess m_process;
};

// A speaker as the application wires it, with the system's players and a short resume delay.
struct Reader
{
    explicit Reader(std::chrono::milliseconds resumeDelay = 50ms)
        : settings(dir.filePath(QStringLiteral("settings.json")))
    {
        speaker.setEngineFactory(speech.factory());
        speaker.setDucker(std::make_unique<MediaDucker>(settings, MediaPlayers::system(), resumeDelay));
    }
    MediaDucker &ducker() { return *speaker.ducker(); }
    void finishSpeaking()
    {
        QVERIFY(speech.engine && speech.engine->current() != 0);
        speech.engine->finishCurrent();
    }

    QTemporaryDir dir;
    SettingsStore settings;
    FakeSpeech speech;
    MessageSpeaker speaker;
};

} // namespace

class TestMediaDucker : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
    }

    void speechWhileNothingPlaysCallsNoPlayerAtResume()
    {
        FakePlayer idle(QStringLiteral("testplayer"), QStringLiteral("Paused"));
        QVERIFY(idle.ready);
        Reader reader;
        reader.speaker.enqueue(QStringLiteral("hello"));
        QVERIFY(reader.ducker().isDucking());
        QVERIFY(reader.ducker().pausedPlayers().isEmpty());

        reader.finishSpeaking();
        QTRY_VERIFY(!reader.ducker().isDucking());
        QCOMPARE(idle.pauses(), 0);
        QCOMPARE(idle.plays(), 0);
    }

    // Reading aloud is off by default: a speaker that never speaks keeps no worker thread.
    void aSpeakerThatNeverSpeaksRunsNoThreadForIt()
    {
        const auto threads = [] {
            return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
        };
        const qsizetype before = threads();
        {
            Reader reader;
            QCOMPARE(threads(), before);
        }
        QCOMPARE(threads(), before);
    }

    // A player the user had paused, and one that refuses control, are left
    // alone at resume; only the one actually paused plays again.
    void onlyWhatThisDuckPausedIsResumed()
    {
        FakePlayer playing(QStringLiteral("testplayer"), QStringLiteral("Playing"));
        FakePlayer pausedByUser(QStringLiteral("userpaused"), QStringLiteral("Paused"));
        FakePlayer refusing(QStringLiteral("refusing"), QStringLiteral("Playing"), true);
        QVERIFY(playing.ready && pausedByUser.ready && refusing.ready);
        Reader reader;
        reader.speaker.enqueue(QStringLiteral("hello"));
        QCOMPARE(reader.ducker().pausedPlayers(), QStringList{playing.busName});
        QCOMPARE(playing.pauses(), 1);
        QCOMPARE(refusing.pauses(), 1);

        reader.finishSpeaking();
        QTRY_COMPARE(playing.plays(), 1);
        QVERIFY(!reader.ducker().isDucking());
        QCOMPARE(pausedByUser.pauses(), 0);
        QCOMPARE(pausedByUser.plays(), 0);
        QCOMPARE(refusing.plays(), 0);
    }

    // A second message that starts within the resume delay keeps the player
    // paused; it plays again only after the second message.
    void messagesReadBackToBackPauseOnceAndResumeOnce()
    {
        FakePlayer playing(QStringLiteral("testplayer"), QStringLiteral("Playing"));
        QVERIFY(playing.ready);
        Reader reader(MediaDucker::defaultResumeDelay);
        reader.speaker.enqueue(QStringLiteral("first"));
        QVERIFY(reader.ducker().isDucking());
        reader.finishSpeaking();
        QTRY_VERIFY(reader.ducker().isResumePending());

        reader.speaker.enqueue(QStringLiteral("second"));
        QVERIFY(!reader.ducker().isResumePending());
        QCOMPARE(playing.plays(), 0);

        reader.finishSpeaking();
        QTRY_VERIFY(reader.ducker().isResumePending());
        QCOMPARE(playing.plays(), 0);
        QTRY_COMPARE(playing.plays(), 1);
        QCOMPARE(playing.pauses(), 1);
        QCOMPARE(reader.speech.said(), (QStringList{"first", "second"}));
    }

    // However on-demand speech ends, the player it paused plays again; when
    // the application quits, at once rather than after the delay.
    void everyEndingOfSpeechResumes_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("stop button") << "stop";
        QTest::newRow("row removed") << "release";
        QTest::newRow("engine fails") << "fail";
        QTest::newRow("application quits") << "quit";
    }
    void everyEndingOfSpeechResumes()
    {
        QFETCH(QString, ending);
        FakePlayer playing(QStringLiteral("testplayer"), QStringLiteral("Playing"));
        QVERIFY(playing.ready);
        auto reader = std::make_unique<Reader>(ending == "quit" ? std::chrono::hours(1) : 50ms);
        if (ending == "fail")
            reader->speech.failure = QStringLiteral("No audio device specified.");
        const int row = 0;
        int restored = 0;
        reader->speaker.speak(QStringLiteral("hello"), &row, [&] { ++restored; });
        QVERIFY(reader->ducker().isDucking());
        QCOMPARE(playing.pauses(), 1);

        if (ending == "quit") {
            reader.reset();
            QCOMPARE(playing.plays(), 1);
            return;
        }
        if (ending == "stop")
            reader->speaker.stop();
        else if (ending == "release")
            reader->speaker.release(&row);
        QTRY_COMPARE(restored, 1);
        QTRY_COMPARE(playing.plays(), 1);
        QVERIFY(!reader->ducker().isDucking());
    }

    void turningTheSettingOffWhileSpeakingStillResumes()
    {
        FakePlayer playing(QStringLiteral("testplayer"), QStringLiteral("Playing"));
        QVERIFY(playing.ready);
        Reader reader;
        reader.speaker.enqueue(QStringLiteral("first"));
        QVERIFY(reader.ducker().isDucking());
        QCOMPARE(playing.pauses(), 1);

        reader.settings.setBool(QStringLiteral("pauseOtherAudioWhileReading"), false);
        reader.speaker.enqueue(QStringLiteral("second"));
        reader.finishSpeaking();
        QTRY_COMPARE(reader.speech.said().size(), 2);
        reader.finishSpeaking();
        QTRY_COMPARE(playing.plays(), 1);

        // Off: the next message leaves the (playing again) player alone.
        reader.speaker.enqueue(QStringLiteral("third"));
        QVERIFY(!reader.ducker().isDucking());
        QCOMPARE(playing.pauses(), 1);
    }
};

QTEST_GUILESS_MAIN(TestMediaDucker)
#include "test_mediaducker.moc"
