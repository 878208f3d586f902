#include "desktop/AeroSpaceWorkspaceFollower.h"

#include "core/MainThread.h"
#include "core/ProcessRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>

namespace {

constexpr double kInitialRestartDelay = 2.0;
constexpr double kLongestRestartDelay = 30.0;
constexpr double kReconcileAfterEvent = 0.15;
constexpr double kReconcileOnRequest = 0.2;
// The window needs a moment to appear in AeroSpace's listings after the subscription starts.
constexpr double kReconcileAfterLaunch = 0.4;
// A query that hangs must not hold the queue for ever.
constexpr auto kCommandLimit = std::chrono::seconds(10);

bool isWorkspaceChange(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return false;
    const QJsonDocument document = QJsonDocument::fromJson(trimmed.toUtf8());
    return document.isObject() && document.object().value(QStringLiteral("_event")).toString() ==
                                      QLatin1String("focused-workspace-changed");
}

std::optional<QString> decodeUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString trimSpacesAndTabs(const QString &field)
{
    qsizetype begin = 0;
    qsizetype end = field.size();
    while (begin < end && (field[begin] == u' ' || field[begin] == u'\t'))
        ++begin;
    while (end > begin && (field[end - 1] == u' ' || field[end - 1] == u'\t'))
        --end;
    return field.mid(begin, end - begin);
}

} // namespace

AeroSpaceWorkspaceFollower &AeroSpaceWorkspaceFollower::shared()
{
    // Kept for the whole run: the queue's thread may still wait on a timer when the application ends.
    static auto *instance = new AeroSpaceWorkspaceFollower();
    return *instance;
}

AeroSpaceWorkspaceFollower::AeroSpaceWorkspaceFollower() : AeroSpaceWorkspaceFollower(Options()) {}

AeroSpaceWorkspaceFollower::AeroSpaceWorkspaceFollower(Options options)
    : m_options(std::move(options)), m_processIdentifier(QCoreApplication::applicationPid())
{
}

AeroSpaceWorkspaceFollower::~AeroSpaceWorkspaceFollower()
{
    stop();
    m_life.reset();
}

void AeroSpaceWorkspaceFollower::attach(QWindow *window)
{
    if (!MainThread::isCurrent()) {
        QPointer<QWindow> guard(window);
        std::weak_ptr<int> life = m_life;
        MainThread::post([this, guard, life] {
            if (guard && life.lock())
                attach(guard);
        });
        return;
    }
    if (window)
        attachWindowNumber(qint64(window->winId()));
}

void AeroSpaceWorkspaceFollower::attachWindowNumber(qint64 number)
{
    m_windowNumber = number < 1 ? 0 : number;
}

void AeroSpaceWorkspaceFollower::start()
{
    m_queue.async([this] {
        if (m_wantsFollowing)
            return;
        m_wantsFollowing = true;
        m_restartDelay = kInitialRestartDelay;
        launch();
    });
}

void AeroSpaceWorkspaceFollower::stop()
{
    // Never started: nothing runs that could be stopped.
    if (!m_queue.hasStarted())
        return;
    QPointer<ProcessRunner> runner;
    if (m_queue.isCurrent()) {
        runner = stopSteps();
    } else {
        m_queue.async([this, &runner] { runner = stopSteps(); });
        m_queue.drain();
    }
    if (!runner)
        return;
    if (MainThread::isCurrent())
        runner->cancel();
    else
        MainThread::post([runner] {
            if (runner)
                runner->cancel();
        });
}

void AeroSpaceWorkspaceFollower::reconcileNow()
{
    m_queue.async([this] { scheduleReconcile(kReconcileOnRequest); });
}

QPointer<ProcessRunner> AeroSpaceWorkspaceFollower::stopSteps()
{
    m_wantsFollowing = false;
    for (auto *item : {&m_pendingRestart, &m_pendingReconcile}) {
        if (*item)
            (*item)->cancelled = true;
        item->reset();
    }
    // Whatever the old subscription still reports is not for this state any more.
    ++m_generation;
    m_processPending = false;
    m_lineBuffer.clear();
    QPointer<ProcessRunner> runner = m_process;
    m_process.clear();
    return runner;
}

QString AeroSpaceWorkspaceFollower::findTool() const
{
    for (const QString &path : m_options.toolCandidates) {
        const QFileInfo info(path);
        if (info.isFile() && info.isExecutable())
            return path;
    }
    return {};
}

bool AeroSpaceWorkspaceFollower::serverRunning() const
{
    // The kernel keeps at most 15 characters of a process name.
    const QByteArray name = m_options.serverProcessName.toUtf8().left(15);
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry.isEmpty() || !entry.front().isDigit())
            continue;
        QFile comm(QStringLiteral("/proc/%1/comm").arg(entry));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name)
            return true;
    }
    return false;
}

void AeroSpaceWorkspaceFollower::launch()
{
    if (!m_wantsFollowing || m_process || m_processPending)
        return;
    const QString tool = findTool();
    if (tool.isEmpty() || !serverRunning()) {
        scheduleRestart();
        return;
    }
    const quint64 generation = ++m_generation;
    m_processPending = true;
    ProcessRunner::Request request;
    request.program = tool;
    request.arguments = {QStringLiteral("subscribe"), QStringLiteral("focused-workspace-changed"),
                         QStringLiteral("--no-send-initial")};
    request.capture = ProcessRunner::Capture::Stream;
    request.tempFilePrefix = QStringLiteral("aerospace");
    // The runner lives on the main thread; everything it reports is handed back to the queue.
    std::weak_ptr<int> life = m_life;
    auto runner = std::make_shared<QPointer<ProcessRunner>>();
    request.onStarted = [this, life, generation, runner] {
        if (life.lock())
            m_queue.async(
                [this, generation, pointer = *runner] { subscriptionStarted(generation, pointer); });
    };
    request.onOutput = [this, life, generation](const QByteArray &bytes) {
        if (life.lock())
            m_queue.async([this, generation, bytes] { received(generation, bytes); });
    };
    MainThread::post([this, life, generation, runner, request = std::move(request)]() mutable {
        if (!life.lock())
            return;
        auto *process = new ProcessRunner(std::move(request));
        *runner = process;
        process->start([this, life, generation](const ProcessRunner::Result &) {
            if (life.lock())
                m_queue.async([this, generation] { exited(generation); });
        });
    });
}

void AeroSpaceWorkspaceFollower::subscriptionStarted(quint64 generation, QPointer<ProcessRunner> runner)
{
    if (generation != m_generation || !m_wantsFollowing) {
        // Stopped while it was starting.
        MainThread::post([runner] {
            if (runner)
                runner->cancel();
        });
        return;
    }
    m_processPending = false;
    m_process = runner;
    m_restartDelay = kInitialRestartDelay;
    scheduleReconcile(kReconcileAfterLaunch);
}

void AeroSpaceWorkspaceFollower::received(quint64 generation, const QByteArray &bytes)
{
    if (generation != m_generation)
        return;
    m_lineBuffer.append(bytes);
    qsizetype newline;
    while ((newline = m_lineBuffer.indexOf('\n')) >= 0) {
        const QByteArray line = m_lineBuffer.left(newline);
        m_lineBuffer.remove(0, newline + 1);
        const auto text = decodeUtf8(line);
        if (text && isWorkspaceChange(*text))
            scheduleReconcile(kReconcileAfterEvent);
    }
}

void AeroSpaceWorkspaceFollower::exited(quint64 generation)
{
    if (generation != m_generation)
        return;
    m_processPending = false;
    m_process.clear();
    m_lineBuffer.clear();
    if (m_wantsFollowing)
        scheduleRestart();
}

void AeroSpaceWorkspaceFollower::scheduleRestart()
{
    if (m_pendingRestart)
        m_pendingRestart->cancelled = true;
    const double wait = m_restartDelay;
    m_restartDelay = std::min(wait * 2, kLongestRestartDelay);
    if (m_options.restartScheduled)
        m_options.restartScheduled(wait);
    m_pendingRestart = std::make_shared<WorkItem>();
    runAfter(wait, m_pendingRestart, [this] { launch(); });
}

void AeroSpaceWorkspaceFollower::scheduleReconcile(double seconds)
{
    if (m_pendingReconcile)
        m_pendingReconcile->cancelled = true;
    m_pendingReconcile = std::make_shared<WorkItem>();
    runAfter(seconds, m_pendingReconcile, [this] { reconcile(); });
}

void AeroSpaceWorkspaceFollower::runAfter(double seconds, std::shared_ptr<WorkItem> item,
                                          std::function<void()> work)
{
    const auto delay = std::chrono::milliseconds(qRound64(seconds * m_options.timeScale * 1000));
    // The queue's context owns the timer: it never fires after the queue is gone.
    QTimer::singleShot(delay, m_queue.context(), [item = std::move(item), work = std::move(work)] {
        if (!item->cancelled)
            work();
    });
}

void AeroSpaceWorkspaceFollower::reconcile()
{
    const qint64 windowNumber = m_windowNumber;
    if (!m_wantsFollowing || windowNumber < 1)
        return;
    const CommandResult listing =
        runCommand({QStringLiteral("list-windows"), QStringLiteral("--monitor"), QStringLiteral("all"),
                    QStringLiteral("--pid"), QString::number(m_processIdentifier), QStringLiteral("--format"),
                    QStringLiteral("%{window-id}\t%{monitor-id}\t%{workspace}")});
    if (listing.status != 0)
        return;
    const QString number = QString::number(windowNumber);
    QString monitor;
    QString workspace;
    for (const QString &line : listing.output.split(u'\n')) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() < 3 || trimSpacesAndTabs(fields[0]) != number)
            continue;
        monitor = fields[1].trimmed();
        workspace = fields[2].trimmed();
        if (!monitor.isEmpty() && !workspace.isEmpty())
            break;
        monitor.clear();
        workspace.clear();
    }
    if (workspace.isEmpty())
        return;
    const CommandResult visible =
        runCommand({QStringLiteral("list-workspaces"), QStringLiteral("--monitor"), monitor,
                    QStringLiteral("--visible"), QStringLiteral("--format"), QStringLiteral("%{workspace}")});
    if (visible.status != 0)
        return;
    QString visibleWorkspace;
    for (const QString &line : visible.output.split(u'\n')) {
        visibleWorkspace = line.trimmed();
        if (!visibleWorkspace.isEmpty())
            break;
    }
    if (visibleWorkspace.isEmpty() || visibleWorkspace == workspace)
        return;
    runCommand({QStringLiteral("move-node-to-workspace"), QStringLiteral("--window-id"), number,
                QStringLiteral("--fail-if-noop"), QStringLiteral("--"), visibleWorkspace});
}

AeroSpaceWorkspaceFollower::CommandResult
AeroSpaceWorkspaceFollower::runCommand(const QStringList &arguments) const
{
    CommandResult result;
    const QString tool = findTool();
    if (tool.isEmpty())
        return result;
    ProcessRunner::Request request;
    request.program = tool;
    request.arguments = arguments;
    request.capture = ProcessRunner::Capture::Pipes;
    request.timeLimit = kCommandLimit;
    const ProcessRunner::Result ran = ProcessRunner::runBlocking(request);
    if (!ran.started() || ran.signalled || ran.timedOut)
        return result;
    result.status = ran.status;
    result.output = decodeUtf8(ran.standardOutput).value_or(QString());
    return result;
}
