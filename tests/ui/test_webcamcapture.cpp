// Taking one photo: when the camera counts as settled, and that the
// completion comes once, with nothing for a missing camera or a failed capture.
#include "support/TestMain.h"
#include "ui/WebcamPhotoCapture.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

struct FakeCamera : WebcamPhotoCapture::Device
{
    bool available = true;
    bool adjusting = false;
    bool failCapture = false;
    int *stops = nullptr;
    bool start() override { return available; }
    bool isAdjusting() const override { return adjusting; }
    void capture(std::function<void(const QImage &)> done) override
    {
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(Qt::red);
        done(failCapture ? QImage() : image);
    }
    void stop() override
    {
        if (stops)
            ++*stops;
    }
};

const WebcamPhotoCapture::Timing kTiming{60, 300, 10};

} // namespace

class TestWebcamCapture : public QObject
{
    Q_OBJECT
private slots:
    void aSettledCameraIsCapturedAfterTheSettleTime_data()
    {
        QTest::addColumn<bool>("adjusting");
        QTest::addColumn<int>("notBefore");
        QTest::newRow("settled") << false << kTiming.settleMs;
        QTest::newRow("never settles") << true << kTiming.capMs;
    }
    void aSettledCameraIsCapturedAfterTheSettleTime()
    {
        QFETCH(bool, adjusting);
        QFETCH(int, notBefore);
        auto camera = std::make_unique<FakeCamera>();
        camera->adjusting = adjusting;
        int calls = 0;
        std::optional<QImage> photo;
        QElapsedTimer clock;
        qint64 capturedAfter = -1;
        WebcamPhotoCapture capture(
            std::move(camera),
            [&](const std::optional<QImage> &image) {
                ++calls;
                photo = image;
                capturedAfter = clock.elapsed();
            },
            kTiming);
        clock.start();
        capture.start();
        QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 5000);
        QVERIFY(photo && photo->size() == QSize(4, 3));
        QVERIFY2(capturedAfter >= notBefore, qPrintable(QString::number(capturedAfter)));
        if (!adjusting)
            QVERIFY(capturedAfter < kTiming.capMs + 1000);
    }

    void noCameraOrAFailedCaptureEndsWithNothingOnce_data()
    {
        QTest::addColumn<bool>("available");
        QTest::addColumn<bool>("fails");
        QTest::newRow("no camera") << false << false;
        QTest::newRow("capture fails") << true << true;
    }
    void noCameraOrAFailedCaptureEndsWithNothingOnce()
    {
        QFETCH(bool, available);
        QFETCH(bool, fails);
        auto camera = std::make_unique<FakeCamera>();
        camera->available = available;
        camera->failCapture = fails;
        int stops = 0;
        camera->stops = &stops;
        int calls = 0;
        bool gotImage = true;
        WebcamPhotoCapture capture(
            std::move(camera),
            [&](const std::optional<QImage> &image) {
                ++calls;
                gotImage = image.has_value();
            },
            kTiming);
        capture.start();
        QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 5000);
        QVERIFY(!gotImage);
        QVERIFY(stops >= 1);
        QTest::qWait(2 * kTiming.pollMs);
        QCOMPARE(calls, 1);
    }
};

TESSALY_TEST_MAIN(TestWebcamCapture)
#include "test_webcamcapture.moc"
