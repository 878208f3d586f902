// End to end: the real controller and window against the Telegram simulator.
#include "support/AppHarness.h"
#include "support/TestMain.h"
#include "telegram/SessionKey.h"
#include "ui/BotFaceView.h"
#include "ui/SignInView.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QSignalSpy>
#include <QtTest>

class TestAppSignIn : public QObject
{
    Q_OBJECT
private slots:
    void qrSignInShowsTheCodeThenTheBotFace()
    {
        AppHarness h;
        SignInView *signIn = h.app->signInView();
        QCOMPARE(h.app->window()->face(), signIn);
        QTRY_VERIFY_WITH_TIMEOUT(signIn->isShowingQR(), 10000);
        const QImage qr = signIn->qrImage();
        QCOMPARE(qr.width(), 660);
        QCOMPARE(qr.devicePixelRatio(), 3.0);
        // The quiet margin is white and the code starts inside it.
        QCOMPARE(qr.pixelColor(30, 30), QColor(Qt::white));
        QCOMPARE(qr.pixelColor(62, 62), QColor(Qt::black));
        QVERIFY(signIn->status().startsWith("Scan this QR code"));

        AppHarness::configure(R"({"command":"scan"})");
        QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramAuthorized(), 10000);
        QCOMPARE(h.app->window()->face(), h.app->botFace());
        QTRY_VERIFY_WITH_TIMEOUT(h.app->botChats().size() >= 2, 10000);
        QVERIFY(h.secrets.itemCount() == 1);
    }

    void passwordAfterAWrongOne()
    {
        AppHarness h(R"({"scan_delay_ms":"never","password":"hunter2"})");
        h.alerts.script.push_back(ScriptedAlerts::button(0, "wrong"));
        h.alerts.script.push_back(ScriptedAlerts::button(0, "hunter2"));
        QTRY_VERIFY_WITH_TIMEOUT(h.app->signInView()->isShowingQR(), 10000);
        AppHarness::configure(R"({"command":"scan"})");
        QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramAuthorized(), 10000);
        QCOMPARE(h.alerts.presented.size(), 2);
        QCOMPARE(h.alerts.presented[0].message, QString("Telegram Two-Step Verification"));
        QCOMPARE(h.alerts.presented[0].accessory, AlertRequest::Accessory::SecureField);
        QVERIFY(!h.app->passwordPromptIsOpen());
    }

    void cancellingThePasswordClosesTheSessionAndStartsAFreshOne()
    {
        AppHarness h(R"({"scan_delay_ms":"never","password":"pw"})");
        QTRY_VERIFY_WITH_TIMEOUT(h.app->signInView()->isShowingQR(), 10000);
        AppHarness::configure(R"({"command":"scan"})");
        QTRY_VERIFY_WITH_TIMEOUT(h.app->passwordPromptIsOpen(), 10000);
        h.alerts.answerPending(ScriptedAlerts::button(1));
        // A new QR code comes from a new session; nothing was signed in.
        QTRY_VERIFY_WITH_TIMEOUT(h.app->signInView()->isShowingQR(), 10000);
        QVERIFY(!h.app->telegramAuthorized());
        QVERIFY(!h.app->isTerminating());
    }

    void logOutWipesTheSessionAndShowsANewCode()
    {
        AppHarness h(R"({"scan_delay_ms":0})");
        QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramAuthorized(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!h.app->botChats().isEmpty(), 10000);
        h.app->selectBot(h.app->botChats().first());
        const QString base = h.app->client()->baseDirectory();
        QTRY_VERIFY_WITH_TIMEOUT(QDir(base + "/history").exists(), 10000);
        QFile marker(base + "/files/left-behind.txt");
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        const QByteArray oldKey = h.secrets.read(SessionKey::service, SessionKey::account).data;

        AppHarness::configure(R"({"scan_delay_ms":"never"})");
        h.alerts.script.push_back(ScriptedAlerts::button(0));
        h.app->logOut();
        QTRY_VERIFY_WITH_TIMEOUT(!h.app->telegramAuthorized() && h.app->botChats().isEmpty(), 10000);
        QCOMPARE(h.alerts.presented.last().message, QString("Log Out of Telegram?"));
        QCOMPARE(h.app->window()->face(), h.app->signInView());
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(base + "/history").exists(), 5000);
        QVERIFY(!QFile::exists(base + "/files/left-behind.txt"));
        QTRY_VERIFY_WITH_TIMEOUT(h.app->signInView()->isShowingQR(), 10000);
        QVERIFY(h.secrets.read(SessionKey::service, SessionKey::account).data != oldKey);
    }

    // The window is on screen before TDLib loads, before the tray icon asks the
    // desktop for a tray and before the chat face is built; the face is there
    // before TDLib answers.
    void tdlibAndTheChatFaceWaitForTheFirstFrame()
    {
        AppHarness h(R"({"scan_delay_ms":0})");
        QVERIFY(h.app->client());
        QVERIFY(!h.app->client()->isReceiving());
        QVERIFY(!h.app->window()->findChild<BotFaceView *>());
        QTRY_VERIFY_WITH_TIMEOUT(h.app->client()->isReceiving(), 5000);
        QVERIFY(h.app->window()->findChild<BotFaceView *>());
        QVERIFY(h.app->window()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramAuthorized(), 10000);
    }

    void quittingWaitsForTDLibToClose()
    {
        AppHarness h(R"({"scan_delay_ms":0,"close_delay_ms":300})");
        QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramAuthorized(), 10000);
        QSignalSpy confirmed(h.app.get(), &AppDelegate::terminationConfirmed);
        h.app->requestTermination();
        QCOMPARE(confirmed.count(), 0);
        QVERIFY(confirmed.wait(10000));
        QCOMPARE(confirmed.count(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!h.app->client()->isReceiving(), 3000);
        h.app.reset();
    }

    // Missing, damaged (not a library at all) or the wrong library (no TDLib functions).
    void anUnusableLibraryIsReportedNotFatal_data()
    {
        QTest::addColumn<QString>("library");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "/nonexistent/libtdjson.so"
                                 << "/nonexistent/libtdjson.so does not exist";
        QTest::newRow("damaged") << "damaged"
                                 << "libtdjson.so";
        const QString qtCore = QLibraryInfo::path(QLibraryInfo::LibrariesPath) + "/libQt6Core.so.6";
        QTest::newRow("wrong library")
            << qtCore << "does not export td_create_client_id, td_send and td_receive";
    }
    void anUnusableLibraryIsReportedNotFatal()
    {
        QFETCH(QString, library);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        if (library == "damaged") {
            library = dir.filePath("libtdjson.so");
            QFile file(library);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(4096, '\x7f'));
        }
        AppHarness h(R"({})", {library});
        QTRY_VERIFY_WITH_TIMEOUT(h.app->signInView()->status().startsWith("Could not load TDLib: "), 5000);
        QVERIFY2(h.app->signInView()->status().contains(reason), qPrintable(h.app->signInView()->status()));
        QSignalSpy confirmed(h.app.get(), &AppDelegate::terminationConfirmed);
        h.app->requestTermination();
        QCOMPARE(confirmed.count(), 1);
        h.app.reset();

        // Quitting while the library is still being looked for ends as promptly.
        AppHarness::environmentHook = [](AppEnvironment &env) { env.terminationFallbackMs = 60000; };
        AppHarness quick(R"({})", {"/nonexistent/libtdjson.so"});
        AppHarness::environmentHook = nullptr;
        QSignalSpy quickConfirmed(quick.app.get(), &AppDelegate::terminationConfirmed);
        quick.app->requestTermination();
        QVERIFY(quickConfirmed.count() == 1 || quickConfirmed.wait(5000));
        quick.app.reset();
    }
};

TESSALY_TEST_MAIN(TestAppSignIn)
#include "test_app_signin.moc"
