// End to end: a second start of the application shows the running one's window
// and exits, and a lock left by a crashed run does not keep the next one out.
#include "app/WindowPresence.h"
#include "desktop/SingleInstance.h"
#include "support/AppHarness.h"
#include "support/TestMain.h"
#include "ui/StatusItem.h"

#include <QMenu>
#include <QProcess>
#include <QtTest>

namespace {
QString executable()
{
    return qEnvironmentVariable("TESSALY_BIN_DIR") + "/tessaly";
}

// The application in demo mode with its own runtime folder (lock and socket).
void startDemo(QProcess &process, const QString &runtimeFolder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtimeFolder);
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(executable(), {"--demo"});
}
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void cleanup() { AppHarness::environmentHook = {}; }

    void aSecondStartShowsTheRunningWindowAndExits()
    {
        QTemporaryDir runtime;
        SingleInstance running(SingleInstance::keyFor(true, QString()), runtime.path());
        QCOMPARE(running.claim(), SingleInstance::Role::Primary);
        QDateTime now = QDateTime::fromString("2026-03-01T10:00:00Z", Qt::ISODate);
        AppHarness::environmentHook = [&](AppEnvironment &env) {
            env.singleInstance = &running;
            env.windowClock = [&now] { return now; };
        };
        AppHarness h;
        QTRY_VERIFY_WITH_TIMEOUT(h.app->signInView()->isShowingQR(), 10000);
        h.app->statusItem()->menu()->actions().at(1)->trigger();
        QVERIFY(!h.app->window()->isVisible());
        now = now.addSecs(5);

        QProcess second;
        startDemo(second, runtime.path());
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(h.app->window()->isVisible(), 5000);
        QVERIFY(!h.app->presence()->mainWindowClosedByUser());
    }

    void aLockLeftByACrashedRunIsTakenOver()
    {
        QTemporaryDir runtime;
        SingleInstance probe(SingleInstance::keyFor(true, QString()), runtime.path());
        QProcess crashed;
        startDemo(crashed, runtime.path());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(probe.socketPath()), 20000);
        crashed.kill();
        QVERIFY(crashed.waitForFinished(10000));
        QVERIFY(QFile::exists(probe.lockPath()));

        QCOMPARE(probe.claim(), SingleInstance::Role::Primary);
        // And it answers the next start in turn.
        QSignalSpy asked(&probe, &SingleInstance::showRequested);
        QProcess second;
        startDemo(second, runtime.path());
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 1, 5000);
    }
};

TESSALY_TEST_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
