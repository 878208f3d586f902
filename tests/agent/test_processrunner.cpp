#include "ProcessProbe.h"
#include "core/ProcessRunner.h"
#include "support/TestMain.h"

#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <fcntl.h>
#include <sys/epoll.h>
#include <unistd.h>

using namespace std::chrono_literals;

class TestProcessRunner : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;

    // Runs a request and waits for its one completion.
    ProcessRunner::Result runAndWait(ProcessRunner::Request request, int *completions = nullptr,
                                     const std::function<void(ProcessRunner *)> &whileRunning = {})
    {
        ProcessRunner::Result result;
        int count = 0;
        bool onMainThread = false;
        bool returned = false;
        bool beforeReturn = false;
        auto runner = ProcessRunner::run(std::move(request), [&](const ProcessRunner::Result &r) {
            result = r;
            ++count;
            onMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
            beforeReturn = !returned;
        });
        returned = true;
        if (whileRunning)
            whileRunning(runner);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(count > 0, 15000); }();
        QTest::qWait(100);
        if (completions)
            *completions = count;
        else
            [&] { QCOMPARE(count, 1); }();
        [&] {
            QVERIFY(onMainThread);
            QVERIFY(!beforeReturn);
        }();
        return result;
    }

    QStringList leftovers() const { return QDir(m_tmp.path()).entryList(QDir::Files | QDir::Hidden); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        // Every temporary file of the runner lands here, so leftovers show.
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
        QCOMPARE(QDir::tempPath(), m_tmp.path());
    }

    void capturesOutputAndDeletesTheFiles()
    {
        ProcessRunner::Request request;
        request.program = "sh";
        request.arguments = {"-c", "printf 'out\\n'; printf 'err\\n' >&2; ls \"$TMPDIR\" >&2; exit 3"};
        request.tempFilePrefix = "probe";
        const auto result = runAndWait(request);
        QCOMPARE(result.status, 3);
        QVERIFY(!result.signalled);
        QVERIFY(result.started());
        QVERIFY(!result.succeeded());
        QCOMPARE(result.standardOutput, QByteArray("out\n"));
        // While it ran, its own two files existed under the chosen prefix.
        QVERIFY(result.standardError.startsWith("err\n"));
        QCOMPARE(result.standardError.count("probe-"), 2);
        QVERIFY2(leftovers().isEmpty(), qPrintable(leftovers().join(u',')));
    }

    void usesTheFixedPathAndExtraVariables()
    {
        qputenv("TESSALY_RUNNER_INHERITED", "kept");
        qputenv("TESSALY_RUNNER_REMOVED", "gone");
        ProcessRunner::Request request;
        request.program = "env"; // found through the fixed path, not the inherited one
        request.environment = {{"TESSALY_RUNNER_ADDED", "yes"}, {"TESSALY_RUNNER_REMOVED", ""}};
        request.capture = ProcessRunner::Capture::Pipes;
        const auto result = runAndWait(request);
        QVERIFY(result.succeeded());
        const QList<QByteArray> lines = result.standardOutput.split('\n');
        QVERIFY(lines.contains("PATH=" + ProcessRunner::fixedSearchPath.toUtf8()));
        QVERIFY(lines.contains("TESSALY_RUNNER_ADDED=yes"));
        QVERIFY(lines.contains("TESSALY_RUNNER_INHERITED=kept"));
        QVERIFY(!result.standardOutput.contains("TESSALY_RUNNER_REMOVED"));
    }

    void argumentsNeverPassThroughAShell()
    {
        const QString marker = m_tmp.filePath("marker");
        ProcessRunner::Request request;
        request.program = "/bin/echo";
        request.arguments = {QStringLiteral("$(touch %1); `touch %1`").arg(marker), "*"};
        request.capture = ProcessRunner::Capture::Pipes;
        const auto result = runAndWait(request);
        QCOMPARE(result.standardOutput, (QStringLiteral("$(touch %1); `touch %1` *\n").arg(marker)).toUtf8());
        QVERIFY(!QFile::exists(marker));
    }

    void timeLimitTerminatesThenKills()
    {
        int limitCalls = 0;
        ProcessRunner::Request request;
        request.program = "sh";
        // Ignores the polite signal, so only the kill ends it.
        request.arguments = {"-c", "trap '' TERM; echo started; while :; do sleep 0.05; done"};
        request.timeLimit = 300ms;
        request.killGrace = 300ms;
        request.onTimeLimit = [&] { ++limitCalls; };
        const auto result = runAndWait(request);
        QVERIFY(result.timedOut);
        QVERIFY(!result.cancelled);
        QVERIFY(result.signalled);
        QCOMPARE(result.status, 9);
        QCOMPARE(limitCalls, 1);
        QCOMPARE(result.standardOutput, QByteArray("started\n"));
        QVERIFY(result.elapsedSeconds < 5);
        QVERIFY(leftovers().isEmpty());
    }

    void cancelTerminatesPolitely()
    {
        ProcessRunner::Request request;
        request.program = "sleep";
        request.arguments = {"30"};
        const auto result = runAndWait(request, nullptr, [](ProcessRunner *runner) {
            QTest::qWait(200);
            QVERIFY(runner && runner->isRunning());
            runner->cancel();
            runner->cancel(); // a second request changes nothing
        });
        QVERIFY(result.cancelled);
        QVERIFY(!result.timedOut);
        QVERIFY(result.signalled);
        QCOMPARE(result.status, 15);
        QVERIFY(leftovers().isEmpty());
    }

    // The child obeys the stop at once, but what it started ignores it: that
    // process still ends once the grace period is over.
    void stoppingReachesWhatTheChildStarted()
    {
        ProcessRunner::Request request;
        request.program = "sh";
        request.arguments = {"-c", "(trap '' TERM; exec sleep 30) & echo $!; wait"};
        request.killGrace = 300ms;
        qint64 started = 0;
        const auto result = runAndWait(request, nullptr, [&](ProcessRunner *runner) {
            QTRY_VERIFY(QFile(runner->standardOutputPath()).size() > 0);
            QFile output(runner->standardOutputPath());
            QVERIFY(output.open(QIODevice::ReadOnly));
            started = output.readAll().trimmed().toLongLong();
            QVERIFY(processRunning(started));
            runner->cancel();
        });
        QVERIFY(result.cancelled);
        QCOMPARE(result.status, 15);
        QTRY_VERIFY_WITH_TIMEOUT(!processRunning(started), 5000);
    }

    // Descriptors opened without close-on-exec, as TDLib opens its epoll
    // ones, stay in the application.
    void childrenInheritOnlyTheirStandardStreams()
    {
        const QByteArray path = QFile::encodeName(m_tmp.filePath("held-open"));
        const int file = ::open(path.constData(), O_CREAT | O_RDWR, 0600);
        const int poll = ::epoll_create(1);
        QVERIFY(file > 2 && poll > 2);
        ProcessRunner::Request request;
        request.program = "ls";
        request.arguments = {"-l", "/proc/self/fd"};
        request.capture = ProcessRunner::Capture::Pipes;
        const auto result = runAndWait(request);
        ::close(file);
        ::close(poll);
        ::unlink(path.constData());
        QVERIFY(result.succeeded());

        QStringList numbers;
        for (const QByteArray &line : result.standardOutput.split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            const int arrow = fields.indexOf("->");
            if (arrow > 0)
                numbers << QString::fromLatin1(fields.at(arrow - 1));
        }
        // ls itself holds the next free number while it reads the folder.
        QCOMPARE(numbers, (QStringList{"0", "1", "2", "3"}));
        QVERIFY(!result.standardOutput.contains("held-open"));
        QVERIFY(!result.standardOutput.contains("eventpoll"));
    }

    void launchFailureCompletesOnce()
    {
        ProcessRunner::Request request;
        request.program = m_tmp.filePath("no-such-program");
        request.timeLimit = 200ms;
        int completions = 0;
        const auto result = runAndWait(request, &completions);
        QCOMPARE(completions, 1);
        QCOMPARE(result.failure, ProcessRunner::Failure::Launch);
        QVERIFY(!result.errorText.isEmpty());
        QVERIFY(leftovers().isEmpty());
    }

    void missingTemporaryFolderIsReported()
    {
        if (!QFileInfo(QStringLiteral("/proc/self")).exists())
            QSKIP("needs /proc");
        // A folder where nobody, not even root, can create files.
        qputenv("TMPDIR", "/proc");
        ProcessRunner::Request request;
        request.program = "true";
        const auto result = runAndWait(request);
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
        QCOMPARE(result.failure, ProcessRunner::Failure::TempFiles);
    }

    void blockingRunFollowsTheSameRules()
    {
        ProcessRunner::Request request;
        request.program = "sh";
        request.arguments = {"-c", "echo \"$PATH\"; sleep 30"};
        request.timeLimit = 300ms;
        const auto result = ProcessRunner::runBlocking(request);
        QVERIFY(result.timedOut);
        QCOMPARE(result.status, 15);
        QCOMPARE(result.standardOutput, ProcessRunner::fixedSearchPath.toUtf8() + '\n');
        QVERIFY(leftovers().isEmpty());
    }
};

TESSALY_TEST_GUILESS_MAIN(TestProcessRunner)
#include "test_processrunner.moc"
