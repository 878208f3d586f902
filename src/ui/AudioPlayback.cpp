#include "ui/AudioPlayback.h"

#include "chat/AttachmentPresentation.h"
#include "core/ProcessRunner.h"

#include <QAudioOutput>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>
#include <QUuid>

namespace {

// Plays through the default audio output, created on first use.
class MultimediaSink : public AudioSink
{
public:
    void play(const QString &path, std::function<void()> finished) override
    {
        if (!m_player) {
            m_player = std::make_unique<QMediaPlayer>();
            m_output = std::make_unique<QAudioOutput>();
            m_player->setAudioOutput(m_output.get());
            QObject::connect(m_player.get(), &QMediaPlayer::mediaStatusChanged, m_player.get(),
                             [this](QMediaPlayer::MediaStatus status) {
                                 if (status == QMediaPlayer::EndOfMedia ||
                                     status == QMediaPlayer::InvalidMedia)
                                     if (auto done = std::exchange(m_finished, {}))
                                         done();
                             });
        }
        m_finished = std::move(finished);
        m_player->setSource(QUrl::fromLocalFile(path));
        m_player->play();
    }
    void stop() override
    {
        m_finished = {};
        if (m_player) {
            m_player->stop();
            m_player->setSource(QUrl());
        }
    }

private:
    std::unique_ptr<QMediaPlayer> m_player;
    std::unique_ptr<QAudioOutput> m_output;
    std::function<void()> m_finished;
};

// A voice note converts in well under a second; a wedged ffmpeg must not keep "Pause" forever.
constexpr std::chrono::seconds conversionTimeLimit{60};

} // namespace

AudioPlayback::AudioPlayback(QObject *parent)
    : AudioPlayback(std::make_unique<MultimediaSink>(), AttachmentPresentation::ffmpegCandidates(), parent)
{
}

AudioPlayback::AudioPlayback(std::unique_ptr<AudioSink> sink, QStringList ffmpegCandidates, QObject *parent)
    : QObject(parent), m_sink(std::move(sink)), m_ffmpegCandidates(std::move(ffmpegCandidates))
{
}

AudioPlayback::~AudioPlayback()
{
    if (m_conversion)
        m_conversion->cancel();
    if (m_sink)
        m_sink->stop();
    if (!m_playingTempFile.isEmpty())
        QFile::remove(m_playingTempFile);
}

QString AudioPlayback::findExecutable(const QStringList &candidates)
{
    for (const QString &candidate : candidates) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isExecutable())
            return candidate;
    }
    return {};
}

void AudioPlayback::toggle(const QString &key, const QString &path)
{
    if (!m_activeKey.isEmpty()) {
        stopAll();
        return;
    }
    if (!AttachmentPresentation::needsConversion(path)) {
        startPlaying(key, path, QString());
        return;
    }

    m_activeKey = key;
    const quint64 generation = ++m_generation;
    emit stateChanged();
    const QString ffmpeg = findExecutable(m_ffmpegCandidates);
    const QString output = QDir::temp().filePath(QUuid::createUuid().toString(QUuid::WithoutBraces) + ".wav");
    if (ffmpeg.isEmpty()) {
        // Reported like a failed start, after the "Pause" the press showed.
        QTimer::singleShot(0, this, [this, key, generation] {
            if (generation == m_generation)
                finishConversion(key, false, QString());
        });
        return;
    }
    ProcessRunner::Request request;
    request.program = ffmpeg;
    request.arguments = AttachmentPresentation::conversionArguments(path, output);
    request.timeLimit = conversionTimeLimit;
    request.capture = ProcessRunner::Capture::Discard;
    QPointer<AudioPlayback> self(this);
    m_conversion =
        ProcessRunner::run(request, [self, key, output, generation](const ProcessRunner::Result &result) {
            if (!self || generation != self->m_generation) {
                QFile::remove(output);
                return;
            }
            self->finishConversion(key, result.succeeded() && QFileInfo::exists(output), output);
        });
}

void AudioPlayback::finishConversion(const QString &key, bool succeeded, const QString &outputPath)
{
    m_conversion.clear();
    if (!succeeded) {
        if (!outputPath.isEmpty())
            QFile::remove(outputPath);
        clear();
        return;
    }
    startPlaying(key, outputPath, outputPath);
}

void AudioPlayback::startPlaying(const QString &key, const QString &path, const QString &removeAfter)
{
    m_activeKey = key;
    m_playingTempFile = removeAfter;
    const quint64 generation = ++m_generation;
    QPointer<AudioPlayback> self(this);
    m_sink->play(path, [self, generation] {
        // Finishing is reported from the player's own signal; leave its call first.
        QTimer::singleShot(0, self, [self, generation] {
            if (self && generation == self->m_generation)
                self->clear();
        });
    });
    emit stateChanged();
}

void AudioPlayback::stopAll()
{
    ++m_generation;
    if (m_conversion)
        m_conversion->cancel();
    m_conversion.clear();
    m_sink->stop();
    clear();
}

void AudioPlayback::clear()
{
    if (!m_playingTempFile.isEmpty())
        QFile::remove(std::exchange(m_playingTempFile, QString()));
    const bool changed = !m_activeKey.isEmpty();
    m_activeKey.clear();
    if (changed)
        emit stateChanged();
}

#include "moc_AudioPlayback.cpp"
