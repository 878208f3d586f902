#include "ui/AudioPlayback.h"

#include "chat/AttachmentPresentation.h"
#include "core/ProcessRunner.h"
#include "ui/MediaModule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <QUuid>

namespace {

// The media library's speaker, loaded on the first play: most starts never
// play a voice note. Without the library a note ends at once.
class DeferredSpeaker : public AudioSink
{
public:
    void play(const QString &path, std::function<void()> finished) override
    {
        if (!m_speaker)
            m_speaker = MediaModule::speaker();
        if (m_speaker)
            m_speaker->play(path, std::move(finished));
        else
            finished();
    }
    void stop() override
    {
        if (m_speaker)
            m_speaker->stop();
    }

private:
    std::unique_ptr<AudioSink> m_speaker;
};

// A voice note converts in well under a second; a wedged ffmpeg must not keep "Pause" forever.
constexpr std::chrono::seconds conversionTimeLimit{60};

} // namespace

AudioPlayback::AudioPlayback(QObject *parent)
    : AudioPlayback(std::make_unique<DeferredSpeaker>(), AttachmentPresentation::ffmpegCandidates(), parent)
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
