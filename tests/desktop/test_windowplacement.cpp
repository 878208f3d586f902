// Where the window goes on a screen: the saved origin, centring on another
// screen, clamping into the visible area, and which screen is the primary one.
#include "desktop/WindowPlacement.h"
#include "support/TestMain.h"

#include <QtTest>

using OptionalPoint = std::optional<QPoint>;
Q_DECLARE_METATYPE(OptionalPoint)

class TestWindowPlacement : public QObject
{
    Q_OBJECT
private slots:
    void targetOrigin_data()
    {
        QTest::addColumn<bool>("onScreen");
        QTest::addColumn<bool>("useSaved");
        QTest::addColumn<OptionalPoint>("saved");
        QTest::addColumn<QRect>("visible");
        QTest::addColumn<OptionalPoint>("expected");
        const QRect area(0, 25, 1440, 875);
        const QRect right(1440, 0, 1920, 1080);
        const OptionalPoint none;
        QTest::newRow("own screen, saved position not asked for")
            << true << false << OptionalPoint(QPoint(50, 60)) << area << none;
        QTest::newRow("own screen, nothing saved") << true << true << none << area << none;
        QTest::newRow("saved origin inside")
            << true << true << OptionalPoint(QPoint(50, 60)) << area << OptionalPoint(QPoint(50, 60));
        QTest::newRow("saved origin half off the right edge is pulled in")
            << true << true << OptionalPoint(QPoint(1300, 700)) << area
            << OptionalPoint(QPoint(1440 - 365, 900 - 420));
        QTest::newRow("saved origin above the visible area is pulled down")
            << true << true << OptionalPoint(QPoint(10, -100)) << area << OptionalPoint(QPoint(10, 25));
        QTest::newRow("saved origin on a disconnected screen is ignored")
            << true << true << OptionalPoint(QPoint(3000, 200)) << area << none;
        QTest::newRow("frame just touching nothing is ignored")
            << true << true << OptionalPoint(QPoint(1440, 25)) << area << none;
        QTest::newRow("another screen: centred, saved origin unused")
            << false << true << OptionalPoint(QPoint(50, 60)) << right
            << OptionalPoint(QPoint(1440 + (1920 - 365) / 2, (1080 - 420) / 2));
        QTest::newRow("screen smaller than the window: top-left of the area")
            << false << false << none << QRect(100, 50, 300, 200) << OptionalPoint(QPoint(100, 50));
    }
    void targetOrigin()
    {
        QFETCH(bool, onScreen);
        QFETCH(bool, useSaved);
        QFETCH(OptionalPoint, saved);
        QFETCH(QRect, visible);
        QFETCH(OptionalPoint, expected);
        QCOMPARE(WindowPlacement::targetOrigin(onScreen, useSaved, saved, QSize(365, 420), visible),
                 expected);
    }

    void thePrimaryScreenStartsAtTheOrigin()
    {
        const QRect atOrigin(0, 0, 1440, 900);
        const QRect left(-1920, 0, 1920, 1080);
        const QRect above(0, -1080, 1920, 1080);
        QCOMPARE(WindowPlacement::primaryScreenIndex({left, atOrigin}, 0), 1);
        QCOMPARE(WindowPlacement::primaryScreenIndex({left, above}, 1), 1);
        QCOMPARE(WindowPlacement::primaryScreenIndex({left, above}, -1), 0);
        QCOMPARE(WindowPlacement::primaryScreenIndex({}, 0), -1);
    }

    void theOriginIsStoredAsAPointString()
    {
        QCOMPARE(WindowPlacement::pointString(QPoint(-40, 125)), QString("{-40, 125}"));
        QCOMPARE(WindowPlacement::parsePointString("{-40, 125}"), OptionalPoint(QPoint(-40, 125)));
        QCOMPARE(WindowPlacement::parsePointString("{100.6, 20}"), OptionalPoint(QPoint(101, 20)));
        for (const char *bad : {"", "{}", "{1}", "{1, 2, 3}", "1, 2", "{a, 2}", "{1e30, 2}"})
            QCOMPARE(WindowPlacement::parsePointString(bad), OptionalPoint());
    }
};

TESSALY_TEST_GUILESS_MAIN(TestWindowPlacement)
#include "test_windowplacement.moc"
