// Message bubbles drawn from cached pieces look exactly like the rounded path
// they are cut from, at any size, in both appearances and on dense screens.
#include "support/TestMain.h"
#include "ui/RoundedBox.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

namespace {

QImage drawn(const RoundedBox &box, const QSize &size, qreal ratio, bool directly)
{
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    // Under the box: what a code block lies on (a bubble), unevenly so that blending shows.
    image.fill(QColor(60, 90, 160));
    QPainter under(&image);
    under.fillRect(QRect(0, 0, size.width() / 2, size.height()), QColor(210, 200, 120));
    under.end();
    QPainter painter(&image);
    // Not at the origin: rows are painted inside a larger device too.
    const QRect rect(3, 2, size.width() - 5, size.height() - 4);
    if (directly)
        box.paintDirectly(painter, rect);
    else
        box.paint(painter, rect);
    return image;
}

// The largest difference of any channel of any pixel.
int largestDifference(const QImage &a, const QImage &b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return largest;
}

} // namespace

class TestRoundedBox : public QObject
{
    Q_OBJECT
private slots:
    void piecesMatchThePath_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<bool>("light");
        // A code block: a header band, a translucent surface, the bubble showing at its corners.
        QTest::addColumn<bool>("codeBlock");
        for (const qreal ratio : {1.0, 2.0}) {
            for (const bool light : {true, false}) {
                const QString look = QStringLiteral("%1x %2").arg(ratio).arg(light ? "light" : "dark");
                QTest::newRow(qPrintable(look + " tall")) << QSize(330, 420) << ratio << light << false;
                QTest::newRow(qPrintable(look + " one line")) << QSize(120, 40) << ratio << light << false;
                QTest::newRow(qPrintable(look + " too small to cut"))
                    << QSize(24, 20) << ratio << light << false;
                QTest::newRow(qPrintable(look + " code")) << QSize(310, 96) << ratio << light << true;
                QTest::newRow(qPrintable(look + " code, header only"))
                    << QSize(310, 30) << ratio << light << true;
            }
        }
    }
    void piecesMatchThePath()
    {
        QFETCH(QSize, size);
        QFETCH(qreal, ratio);
        QFETCH(bool, light);
        QFETCH(bool, codeBlock);
        RoundedBox box;
        box.radius = codeBlock ? 7 : 10;
        box.fill = light ? QColor(238, 240, 245) : QColor(44, 46, 52);
        box.border = light ? QColor(0, 0, 0, 40) : QColor(255, 255, 255, 30);
        box.background = light ? QColor(250, 250, 252) : QColor(28, 28, 32);
        if (codeBlock) {
            box.fill = light ? QColor(0, 0, 0, 12) : QColor(255, 255, 255, 14);
            box.header = light ? QColor(0, 0, 0, 20) : QColor(255, 255, 255, 22);
            box.headerHeight = 27;
            box.background = Qt::transparent;
        }
        const QImage pieces = drawn(box, size, ratio, false);
        // Translucent colours are blended in two steps instead of one: a
        // rounding step of a channel or two, never a visible one.
        const int tolerance = box.background.alpha() < 255 ? 2 : 0;
        QVERIFY(largestDifference(pieces, drawn(box, size, ratio, true)) <= tolerance);
        // From the cache the second time, the same again.
        QCOMPARE(largestDifference(drawn(box, size, ratio, false), pieces), 0);
    }
};

TESSALY_TEST_MAIN(TestRoundedBox)
#include "test_roundedbox.moc"
