#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

// Takes one still photo with the default camera: waits for the camera to
// settle (at least 1.5 s, and no longer adjusting), or 4 s at most, then
// captures. The completion runs exactly once, on the main thread, with
// nothing when there is no camera, access is refused or the capture fails.
class WebcamPhotoCapture : public QObject
{
    Q_OBJECT
public:
    // What the capture needs of a camera; tests supply a fake.
    class Device
    {
    public:
        virtual ~Device() = default;
        // Starts the camera; false when there is none or access is refused.
        virtual bool start() = 0;
        virtual bool isAdjusting() const = 0;
        // Captures one image; a null image reports a failure.
        virtual void capture(std::function<void(const QImage &)> done) = 0;
        virtual void stop() = 0;
    };

    struct Timing
    {
        int settleMs = 1500;
        int capMs = 4000;
        int pollMs = 100;
    };

    using Completion = std::function<void(const std::optional<QImage> &)>;

    WebcamPhotoCapture(std::unique_ptr<Device> device, Completion completion, Timing timing, QObject *parent = nullptr);
    WebcamPhotoCapture(std::unique_ptr<Device> device, Completion completion, QObject *parent = nullptr)
        : WebcamPhotoCapture(std::move(device), std::move(completion), Timing(), parent)
    {
    }
    ~WebcamPhotoCapture() override;

    void start();
    // The system's default camera through Qt Multimedia.
    static std::unique_ptr<Device> defaultDevice();

private:
    void checkReady();
    void finish(const std::optional<QImage> &image);

    std::unique_ptr<Device> m_device;
    Completion m_completion;
    Timing m_timing;
    QTimer m_poll;
    QElapsedTimer m_started;
    bool m_capturing = false;
};
