#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>

class ProcessRunner;

// Where decoded audio goes. The application plays through Qt Multimedia;
// tests substitute a recorder, since build machines have no audio device.
class AudioSink
{
public:
    virtual ~AudioSink() = default;
    // Starts playing the file; finished runs when it ends by itself.
    virtual void play(const QString &path, std::function<void()> finished) = 0;
    virtual void stop() = 0;
};

// The one audio player of the application, shared by every message row: one
// voice note at a time. Pressing Play while anything plays or converts only
// stops it. Telegram's Ogg voice notes are converted to WAV by ffmpeg first.
class AudioPlayback : public QObject
{
    Q_OBJECT
public:
    explicit AudioPlayback(QObject *parent = nullptr);
    AudioPlayback(std::unique_ptr<AudioSink> sink, QStringList ffmpegCandidates, QObject *parent = nullptr);
    ~AudioPlayback() override;

    // key names one attachment (message and file); path is its local file.
    void toggle(const QString &key, const QString &path);
    void stopAll();

    // The attachment being played or converted for playing, empty when idle.
    QString activeKey() const { return m_activeKey; }
    bool isActive(const QString &key) const { return !key.isEmpty() && key == m_activeKey; }
    bool isConverting() const { return !m_conversion.isNull(); }

    // The first executable of the candidates, empty when none is.
    static QString findExecutable(const QStringList &candidates);

signals:
    // The active attachment changed: rows refresh their Play/Pause titles.
    void stateChanged();

private:
    void startPlaying(const QString &key, const QString &path, const QString &removeAfter);
    void finishConversion(const QString &key, bool succeeded, const QString &outputPath);
    void clear();

    std::unique_ptr<AudioSink> m_sink;
    QStringList m_ffmpegCandidates;
    QString m_activeKey;
    QString m_playingTempFile;
    QPointer<ProcessRunner> m_conversion;
    // Invalidates completions of conversions that were stopped.
    quint64 m_generation = 0;
};
