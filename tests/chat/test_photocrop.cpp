// Cropping a photo before sending: what a click, a drag and a release leave
// selected, and which pixels the selection takes.
#include "chat/PhotoCrop.h"
#include "support/TestMain.h"

#include <QtTest>

namespace {
// A 200 × 100 photo fitted into a 400 × 400 view: drawn at (0, 100), 400 × 200.
const QRectF kImage = PhotoCrop::imageRect(QSizeF(200, 100), QSizeF(400, 400));
} // namespace

class TestPhotoCrop : public QObject
{
    Q_OBJECT
private slots:
    void theImageIsFittedAndCentred()
    {
        QCOMPARE(kImage, QRectF(0, 100, 400, 200));
        QCOMPARE(PhotoCrop::imageRect(QSizeF(0, 10), QSizeF(400, 400)), QRectF());
    }

    void aClickWithoutADragKeepsWhatWasSelected()
    {
        PhotoCrop crop;
        crop.press({50, 150}, kImage);
        crop.release(kImage);
        QVERIFY(!crop.selection());
        crop.press({50, 150}, kImage);
        crop.drag({250, 250}, kImage);
        crop.release(kImage);
        QVERIFY(crop.selection());
        const QRectF selected = *crop.selection();
        crop.press({100, 200}, kImage);
        crop.release(kImage);
        QCOMPARE(*crop.selection(), selected);
        // A press outside the photo does not start a drag.
        crop.press({10, 10}, kImage);
        crop.drag({300, 290}, kImage);
        QCOMPARE(*crop.selection(), selected);
    }

    void selectionsUnderThreePointsAreDropped_data()
    {
        QTest::addColumn<QSizeF>("drag");
        QTest::addColumn<bool>("kept");
        QTest::newRow("2 x 100") << QSizeF(2, 100) << false;
        QTest::newRow("100 x 2") << QSizeF(100, 2) << false;
        QTest::newRow("3 x 3") << QSizeF(3, 3) << true;
    }
    void selectionsUnderThreePointsAreDropped()
    {
        QFETCH(QSizeF, drag);
        QFETCH(bool, kept);
        PhotoCrop crop;
        crop.press({50, 150}, kImage);
        crop.drag(QPointF(50, 150) + QPointF(drag.width(), drag.height()), kImage);
        crop.release(kImage);
        QCOMPARE(crop.selection().has_value(), kept);
    }

    void aDragLeavingThePhotoStopsAtItsEdges()
    {
        PhotoCrop crop;
        crop.press({200, 200}, kImage);
        crop.drag({900, -50}, kImage);
        crop.release(kImage);
        // Unit coordinates, origin bottom-left: from the centre to the top-right corner.
        QCOMPARE(*crop.selection(), QRectF(QPointF(0.5, 0.5), QPointF(1, 1)));
        QCOMPARE(PhotoCrop::viewRect(*crop.selection(), kImage), QRectF(200, 100, 200, 100));
    }

    void theCropTakesThePixelsOfAHighResolutionPhoto()
    {
        // 100 × 50 points at 2x: 200 × 100 pixels.
        QImage photo(200, 100, QImage::Format_RGB32);
        photo.fill(Qt::white);
        photo.setDevicePixelRatio(2.0);
        const QRectF drawn = PhotoCrop::imageRect(photo.deviceIndependentSize(), QSizeF(400, 400));
        PhotoCrop crop;
        crop.press(drawn.topLeft() + QPointF(drawn.width() * 0.25, drawn.height() * 0.1), drawn);
        crop.drag(drawn.topLeft() + QPointF(drawn.width() * 0.5075, drawn.height() * 0.6), drawn);
        crop.release(drawn);
        QVERIFY(crop.selection());
        // x 0.25…0.5075 of 200 → 50…101.5, rounded outwards to 102; y from the top 0.1…0.6 of 100 → 10…60.
        QCOMPARE(PhotoCrop::pixelRect(*crop.selection(), photo.size()), QRect(50, 10, 52, 50));
        const QImage cropped = crop.croppedImage(photo);
        QCOMPARE(cropped.size(), QSize(52, 50));
        QCOMPARE(cropped.devicePixelRatio(), 1.0);
        crop.reset();
        QCOMPARE(crop.croppedImage(photo).size(), QSize(200, 100));
    }
};

TESSALY_TEST_MAIN(TestPhotoCrop)
#include "test_photocrop.moc"
