// Work held back until a window's first frame: it runs after the frame was
// painted, never before, and still runs for a window that is never shown.
#include "app/AfterFirstFrame.h"
#include "support/TestMain.h"

#include <QWidget>
#include <QtTest>

namespace {

class CountingWindow : public QWidget
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override { ++paints; }
};

} // namespace

class TestAfterFirstFrame : public QObject
{
    Q_OBJECT
private slots:
    void workWaitsForTheFirstFrame()
    {
        CountingWindow window;
        window.resize(200, 200);
        AfterFirstFrame after(&window, 60000);
        int paintsSeenByWork = -1;
        after.add([&] { paintsSeenByWork = window.paints; });
        QCoreApplication::processEvents();
        QCOMPARE(paintsSeenByWork, -1);

        window.show();
        // Not inside show(): the work waits for the event loop.
        QCOMPARE(paintsSeenByWork, -1);
        QTRY_VERIFY(after.hasRun());
        QVERIFY(paintsSeenByWork >= 1);

        // Work added later runs too, once.
        int late = 0;
        after.add([&] { ++late; });
        QTRY_COMPARE(late, 1);
        QCoreApplication::processEvents();
        QCOMPARE(late, 1);
    }

    void aWindowNeverShownGetsTheWorkAfterTheFallback()
    {
        CountingWindow window;
        AfterFirstFrame after(&window, 30);
        int runs = 0;
        after.add([&] { ++runs; });
        QTRY_COMPARE(runs, 1);
        QCOMPARE(window.paints, 0);
        // Showing it afterwards runs nothing a second time.
        window.show();
        QTRY_VERIFY(window.paints > 0);
        QCoreApplication::processEvents();
        QCOMPARE(runs, 1);
    }
};

TESSALY_TEST_MAIN(TestAfterFirstFrame)
#include "test_after_first_frame.moc"
