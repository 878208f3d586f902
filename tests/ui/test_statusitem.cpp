// The status item's image: the plane alone, or with the red badge whose width
// follows the number of characters of the count.
#include "support/TestMain.h"
#include "ui/StatusItem.h"

#include <QApplication>
#include <QMenu>
#include <QtTest>

namespace {
bool isBadgeRed(const QColor &c)
{
    return c.alpha() == 255 && qAbs(c.red() - 230) <= 2 && qAbs(c.green() - 41) <= 2 &&
           qAbs(c.blue() - 51) <= 2;
}
} // namespace

class TestStatusItem : public QObject
{
    Q_OBJECT
private slots:
    void theBadgeWidensWithTheCount_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("badgeWidth");
        QTest::addColumn<int>("imageWidth");
        QTest::newRow("none") << 0 << 0 << 19;
        QTest::newRow("negative") << -3 << 0 << 19;
        QTest::newRow("one digit keeps the minimum") << 7 << 15 << 34;
        QTest::newRow("two digits") << 42 << 19 << 38;
        QTest::newRow("99") << 99 << 19 << 38;
        QTest::newRow("120 reads 99+") << 120 << 25 << 44;
    }
    void theBadgeWidensWithTheCount()
    {
        QFETCH(int, count);
        QFETCH(int, badgeWidth);
        QFETCH(int, imageWidth);
        QCOMPARE(StatusItem::badgeWidth(count), badgeWidth);
        const QImage image = StatusItem::makeStatusImage(count, Qt::black, 2.0);
        QCOMPARE(image.deviceIndependentSize().toSize(), QSize(imageWidth, 20));
        QCOMPARE(image.size(), QSize(imageWidth * 2, 40));

        // The badge's left end, clear of its text, is filled red; without a count nothing is red.
        const QColor leftOfText = image.pixelColor(2 * 16 + 1, 2 * 10);
        QCOMPARE(isBadgeRed(leftOfText), badgeWidth > 0);
        if (badgeWidth > 0) {
            QVERIFY(isBadgeRed(image.pixelColor(2 * (15 + badgeWidth) - 6, 2 * 10)));
            // The rounded corner leaves the rectangle's corner empty.
            QCOMPARE(image.pixelColor(2 * (15 + badgeWidth) - 1, 2 * 3).alpha(), 0);
        }
    }

    void theToolTipAndImageFollowTheShownCount()
    {
        StatusItem item;
        QCOMPARE(item.toolTip(), QString("Tessaly View"));
        QCOMPARE(item.image().deviceIndependentSize().width(), 19.0);
        item.refreshStatusItem(120);
        QCOMPARE(item.toolTip(), QStringLiteral("Tessaly View \u00B7 120 unread messages"));
        QCOMPARE(item.image().deviceIndependentSize().width(), 44.0);
        QCOMPARE(item.menu()->actions().size(), 2);
        QCOMPARE(item.menu()->actions().at(0)->text(), QString("Show Chat Window"));
        QCOMPARE(item.menu()->actions().at(1)->text(), QString("Hide Chat Window"));
    }
};

TESSALY_TEST_MAIN(TestStatusItem)
#include "test_statusitem.moc"
