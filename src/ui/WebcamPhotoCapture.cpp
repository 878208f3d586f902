#include "ui/WebcamPhotoCapture.h"

#include "ui/MediaModule.h"

#include <QPointer>

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
    return MediaModule::camera();
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
