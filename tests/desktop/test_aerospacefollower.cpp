// The workspace follower against a stand-in `aerospace` tool that logs every
// call and prints what the test puts in its folder.
#include "desktop/AeroSpaceWorkspaceFollower.h"
#include "support/TestMain.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestAeroSpaceFollower : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("FAKE_AEROSPACE_DIR", m_dir->path().toUtf8());
        QVERIFY(::mkfifo(path("events").constData(), 0600) == 0);
        write("windows", "42\t1\tB\n");
        write("visible", "B\n");
    }

    void cleanup()
    {
        m_follower.reset();
        if (m_events >= 0)
            ::close(m_events);
        m_events = -1;
    }

    void eventsInABurstGiveOneReconcileAndSplitLinesCountOnce()
    {
        makeFollower(2.0); // event debounce 0.3 s, first reconcile 0.8 s after launch
        m_follower->attachWindowNumber(42);
        m_follower->start();
        QTRY_COMPARE(count("subscribe|"), 1);
        openEvents();
        QTRY_COMPARE_WITH_TIMEOUT(count("list-windows|"), 1, 3000); // the one after launch

        const QByteArray event = R"({"_event":"focused-workspace-changed","workspace":"2"})";
        send(event + "\n");
        QTest::qWait(40);
        send("not json\n{\"_event\":\"other\"}\n" + event + "\n");
        QTest::qWait(40);
        send("  " + event + "  \n");
        QTRY_COMPARE_WITH_TIMEOUT(count("list-windows|"), 2, 3000);
        QTest::qWait(500);
        QCOMPARE(count("list-windows|"), 2);

        // Half a line is not an event yet; the rest of it makes one.
        send(event.left(20));
        QTest::qWait(500);
        QCOMPARE(count("list-windows|"), 2);
        send(event.mid(20) + "\n");
        QTRY_COMPARE_WITH_TIMEOUT(count("list-windows|"), 3, 3000);
    }

    void reconcileMovesTheWindowOnlyWhenAnotherWorkspaceIsVisible()
    {
        makeFollower(0.1);
        // Another window, one with no workspace, then this one on monitor 2; later lines do not count.
        write("windows", "7\t1\tA\n 42 \t2\t \n 42\t2\tB\n42\t3\tC\n");
        write("visible", "\n  A \nB\n");
        m_follower->attachWindowNumber(42);
        // The reconcile after the launch does this one's work: one asked for as
        // well could still be under way, on a slow machine, when the calls are
        // counted below.
        m_follower->start();
        const QString pid = QString::number(QCoreApplication::applicationPid());
        QTRY_VERIFY(calls().contains("move-node-to-workspace|--window-id|42|--fail-if-noop|--|A|"));
        QVERIFY(calls().contains(
            QString("list-windows|--monitor|all|--pid|%1|--format|%{window-id}\t%{monitor-id}\t%{workspace}|")
                .arg(pid)
                .toUtf8()));
        QVERIFY(calls().contains("list-workspaces|--monitor|2|--visible|--format|%{workspace}|"));

        write("visible", "B\n");
        write("calls", "");
        m_follower->reconcileNow();
        QTRY_COMPARE(count("list-workspaces|"), 1);
        m_follower->stop(); // waits for the reconcile under way
        QCOMPARE(count("move-node-to-workspace|"), 0);
    }

    void aWindowNumberBelowOneMakesReconcilesDoNothing()
    {
        makeFollower(0.1);
        m_follower->attachWindowNumber(0);
        m_follower->start();
        m_follower->reconcileNow();
        QTRY_COMPARE(count("subscribe|"), 1);
        QTest::qWait(200); // both the launch's and the requested reconcile are due by now
        m_follower->stop();
        QCOMPARE(count("list-windows|"), 0);
    }

    void withoutTheToolRestartsBackOffAndStopStartsOver()
    {
        QList<double> waits;
        QMutex mutex;
        AeroSpaceWorkspaceFollower::Options options;
        options.toolCandidates = {m_dir->filePath("missing/aerospace")};
        options.timeScale = 0.002;
        options.restartScheduled = [&](double seconds) {
            QMutexLocker lock(&mutex);
            waits.append(seconds);
        };
        auto locked = [&] {
            QMutexLocker lock(&mutex);
            return waits;
        };
        m_follower = std::make_unique<AeroSpaceWorkspaceFollower>(options);
        m_follower->start();
        QTRY_VERIFY(locked().size() >= 7);
        QCOMPARE(locked().mid(0, 7), (QList<double>{2, 4, 8, 16, 30, 30, 30}));

        m_follower->stop();
        const auto stopped = locked().size();
        QTest::qWait(150); // more than two restart waits
        QCOMPARE(locked().size(), stopped);

        m_follower->start();
        QTRY_VERIFY(locked().size() >= stopped + 3);
        QCOMPARE(locked().mid(stopped, 3), (QList<double>{2, 4, 8}));
        m_follower.reset();
    }

private:
    QByteArray path(const char *name) const { return QFile::encodeName(m_dir->filePath(name)); }

    void write(const char *name, const QByteArray &text)
    {
        QFile file(m_dir->filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    QByteArray calls() const
    {
        QFile file(m_dir->filePath("calls"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    int count(const QByteArray &command) const
    {
        int n = 0;
        for (const QByteArray &line : calls().split('\n'))
            n += line.startsWith(command) ? 1 : 0;
        return n;
    }

    void makeFollower(double timeScale)
    {
        AeroSpaceWorkspaceFollower::Options options;
        options.toolCandidates = {QStringLiteral(TESSALY_FAKES_DIR "/aerospace")};
        // The process list holds this test itself: AeroSpace counts as running.
        options.serverProcessName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        options.timeScale = timeScale;
        m_follower = std::make_unique<AeroSpaceWorkspaceFollower>(options);
    }

    // Read and write: opening never waits for the subscription to open its end.
    void openEvents() { m_events = ::open(path("events").constData(), O_RDWR); }

    void send(const QByteArray &bytes)
    {
        QVERIFY(m_events >= 0);
        QCOMPARE(::write(m_events, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AeroSpaceWorkspaceFollower> m_follower;
    int m_events = -1;
};

TESSALY_TEST_GUILESS_MAIN(TestAeroSpaceFollower)
#include "test_aerospacefollower.moc"
