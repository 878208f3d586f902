#include "media/MediaDevices.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioOutput>
#include <QAudioSource>
#include <QCamera>
#include <QFile>
#include <QImageCapture>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

namespace {

using PowerMeter = double (*)(const qint16 *, qsizetype);

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

// Writes what the microphone delivers to the file and keeps the level of the latest block.
class MeteringFile : public QIODevice
{
public:
    MeteringFile(const QString &path, PowerMeter measure) : m_file(path), m_measure(measure) {}
    bool openFile() { return m_file.open(QIODevice::WriteOnly) && open(QIODevice::WriteOnly); }
    void close() override
    {
        QIODevice::close();
        m_file.close();
    }
    double averagePowerDb() const { return m_powerDb; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        m_powerDb = m_measure(reinterpret_cast<const qint16 *>(data), size / 2);
        return m_file.write(data, size);
    }

private:
    QFile m_file;
    PowerMeter m_measure;
    double m_powerDb = -160.0;
};

class Microphone : public VoiceInput
{
public:
    explicit Microphone(PowerMeter measure) : m_measure(measure) {}
    bool start(const QString &rawPath) override
    {
        const QAudioDevice device = QMediaDevices::defaultAudioInput();
        if (device.isNull())
            return false;
        QAudioFormat format;
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        for (const int rate : {48000, 44100}) {
            format.setSampleRate(rate);
            if (device.isFormatSupported(format))
                break;
        }
        if (!device.isFormatSupported(format))
            return false;
        m_sink = std::make_unique<MeteringFile>(rawPath, m_measure);
        if (!m_sink->openFile())
            return false;
        m_source = std::make_unique<QAudioSource>(device, format);
        m_source->start(m_sink.get());
        m_rate = format.sampleRate();
        return m_source->error() == QAudio::NoError;
    }
    int sampleRate() const override { return m_rate; }
    double averagePowerDb() const override { return m_sink ? m_sink->averagePowerDb() : -160.0; }
    void stop() override
    {
        if (m_source)
            m_source->stop();
        if (m_sink)
            m_sink->close();
    }

private:
    PowerMeter m_measure;
    std::unique_ptr<MeteringFile> m_sink;
    std::unique_ptr<QAudioSource> m_source;
    int m_rate = 48000;
};

// Qt Multimedia's camera. Qt reports no "adjusting exposure" state, so the
// camera counts as settled once the settle time has passed.
class QtCameraDevice : public WebcamPhotoCapture::Device
{
public:
    bool start() override
    {
        const QCameraDevice device = QMediaDevices::defaultVideoInput();
        if (device.isNull())
            return false;
        m_camera = std::make_unique<QCamera>(device);
        m_capture = std::make_unique<QImageCapture>();
        m_session.setCamera(m_camera.get());
        m_session.setImageCapture(m_capture.get());
        QObject::connect(m_camera.get(), &QCamera::errorOccurred, m_capture.get(), [this] { fail(); });
        QObject::connect(m_capture.get(), &QImageCapture::imageCaptured, m_capture.get(),
                         [this](int, const QImage &image) { deliver(image); });
        QObject::connect(m_capture.get(), &QImageCapture::errorOccurred, m_capture.get(), [this] { fail(); });
        m_camera->start();
        return m_camera->error() == QCamera::NoError;
    }

    bool isAdjusting() const override { return false; }

    void capture(std::function<void(const QImage &)> done) override
    {
        m_done = std::move(done);
        if (!m_capture->isReadyForCapture() || m_capture->capture() < 0)
            fail();
    }

    void stop() override
    {
        if (m_camera)
            m_camera->stop();
    }

private:
    void fail() { deliver(QImage()); }
    void deliver(const QImage &image)
    {
        if (auto done = std::exchange(m_done, {}))
            done(image);
    }

    QMediaCaptureSession m_session;
    std::unique_ptr<QCamera> m_camera;
    std::unique_ptr<QImageCapture> m_capture;
    std::function<void(const QImage &)> m_done;
};

} // namespace

std::unique_ptr<AudioSink> MediaDevices::speaker()
{
    return std::make_unique<MultimediaSink>();
}

std::unique_ptr<VoiceInput> MediaDevices::microphone(double (*averagePowerDb)(const qint16 *, qsizetype))
{
    return std::make_unique<Microphone>(averagePowerDb);
}

std::unique_ptr<WebcamPhotoCapture::Device> MediaDevices::camera()
{
    return std::make_unique<QtCameraDevice>();
}
