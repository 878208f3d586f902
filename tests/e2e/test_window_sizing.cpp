// End to end: the window's size follows the font scale, and hover shrink
// collapses it to the composer and back.
#include "app/WindowHoverShrink.h"
#include "app/WindowPresence.h"
#include "support/AppHarness.h"
#include "support/TestMain.h"
#include "ui/ComposerTextView.h"
#include "ui/ComposerView.h"
#include "ui/TranscriptView.h"

#include <QEnterEvent>
#include <QScreen>
#include <QtTest>

class TestWindowSizing : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void cleanup() { AppHarness::environmentHook = {}; }

    void theLargestFontScaleWidensANarrowerWindowInsideTheScreen()
    {
        AppHarness h;
        TelegramWindow *window = h.app->window();
        h.app->showBots();
        const QRect available = window->screen()->availableGeometry();
        window->move(available.right() - window->width() + 1, available.top() + 20);
        QCOMPARE(window->width(), 365);

        emit h.app->botFace()->fontScaleChanged(1.6);
        QCOMPARE(window->minimumSize(), QSize(480, 360));
        QCOMPARE(window->width(), 480);
        // Widened against the screen's right edge: moved left, not off the screen.
        QCOMPARE(window->geometry().right(), available.right());

        emit h.app->botFace()->fontScaleChanged(0.8);
        QCOMPARE(window->minimumSize(), QSize(300, 360));
        QCOMPARE(window->width(), 480);
    }

    void hoveringCollapsesToTheComposerUntilThePointerLeavesTheOldFrame()
    {
        QPoint pointer;
        AppHarness::environmentHook = [&pointer](AppEnvironment &env) {
            env.pointerPosition = [&pointer] { return pointer; };
            env.hoverExitPollMs = 5;
        };
        AppHarness h;
        TelegramWindow *window = h.app->window();
        BotFaceView *face = h.app->botFace();
        WindowHoverShrink *shrink = h.app->hoverShrink();
        QVERIFY(shrink->hoverShrinkEnabled());

        // The sign-in face has nothing to shrink to.
        QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
        QCoreApplication::sendEvent(window, &enter);
        QVERIFY(!shrink->isHoverCollapsed());

        h.app->showBots();
        const QRect expanded = window->geometry();
        pointer = expanded.center();
        QCoreApplication::sendEvent(window, &enter);
        QVERIFY(shrink->isHoverCollapsed());
        QVERIFY(!face->transcriptView()->isVisible());
        QVERIFY(face->composer()->input()->height() <= 26);
        QVERIFY(window->height() < 200);
        QCOMPARE(window->geometry().top(), expanded.top());
        QVERIFY(shrink->isExitPollRunning());

        // Below the shrunken window but inside the old frame: still collapsed.
        pointer = QPoint(expanded.center().x(), expanded.bottom() - 5);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(window, &leave);
        QVERIFY(shrink->isHoverCollapsed());

        pointer = expanded.bottomRight() + QPoint(50, 50);
        QTRY_VERIFY(!shrink->isHoverCollapsed());
        QCOMPARE(window->geometry(), expanded);
        QVERIFY(face->transcriptView()->isVisible());
        QCOMPARE(window->minimumSize(), QSize(300, 360));
        QVERIFY(!shrink->isExitPollRunning());

        // A font size change while collapsed brings the window back at the new minimum.
        pointer = expanded.center();
        QCoreApplication::sendEvent(window, &enter);
        QVERIFY(shrink->isHoverCollapsed());
        emit face->fontScaleChanged(1.6);
        QVERIFY(!shrink->isHoverCollapsed());
        QCOMPARE(window->minimumSize(), QSize(480, 360));
        QCOMPARE(window->size(), QSize(480, expanded.height()));
        QVERIFY(face->transcriptView()->isVisible());
        emit face->fontScaleChanged(1.0);

        // Switched off (and stored), hovering leaves the window alone.
        h.app->toggleHoverShrink();
        QCOMPARE(h.settings->defaultTrueBool("hoverShrinkEnabled"), false);
        pointer = expanded.center();
        QCoreApplication::sendEvent(window, &enter);
        QVERIFY(!shrink->isHoverCollapsed());
        // Switched on with the pointer over the window: collapsed at once.
        h.app->toggleHoverShrink();
        QVERIFY(shrink->isHoverCollapsed());
    }
};

TESSALY_TEST_MAIN(TestWindowSizing)
#include "test_window_sizing.moc"
