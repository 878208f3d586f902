// End to end: the window put away and brought back through the status item and
// another start of the application.
#include "app/WindowPresence.h"
#include "desktop/AeroSpaceWorkspaceFollower.h"
#include "support/AppHarness.h"
#include "support/TestMain.h"
#include "ui/StatusItem.h"

#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWindow>
#include <QtTest>
#include <sys/stat.h>

namespace {
QAction *statusMenuItem(AppHarness &h, const QString &text)
{
    for (QAction *action : h.app->statusItem()->menu()->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

QToolButton *pinButton(AppHarness &h)
{
    for (QToolButton *button : h.app->botFace()->findChildren<QToolButton *>()) {
        const QString symbol = button->property("symbol").toString();
        if (symbol == "pin.fill" || symbol == "pin.slash")
            return button;
    }
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

    void theTitleNamesTheSelectedBotAsWritten()
    {
        AppHarness h(R"({"scan_delay_ms":0})");
        TelegramWindow *window = h.app->window();
        QCOMPARE(window->windowTitle(), QString("Tessaly"));
        QVERIFY(!window->windowIcon().isNull());
        QTRY_VERIFY_WITH_TIMEOUT(!h.app->botChats().isEmpty(), 10000);
        BotConversation bot = h.app->botChats().first();
        // "[*]" would otherwise be taken for the unsaved-changes marker and vanish.
        bot.title = "Q&A [*] Bot";
        h.app->selectBot(bot);
        QCOMPARE(window->windowTitle(), QString("Tessaly — Q&A [*][*] Bot"));
        QCOMPARE(window->windowHandle()->title(), QString("Tessaly — Q&A [*] Bot"));
        QCOMPARE(window->accessibleName(), QString("Tessaly — Q&A [*] Bot"));
        // The fresh session after logging out waits at its QR code; signed in again at once, it
        // would bring the bot back before a loaded machine looked at the title.
        AppHarness::configure(R"({"scan_delay_ms":"never"})");
        h.alerts.script.push_back(ScriptedAlerts::button(0));
        h.app->logOut();
        QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QString("Tessaly"), 10000);
    }

    void thePinButtonChangesTheLevelInPlace()
    {
        AppHarness h(R"({"scan_delay_ms":0})");
        QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramAuthorized(), 10000);
        TelegramWindow *window = h.app->window();
        window->setGeometry(140, 90, 380, 430);
        QTRY_COMPARE(window->geometry(), QRect(140, 90, 380, 430));
        QToolButton *pin = pinButton(h);
        QVERIFY(pin);
        QVERIFY(h.app->presence()->windowIsPinned());
        QVERIFY(window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(pin->toolTip(), QString("Window stays on top. Click to let other windows come forward."));

        pin->click();
        QVERIFY(!h.app->presence()->windowIsPinned());
        QVERIFY(!window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(pin->property("symbol").toString(), QString("pin.slash"));
        QCOMPARE(pin->toolTip(), QString("Keep window on top"));
        // Same place, still on screen: the native window was not recreated.
        QVERIFY(window->isVisible());
        QCOMPARE(window->geometry(), QRect(140, 90, 380, 430));

        pin->click();
        QVERIFY(h.app->presence()->windowIsPinned());
        QVERIFY(window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(pin->property("symbol").toString(), QString("pin.fill"));
        QVERIFY(window->isVisible());
        QCOMPARE(window->geometry(), QRect(140, 90, 380, 430));
    }

    void aSavedOriginIsUsedOnlyWhereItStillReachesTheScreen()
    {
        const auto notFollowing = [](const QString &origin) {
            return [origin](SettingsStore &s) {
                s.setBool("followActiveSpaceEnabled", false);
                s.setString("primaryWindowOrigin", origin);
            };
        };
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        {
            // A display that is no longer connected: the window stays where it was put.
            AppHarness h(R"({"scan_delay_ms":"never"})", {}, notFollowing("{5000, 4000}"));
            QTRY_VERIFY_WITH_TIMEOUT(h.app->signInView()->isShowingQR(), 10000);
            QCOMPARE(h.app->window()->geometry().topLeft(), QPoint(120, 120));
        }
        {
            AppHarness h(R"({"scan_delay_ms":"never"})", {}, notFollowing("{30, 40}"));
            QTRY_VERIFY_WITH_TIMEOUT(h.app->signInView()->isShowingQR(), 10000);
            QCOMPARE(h.app->window()->pos(), QPoint(30, 40));
        }
        {
            // Partly off the screen: pulled in whole.
            const QPoint partly = area.bottomRight() - QPoint(100, 100);
            AppHarness h(R"({"scan_delay_ms":"never"})", {},
                         notFollowing(QString("{%1, %2}").arg(partly.x()).arg(partly.y())));
            QTRY_VERIFY_WITH_TIMEOUT(h.app->signInView()->isShowingQR(), 10000);
            // Placed before it is first shown, at its size then (the decorations come later).
            QCOMPARE(h.app->window()->pos(), area.bottomRight() + QPoint(1, 1) - QPoint(365, 420));
        }
    }

    void whereTheWindowComesToRestIsRemembered()
    {
        AppHarness h;
        QTRY_VERIFY_WITH_TIMEOUT(h.app->signInView()->isShowingQR(), 10000);
        // A drag is many moves: the file is written once the window rests, not per step.
        for (int x = 200; x <= 210; ++x)
            h.app->window()->move(x, 95);
        QVERIFY(h.settings->string("primaryWindowOrigin") != QString("{210, 95}"));
        QTRY_COMPARE(h.settings->string("primaryWindowOrigin").value_or(QString()), QString("{210, 95}"));

        // Quitting straight after a move keeps it.
        h.app->window()->move(230, 95);
        h.quit();
        QCOMPARE(h.settings->string("primaryWindowOrigin").value_or(QString()), QString("{230, 95}"));
    }

    // The setting runs the workspace follower: on at launch, stopped when switched
    // off, subscribed again when switched back on.
    void theFollowSettingStartsAndStopsTheWorkspaceFollower()
    {
        QTemporaryDir dir;
        qputenv("FAKE_AEROSPACE_DIR", dir.path().toUtf8());
        QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("events")).constData(), 0600) == 0);
        auto subscriptions = [&dir] {
            QFile calls(dir.filePath("calls"));
            return calls.open(QIODevice::ReadOnly) ? calls.readAll().count("subscribe|") : 0;
        };
        AeroSpaceWorkspaceFollower::Options options;
        options.toolCandidates = {QStringLiteral(TESSALY_FAKES_DIR "/aerospace")};
        options.serverProcessName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        options.timeScale = 0.1;
        AeroSpaceWorkspaceFollower follower(options);
        AppHarness::environmentHook = [&follower](AppEnvironment &env) { env.workspaceFollower = &follower; };
        AppHarness h;
        QTRY_COMPARE(subscriptions(), 1);

        h.app->presence()->toggleFollowActiveSpace();
        QVERIFY(!h.settings->defaultTrueBool("followActiveSpaceEnabled"));
        // Only a stopped follower starts over: a running one would ignore the start.
        h.app->presence()->toggleFollowActiveSpace();
        QTRY_COMPARE(subscriptions(), 2);
    }
};

TESSALY_TEST_MAIN(TestWindowPresence)
#include "test_window_presence.moc"
