// The hover shrink state machine against a window that is only rectangles.
#include "desktop/HoverShrink.h"
#include "support/TestMain.h"

#include <QtTest>

namespace {
struct FakeWindow : HoverShrinkHost
{
    bool collapsible = true;
    QRect frame{100, 100, 365, 420};
    QMargins margins{0, 28, 0, 0};
    QSize minimum{300, 360};
    bool collapsedLayout = false;
    int composer = 70;
    QPoint pointer{0, 0};

    bool canCollapse() const override { return collapsible; }
    QRect windowFrame() const override { return frame; }
    QMargins frameMargins() const override { return margins; }
    QSize windowMinimumSize() const override { return minimum; }
    void setWindowMinimumSize(const QSize &size) override { minimum = size; }
    void setWindowFrame(const QRect &rect) override { frame = rect; }
    void setCollapsedLayout(bool collapsed) override { collapsedLayout = collapsed; }
    int composerHeight() const override { return collapsedLayout ? 26 + 16 : composer; }
    QPoint pointerPosition() const override { return pointer; }
};
} // namespace

class TestHoverShrink : public QObject
{
    Q_OBJECT
private slots:
    void enteringCollapsesToTheComposerAndLeavingTheOldFrameRestores()
    {
        FakeWindow window;
        HoverShrink shrink(window, true, 5);
        QVERIFY(!shrink.isExitPollRunning());

        window.pointer = QPoint(200, 300);
        shrink.hoverViewMouseEntered();
        QVERIFY(shrink.isHoverCollapsed());
        QVERIFY(window.collapsedLayout);
        // Composer 42 + 20, the top edge kept, the width and minimum width kept.
        QCOMPARE(window.frame, QRect(100, 100, 365, 62));
        QCOMPARE(window.minimum, QSize(300, 62));
        QCOMPARE(shrink.expandedWindowFrame(), QRect(100, 100, 365, 420));
        QVERIFY(shrink.isExitPollRunning());

        // The shrunken window is left, but the pointer is still over the old frame.
        window.pointer = QPoint(200, 450);
        shrink.hoverViewMouseExited();
        QVERIFY(shrink.isHoverCollapsed());
        // Entering again while collapsed remembers nothing new.
        shrink.hoverViewMouseEntered();
        QCOMPARE(shrink.expandedWindowFrame(), QRect(100, 100, 365, 420));

        // Out of the old frame without a leave event: the poll notices.
        window.pointer = QPoint(50, 50);
        QTRY_VERIFY(!shrink.isHoverCollapsed());
        QCOMPARE(window.frame, QRect(100, 100, 365, 420));
        QCOMPARE(window.minimum, QSize(300, 360));
        QVERIFY(!window.collapsedLayout);
        QVERIFY(!shrink.isExitPollRunning());
        QVERIFY(!shrink.expandedWindowFrame());
    }

    void aTinyComposerStillLeavesSixtyPointsWithTheTitleBar()
    {
        struct TinyComposer : FakeWindow
        {
            int composerHeight() const override { return 10; }
        } window;
        HoverShrink shrink(window, true, 60000);
        shrink.hoverViewMouseEntered();
        // 28 + 10 + 20 is below 60: the whole window, title bar included, is 60 high.
        QCOMPARE(window.frame, QRect(100, 100, 365, 60 - 28));
    }

    void leavingOutsideTheOldFrameRestoresAtOnce()
    {
        FakeWindow window;
        HoverShrink shrink(window, true, 60000);
        shrink.hoverViewMouseEntered();
        window.pointer = QPoint(1000, 1000);
        shrink.hoverViewMouseExited();
        QVERIFY(!shrink.isHoverCollapsed());
        QCOMPARE(window.frame, QRect(100, 100, 365, 420));
    }

    void theSettingGatesCollapseAndSwitchingItRestoresOrCollapses()
    {
        FakeWindow window;
        HoverShrink shrink(window, false, 60000);
        window.pointer = QPoint(200, 300);
        shrink.hoverViewMouseEntered();
        QVERIFY(!shrink.isHoverCollapsed());
        QVERIFY(!shrink.isExitPollRunning());

        // On while the pointer is over the window (its title bar counts): collapsed at once.
        window.pointer = QPoint(200, 80);
        shrink.setHoverShrinkEnabled(true);
        QVERIFY(shrink.isHoverCollapsed());
        shrink.setHoverShrinkEnabled(false);
        QVERIFY(!shrink.isHoverCollapsed());
        QCOMPARE(window.frame, QRect(100, 100, 365, 420));

        // On with the pointer elsewhere: nothing until it enters.
        window.pointer = QPoint(5, 5);
        shrink.setHoverShrinkEnabled(true);
        QVERIFY(!shrink.isHoverCollapsed());

        // A window without a composer to shrink to stays as it is.
        window.collapsible = false;
        shrink.hoverViewMouseEntered();
        QVERIFY(!shrink.isHoverCollapsed());
    }
};

TESSALY_TEST_GUILESS_MAIN(TestHoverShrink)
#include "test_hovershrink.moc"
