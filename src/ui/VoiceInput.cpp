#include "ui/VoiceInput.h"

#include "chat/VoiceRecording.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QFile>
#include <QMediaDevices>

namespace {

// Writes what the microphone delivers to the file and keeps the level of the latest block.
class MeteringFile : public QIODevice
{
public:
    explicit MeteringFile(const QString &path) : m_file(path) {}
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
        m_powerDb = VoiceRecording::averagePowerDb(reinterpret_cast<const qint16 *>(data), size / 2);
        return m_file.write(data, size);
    }

private:
    QFile m_file;
    double m_powerDb = -160.0;
};

class Microphone : public VoiceInput
{
public:
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
        m_sink = std::make_unique<MeteringFile>(rawPath);
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
    std::unique_ptr<MeteringFile> m_sink;
    std::unique_ptr<QAudioSource> m_source;
    int m_rate = 48000;
};

} // namespace

std::unique_ptr<VoiceInput> VoiceInput::defaultMicrophone()
{
    return std::make_unique<Microphone>();
}
