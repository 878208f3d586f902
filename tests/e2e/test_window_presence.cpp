// End to end: the window put away and brought back through the status item and
// another start of the application.
#include "app/WindowPresence.h"
#include "support/AppHarness.h"
#include "ui/StatusItem.h"

#include <QMenu>
#include <QtTest>

namespace {
QAction *statusMenuItem(AppHarness &h, const QString &text)
{
    for (QAction *action : h.app->statusItem()->menu()->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}
} // namespace

class TestWindowPresence : public QObject
{
    Q_OBJECT
private slots:
    // As the application runs: a hidden window does not end it.
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void cleanup() { AppHarness::environmentHook = {}; }

    void theStatusItemMenuHidesAndShowsTheWindow()
    {
        AppHarness h;
        TelegramWindow *window = h.app->window();
        // The session is up, so quitting at the end is answered at once.
        QTRY_VERIFY_WITH_TIMEOUT(h.app->signInView()->isShowingQR(), 10000);
        QVERIFY(window->isVisible());
        QAction *hide = statusMenuItem(h, "Hide Chat Window");
        QAction *show = statusMenuItem(h, "Show Chat Window");
        QVERIFY(hide && show);

        hide->trigger();
        QVERIFY(!window->isVisible());
        QVERIFY(h.app->presence()->mainWindowClosedByUser());
        // Closed by the user: activation does not bring it back.
        h.app->bringWindowToFront();
        QVERIFY(!window->isVisible());

        show->trigger();
        QVERIFY(window->isVisible());
        QVERIFY(!h.app->presence()->mainWindowClosedByUser());
        QVERIFY(!h.app->presence()->mainWindowClosedAt());
    }

    void aReopenRightAfterClosingDoesNothing()
    {
        QDateTime now = QDateTime::fromString("2026-03-01T10:00:00Z", Qt::ISODate);
        AppHarness::environmentHook = [&now](AppEnvironment &env) {
            env.windowClock = [&now] { return now; };
        };
        AppHarness h;
        TelegramWindow *window = h.app->window();
        // The session is up, so quitting at the end is answered at once.
        QTRY_VERIFY_WITH_TIMEOUT(h.app->signInView()->isShowingQR(), 10000);
        QVERIFY(window->isVisible());
        window->close();
        QVERIFY(!window->isVisible());
        QCOMPARE(h.app->presence()->mainWindowClosedAt(), now);

        now = now.addMSecs(749);
        h.app->presence()->applicationShouldHandleReopen();
        QVERIFY(!window->isVisible());
        now = now.addMSecs(1);
        h.app->presence()->applicationShouldHandleReopen();
        QVERIFY(window->isVisible());
        QVERIFY(!h.app->presence()->mainWindowClosedByUser());
    }
};

QTEST_MAIN(TestWindowPresence)
#include "test_window_presence.moc"
