#include "ui/WebcamPhotoCapture.h"

#include <QCamera>
#include <QImageCapture>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QPointer>

namespace {

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

WebcamPhotoCapture::WebcamPhotoCapture(std::unique_ptr<Device> device, Completion completion, Timing timing,
                                       QObject *parent)
    : QObject(parent), m_device(std::move(device)), m_completion(std::move(completion)), m_timing(timing)
{
    m_poll.setInterval(m_timing.pollMs);
    connect(&m_poll, &QTimer::timeout, this, &WebcamPhotoCapture::checkReady);
}

WebcamPhotoCapture::~WebcamPhotoCapture()
{
    if (m_device)
        m_device->stop();
}

std::unique_ptr<WebcamPhotoCapture::Device> WebcamPhotoCapture::defaultDevice()
{
    return std::make_unique<QtCameraDevice>();
}

void WebcamPhotoCapture::start()
{
    if (!m_device || !m_device->start()) {
        // Reported on a later turn, like every other ending.
        QTimer::singleShot(0, this, [this] { finish(std::nullopt); });
        return;
    }
    m_started.start();
    m_poll.start();
}

void WebcamPhotoCapture::checkReady()
{
    const qint64 elapsed = m_started.elapsed();
    const bool settled = elapsed >= m_timing.settleMs && !m_device->isAdjusting();
    if (m_capturing || (!settled && elapsed < m_timing.capMs))
        return;
    m_capturing = true;
    m_poll.stop();
    m_device->capture([self = QPointer<WebcamPhotoCapture>(this)](const QImage &image) {
        if (self)
            self->finish(image.isNull() ? std::nullopt : std::optional<QImage>(image));
    });
}

void WebcamPhotoCapture::finish(const std::optional<QImage> &image)
{
    m_poll.stop();
    if (m_device)
        m_device->stop();
    if (auto completion = std::exchange(m_completion, {}))
        completion(image);
}

#include "moc_WebcamPhotoCapture.cpp"
