#include "core/ProcessRunner.h"

#include "core/MainThread.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <QUuid>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <unistd.h>

const QString ProcessRunner::fixedSearchPath =
    QStringLiteral("/opt/homebrew/bin:/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin");

namespace {

QString captureFilePath(const QString &prefix, const char *suffix)
{
    return QDir::temp().filePath(prefix + u'-' + QUuid::createUuid().toString(QUuid::WithoutBraces) +
                                 QLatin1String(suffix));
}

// A fresh, empty file only the user can read; false when it cannot be made.
bool createPrivateFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.close();
    return true;
}

bool createCaptureFiles(const QString &prefix, QString &outPath, QString &errPath)
{
    outPath = captureFilePath(prefix, ".out");
    errPath = captureFilePath(prefix, ".err");
    if (createPrivateFile(outPath) && createPrivateFile(errPath))
        return true;
    QFile::remove(outPath);
    QFile::remove(errPath);
    outPath.clear();
    errPath.clear();
    return false;
}

// How often a stopped child's group is checked for members that outlived it.
constexpr std::chrono::milliseconds groupPollInterval{50};

void signalGroup(qint64 groupId, int signal)
{
    if (groupId > 0)
        ::kill(-pid_t(groupId), signal);
}

// Signals a child that has not been reaped yet and the group it leads. Right
// after the fork the child may not have made its group yet; then it alone
// gets the signal.
void signalChildAndGroup(qint64 pid, int signal)
{
    if (pid > 0 && ::kill(-pid_t(pid), signal) != 0 && errno == ESRCH)
        ::kill(pid_t(pid), signal);
}

bool groupHasMembers(qint64 groupId)
{
    return groupId > 0 && ::kill(-pid_t(groupId), 0) == 0;
}

// The file's start, at most limit bytes (0: all); cut says whether more was there.
QByteArray readCapture(const QString &path, qint64 limit, bool &cut)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    if (limit <= 0 || file.size() <= limit)
        return file.readAll();
    cut = true;
    return file.read(limit);
}

// Runs in the child between fork and exec, so only async-signal-safe calls.
// Descriptors are marked rather than closed: the one Qt uses to report a
// failed exec is already close-on-exec and must stay open until then.
void markInheritedDescriptorsCloseOnExec()
{
#if defined(__linux__) && defined(CLOSE_RANGE_CLOEXEC)
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
        return;
#endif
    rlimit limit{};
    rlim_t end = 65536;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < end)
        end = limit.rlim_cur;
    for (int fd = 3; rlim_t(fd) < end; ++fd) {
        const int flags = ::fcntl(fd, F_GETFD);
        if (flags >= 0 && !(flags & FD_CLOEXEC))
            ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
}

void configure(QProcess &process, const ProcessRunner::Request &request, const QString &outPath,
               const QString &errPath)
{
    process.setProgram(ProcessRunner::resolvedProgram(request.program));
    process.setArguments(request.arguments);
    process.setProcessEnvironment(ProcessRunner::environmentFor(request));
    if (!request.workingDirectory.isEmpty())
        process.setWorkingDirectory(request.workingDirectory);
    if (!(request.capture == ProcessRunner::Capture::Stream && request.writableInput))
        process.setStandardInputFile(QProcess::nullDevice());
    // Its own group, so that stopping it reaches whatever it starts in turn;
    // and nothing of ours but the standard streams (TDLib's descriptors lack
    // close-on-exec, and a long-lived child would hold them open).
    process.setChildProcessModifier([] {
        ::setpgid(0, 0);
        markInheritedDescriptorsCloseOnExec();
    });
    switch (request.capture) {
    case ProcessRunner::Capture::TempFiles:
        process.setStandardOutputFile(outPath);
        process.setStandardErrorFile(errPath);
        break;
    case ProcessRunner::Capture::Discard:
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        break;
    case ProcessRunner::Capture::Pipes:
        process.setProcessChannelMode(QProcess::SeparateChannels);
        break;
    case ProcessRunner::Capture::Stream:
        if (!request.onErrorOutput)
            process.setStandardErrorFile(QProcess::nullDevice());
        break;
    }
}

} // namespace

ProcessRunner::ProcessRunner(Request request) : m_request(std::move(request))
{
    // Timers and the child's notifications need the main thread's event loop.
    if (QCoreApplication *app = QCoreApplication::instance(); app && thread() != app->thread())
        moveToThread(app->thread());
    m_limitTimer.setSingleShot(true);
    m_killTimer.setSingleShot(true);
    m_groupTimer.setInterval(groupPollInterval);
    connect(&m_limitTimer, &QTimer::timeout, this, &ProcessRunner::onTimeLimit);
    connect(&m_killTimer, &QTimer::timeout, this, &ProcessRunner::onKillTime);
    connect(&m_groupTimer, &QTimer::timeout, this, [this] {
        if (groupHasMembers(m_groupId))
            return;
        m_groupTimer.stop();
        m_killTimer.stop();
        deleteLater();
    });
}

ProcessRunner::~ProcessRunner()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->disconnect(this);
        signalChildGroup(SIGKILL);
        m_process->waitForFinished(2000);
    } else if (m_groupTimer.isActive()) {
        signalGroup(m_groupId, SIGKILL);
    }
    removeFiles();
}

QPointer<ProcessRunner> ProcessRunner::run(Request request, Completion completion)
{
    auto *runner = new ProcessRunner(std::move(request));
    QPointer<ProcessRunner> guard(runner);
    runner->start(std::move(completion));
    return guard;
}

QString ProcessRunner::resolvedProgram(const QString &program)
{
    if (program.contains(u'/'))
        return program;
    const QString found = QStandardPaths::findExecutable(program, fixedSearchPath.split(u':'));
    return found.isEmpty() ? program : found;
}

QProcessEnvironment ProcessRunner::environmentFor(const Request &request)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"), fixedSearchPath);
    for (const auto &[name, value] : request.environment) {
        if (value.isEmpty())
            env.remove(name);
        else
            env.insert(name, value);
    }
    return env;
}

bool ProcessRunner::prepare()
{
    if (m_prepared)
        return true;
    if (m_request.capture == Capture::TempFiles &&
        !createCaptureFiles(m_request.tempFilePrefix, m_outPath, m_errPath))
        return false;
    m_prepared = true;
    return true;
}

void ProcessRunner::start(Completion completion)
{
    m_completion = std::move(completion);
    if (QThread::currentThread() == thread())
        launch();
    else
        QMetaObject::invokeMethod(this, &ProcessRunner::launch, Qt::QueuedConnection);
}

void ProcessRunner::launch()
{
    if (m_process || m_finished)
        return;
    m_clock.start();
    if (!prepare()) {
        Result result;
        result.failure = Failure::TempFiles;
        result.errorText = QStringLiteral("Could not create temporary files in %1.").arg(QDir::tempPath());
        finish(result);
        return;
    }
    m_process = new QProcess(this);
    configure(*m_process, m_request, m_outPath, m_errPath);
    connect(m_process, &QProcess::finished, this, &ProcessRunner::onFinished);
    connect(m_process, &QProcess::errorOccurred, this, &ProcessRunner::onErrorOccurred);
    if (m_request.onStarted)
        connect(m_process, &QProcess::started, this, [this] { m_request.onStarted(); });
    if (m_request.capture == Capture::Stream && m_request.onOutput)
        connect(m_process, &QProcess::readyReadStandardOutput, this,
                [this] { m_request.onOutput(m_process->readAllStandardOutput()); });
    if (m_request.capture == Capture::Stream && m_request.onErrorOutput)
        connect(m_process, &QProcess::readyReadStandardError, this,
                [this] { m_request.onErrorOutput(m_process->readAllStandardError()); });
    m_process->start();
    if (m_finished)
        return;
    m_groupId = m_process->processId();
    if (m_request.timeLimit.count() > 0) {
        m_limitTimer.start(m_request.timeLimit);
    }
}

void ProcessRunner::cancel()
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, &ProcessRunner::cancel, Qt::QueuedConnection);
        return;
    }
    if (!isRunning())
        return;
    m_cancelled = true;
    terminateChild();
}

bool ProcessRunner::isRunning() const
{
    return m_process && !m_finished && m_process->state() != QProcess::NotRunning;
}

bool ProcessRunner::writeInput(const QByteArray &data)
{
    if (!m_request.writableInput || !isRunning())
        return false;
    if (m_process->write(data) != data.size())
        return false;
    // A line or two fits the pipe at once; a child that stopped reading
    // gets a second to make room.
    while (m_process->bytesToWrite() > 0) {
        if (!m_process->waitForBytesWritten(1000))
            return false;
    }
    return true;
}

void ProcessRunner::onTimeLimit()
{
    if (!isRunning())
        return;
    m_timedOut = true;
    if (m_request.onTimeLimit)
        m_request.onTimeLimit();
    terminateChild();
}

void ProcessRunner::terminateChild()
{
    signalChildGroup(SIGTERM);
    if (!m_killTimer.isActive())
        m_killTimer.start(m_request.killGrace);
}

void ProcessRunner::onKillTime()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        signalChildGroup(SIGKILL);
    } else if (m_groupTimer.isActive()) {
        // The child is gone, but what it started still ignores the request.
        signalGroup(m_groupId, SIGKILL);
        m_groupTimer.stop();
        deleteLater();
    }
}

void ProcessRunner::signalChildGroup(int signal)
{
    if (m_groupId <= 0 && m_process)
        m_groupId = m_process->processId();
    signalChildAndGroup(m_groupId, signal);
}

void ProcessRunner::onFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    Result result;
    // For a child ended by a signal QProcess reports the signal's number.
    result.status = exitCode;
    result.signalled = exitStatus == QProcess::CrashExit;
    collectOutput(result);
    finish(result);
}

void ProcessRunner::onErrorOccurred(QProcess::ProcessError error)
{
    // Every other error is followed by finished().
    if (error != QProcess::FailedToStart)
        return;
    Result result;
    result.failure = Failure::Launch;
    result.errorText = m_process->errorString();
    finish(result);
}

void ProcessRunner::collectOutput(Result &result)
{
    if (m_request.capture == Capture::TempFiles) {
        result.standardOutput = readCapture(m_outPath, m_request.captureLimit, result.outputCut);
        result.standardError = readCapture(m_errPath, m_request.captureLimit, result.outputCut);
    } else if (m_request.capture == Capture::Pipes && m_process) {
        result.standardOutput = m_process->readAllStandardOutput();
        result.standardError = m_process->readAllStandardError();
    } else if (m_request.capture == Capture::Stream && m_process) {
        // What the child wrote just before it ended still belongs to the stream.
        if (const QByteArray rest = m_process->readAllStandardOutput(); !rest.isEmpty() && m_request.onOutput)
            m_request.onOutput(rest);
        if (const QByteArray rest = m_process->readAllStandardError();
            !rest.isEmpty() && m_request.onErrorOutput)
            m_request.onErrorOutput(rest);
    }
}

void ProcessRunner::finish(Result result)
{
    if (m_finished)
        return;
    m_finished = true;
    m_limitTimer.stop();
    removeFiles();
    result.timedOut = m_timedOut;
    result.cancelled = m_cancelled && !m_timedOut;
    result.elapsedSeconds = m_clock.isValid() ? m_clock.elapsed() / 1000.0 : 0;
    if (Completion completion = std::move(m_completion))
        MainThread::post([completion = std::move(completion), result] { completion(result); });
    watchLeftoverGroup();
}

void ProcessRunner::watchLeftoverGroup()
{
    // After a stop request the rest of the group gets what is left of the
    // grace period, then the kill; a child that ended by itself leaves its
    // group alone.
    const bool stopping = (m_cancelled || m_timedOut) && m_killTimer.isActive();
    if (stopping && groupHasMembers(m_groupId)) {
        m_groupTimer.start();
        return;
    }
    m_killTimer.stop();
    deleteLater();
}

void ProcessRunner::removeFiles()
{
    if (!m_outPath.isEmpty())
        QFile::remove(m_outPath);
    if (!m_errPath.isEmpty())
        QFile::remove(m_errPath);
}

ProcessRunner::Result ProcessRunner::runBlocking(const Request &request)
{
    Result result;
    QElapsedTimer clock;
    clock.start();
    QString outPath;
    QString errPath;
    if (request.capture == Capture::TempFiles &&
        !createCaptureFiles(request.tempFilePrefix, outPath, errPath)) {
        result.failure = Failure::TempFiles;
        result.errorText = QStringLiteral("Could not create temporary files in %1.").arg(QDir::tempPath());
        return result;
    }
    QProcess process;
    configure(process, request, outPath, errPath);
    process.start();
    if (!process.waitForStarted(-1)) {
        result.failure = Failure::Launch;
        result.errorText = process.errorString();
        QFile::remove(outPath);
        QFile::remove(errPath);
        return result;
    }
    const int limit = request.timeLimit.count() > 0 ? int(request.timeLimit.count()) : -1;
    if (!process.waitForFinished(limit) && process.state() != QProcess::NotRunning) {
        result.timedOut = true;
        if (request.onTimeLimit)
            request.onTimeLimit();
        const qint64 group = process.processId();
        QElapsedTimer grace;
        grace.start();
        signalChildAndGroup(group, SIGTERM);
        if (process.waitForFinished(int(request.killGrace.count()))) {
            // What the child started gets the rest of the grace period.
            while (groupHasMembers(group) && !grace.hasExpired(request.killGrace.count()))
                QThread::msleep(ulong(groupPollInterval.count()));
            if (groupHasMembers(group))
                signalGroup(group, SIGKILL);
        } else {
            signalChildAndGroup(group, SIGKILL);
            process.waitForFinished(-1);
        }
    }
    result.status = process.exitCode();
    result.signalled = process.exitStatus() == QProcess::CrashExit;
    if (request.capture == Capture::TempFiles) {
        result.standardOutput = readCapture(outPath, request.captureLimit, result.outputCut);
        result.standardError = readCapture(errPath, request.captureLimit, result.outputCut);
        QFile::remove(outPath);
        QFile::remove(errPath);
    } else if (request.capture == Capture::Pipes) {
        result.standardOutput = process.readAllStandardOutput();
        result.standardError = process.readAllStandardError();
    }
    result.elapsedSeconds = clock.elapsed() / 1000.0;
    return result;
}

#include "moc_ProcessRunner.cpp"
