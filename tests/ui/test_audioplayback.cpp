#include "support/TestMain.h"
#include "ui/AudioPlayback.h"
#include "ui/TelegramMessageRow.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Records what would be heard; build machines have no audio device.
class RecordingSink : public AudioSink
{
public:
    QStringList played;
    int stops = 0;
    std::function<void()> finish;
    void play(const QString &path, std::function<void()> finished) override
    {
        played << path;
        finish = std::move(finished);
    }
    void stop() override { ++stops; }
};

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content = "data")
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

BotMessage voiceMessage(const QString &id, const QString &path)
{
    BotMessage m;
    m.id = id;
    m.segments = {BotMessageSegment::makeAttachment(BotMessageSegment::AttachmentKind::Audio, "file" + id,
                                                    "voice.ogg", path)};
    m.date = 1700000000;
    return m;
}

} // namespace

class TestAudioPlayback : public QObject
{
    Q_OBJECT
private slots:
    void secondVoiceNoteOnlyStopsTheFirst()
    {
        QTemporaryDir dir;
        auto sink = std::make_unique<RecordingSink>();
        RecordingSink *heard = sink.get();
        AudioPlayback audio(std::move(sink), {});
        MessageRowContext context;
        context.audio = &audio;
        TelegramMessageRow first(voiceMessage("1", writeFile(dir, "a.m4a")), context);
        TelegramMessageRow second(voiceMessage("2", writeFile(dir, "b.m4a")), context);

        first.attachmentButton(1)->click();
        QCOMPARE(heard->played.size(), 1);
        QCOMPARE(first.attachmentButton(1)->text(), QStringLiteral("Pause"));
        QCOMPARE(second.attachmentButton(1)->text(), QStringLiteral("Play"));

        second.attachmentButton(1)->click();
        QCOMPARE(heard->played.size(), 1);
        QCOMPARE(heard->stops, 1);
        QCOMPARE(first.attachmentButton(1)->text(), QStringLiteral("Play"));
        QCOMPARE(second.attachmentButton(1)->text(), QStringLiteral("Play"));

        second.attachmentButton(1)->click();
        QCOMPARE(heard->played.last(), dir.filePath("b.m4a"));
        QCOMPARE(second.attachmentButton(1)->text(), QStringLiteral("Pause"));
        // Playing to the end puts the button back.
        heard->finish();
        QTRY_COMPARE(second.attachmentButton(1)->text(), QStringLiteral("Play"));
    }

    void missingFfmpegTurnsTheButtonBackToPlay()
    {
        QTemporaryDir dir;
        auto sink = std::make_unique<RecordingSink>();
        RecordingSink *heard = sink.get();
        AudioPlayback audio(std::move(sink), {dir.filePath("no/ffmpeg"), dir.filePath("ffmpeg-not-here")});
        MessageRowContext context;
        context.audio = &audio;
        TelegramMessageRow row(voiceMessage("1", writeFile(dir, "voice.oga")), context);
        row.attachmentButton(1)->click();
        QCOMPARE(row.attachmentButton(1)->text(), QStringLiteral("Pause"));
        QTRY_COMPARE(row.attachmentButton(1)->text(), QStringLiteral("Play"));
        QVERIFY(heard->played.isEmpty());
        QVERIFY(audio.activeKey().isEmpty());
    }

    void oggIsConvertedBeforePlaying_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<bool>("plays");
        // The last argument is the output path: a working converter leaves a WAV there.
        QTest::newRow("converts") << QByteArray("#!/bin/sh\nfor a; do out=$a; done\necho RIFF > \"$out\"\n")
                                  << true;
        QTest::newRow("fails") << QByteArray("#!/bin/sh\nexit 1\n") << false;
    }
    void oggIsConvertedBeforePlaying()
    {
        QFETCH(QByteArray, script);
        QFETCH(bool, plays);
        QTemporaryDir dir;
        const QString ffmpeg = writeFile(dir, "ffmpeg", script);
        QFile::setPermissions(ffmpeg, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        auto sink = std::make_unique<RecordingSink>();
        RecordingSink *heard = sink.get();
        AudioPlayback audio(std::move(sink), {dir.filePath("missing"), ffmpeg});
        audio.toggle(QStringLiteral("k"), writeFile(dir, "note.ogg"));
        QVERIFY(audio.isConverting());
        if (plays) {
            QTRY_COMPARE(heard->played.size(), 1);
            QVERIFY(heard->played.first().endsWith(".wav"));
            QVERIFY(audio.isActive(QStringLiteral("k")));
            // Stopping removes the converted file.
            audio.stopAll();
            QVERIFY(!QFile::exists(heard->played.first()));
        } else {
            QTRY_VERIFY(!audio.isConverting());
            QVERIFY(heard->played.isEmpty());
            QVERIFY(!audio.isActive(QStringLiteral("k")));
        }
    }
};

TESSALY_TEST_MAIN(TestAudioPlayback)
#include "test_audioplayback.moc"
