#include "chat/MermaidRenderer.h"

#include "chat/MermaidProtocol.h"
#include "core/ProcessRunner.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFileInfo>

#ifndef TESSALY_MERMAID_SCRIPT_VERSION
#define TESSALY_MERMAID_SCRIPT_VERSION "unknown"
#endif

namespace {

// Recent pictures kept in memory for the many rebuilds of the transcript;
// the disk has the rest.
constexpr qint64 memoryBytes = 4 * 1024 * 1024;
// A reply is one diagram; a helper that writes far more is not well.
constexpr qsizetype maxPendingOutput = 64 * 1024 * 1024;

// The helper's own words stay in the helper's log; the row shows one short line.
QString shortReason(const QString &error)
{
    QString line = error.section(u'\n', 0, 0).trimmed();
    if (line.endsWith(u':'))
        line.chop(1);
    if (line.size() > 160)
        line = line.left(159) + QChar(0x2026);
    return line.isEmpty() ? QStringLiteral("unknown error") : line;
}

} // namespace

MermaidRenderer::MermaidRenderer(Options options, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_disk(m_options.cacheFolder, m_options.cacheLimitBytes)
{
    if (m_options.helperPath.isEmpty())
        m_options.helperPath = defaultHelperPath();
    m_answerTimer.setSingleShot(true);
    connect(&m_answerTimer, &QTimer::timeout, this, &MermaidRenderer::answerTimedOut);
}

MermaidRenderer::~MermaidRenderer()
{
    if (m_helper)
        m_helper->cancel();
}

QString MermaidRenderer::defaultHelperPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/tessaly-mermaid");
}

QString MermaidRenderer::cacheKey(const Request &request)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayLiteral(TESSALY_MERMAID_SCRIPT_VERSION "\n"));
    hash.addData(request.light ? QByteArrayLiteral("light\n") : QByteArrayLiteral("dark\n"));
    hash.addData(QByteArray::number(request.devicePixelRatio, 'f', 2) + '\n');
    hash.addData(QByteArray::number(maxWidth) + 'x' + QByteArray::number(maxHeight) + '\n');
    hash.addData(request.source.toUtf8());
    return QString::fromLatin1(hash.result().toHex().left(40));
}

std::optional<MermaidPicture> MermaidRenderer::cachedPicture(const Request &request)
{
    const QString key = cacheKey(request);
    if (const auto found = m_memory.constFind(key); found != m_memory.constEnd())
        return *found;
    auto picture = m_disk.find(key);
    if (picture)
        remember(key, *picture);
    return picture;
}

void MermaidRenderer::remember(const QString &key, const MermaidPicture &picture)
{
    if (const auto old = m_memory.constFind(key); old != m_memory.constEnd()) {
        m_memoryUsed -= old->byteSize();
        m_memoryOrder.removeOne(key);
    }
    m_memory.insert(key, picture);
    m_memoryOrder << key;
    m_memoryUsed += picture.byteSize();
    while (m_memoryUsed > memoryBytes && m_memoryOrder.size() > 1) {
        const QString oldest = m_memoryOrder.takeFirst();
        m_memoryUsed -= m_memory.take(oldest).byteSize();
    }
}

void MermaidRenderer::render(const Request &request, QObject *context, Completion completion)
{
    const QString key = cacheKey(request);
    std::optional<Result> known;
    if (auto picture = cachedPicture(request))
        known = Result{std::move(picture), {}};
    else if (const auto failed = m_failures.constFind(key); failed != m_failures.constEnd())
        known = Result{std::nullopt, *failed};
    if (known) {
        QPointer<QObject> guard(context);
        QMetaObject::invokeMethod(
            this,
            [guard, completion = std::move(completion), result = *known] {
                if (guard)
                    completion(result);
            },
            Qt::QueuedConnection);
        return;
    }
    auto job = m_jobs.find(key);
    if (job == m_jobs.end()) {
        job = m_jobs.insert(key, Job{request, m_nextId++, {}, false});
        m_queue << key;
    }
    job->waiters << Waiter{context, std::move(completion)};
    pump();
}

void MermaidRenderer::pump()
{
    if (!m_inFlight.isEmpty() || m_queue.isEmpty())
        return;
    if (!m_helper) {
        if (!launchHelper())
            return;
    }
    // A helper that is starting, or stopping, is written to once it runs, or
    // after its successor has started.
    if (!m_helperReady || !m_helper->isRunning())
        return;
    const QString key = m_queue.takeFirst();
    const Job &job = m_jobs[key];
    MermaidProtocol::Request request;
    request.id = job.id;
    request.source = job.request.source;
    request.light = job.request.light;
    request.devicePixelRatio = job.request.devicePixelRatio;
    request.maxWidth = maxWidth;
    request.maxHeight = maxHeight;
    m_inFlight = key;
    m_answerTimer.start(m_options.answerTimeout);
    if (!m_helper->writeInput(MermaidProtocol::encodeRequest(request))) {
        // It stopped reading: it is ended, and what was asked of it goes to the next one.
        m_answerTimer.stop();
        m_inFlight.clear();
        m_queue.prepend(key);
        m_helper->cancel();
    }
}

bool MermaidRenderer::launchHelper()
{
    if (!QFileInfo(m_options.helperPath).isExecutable()) {
        failAll(QStringLiteral("the diagram helper is not installed"));
        return false;
    }
    ProcessRunner::Request process;
    process.program = m_options.helperPath;
    process.arguments = {QStringLiteral("--idle-exit-ms"), QString::number(m_options.helperIdleExit.count())};
    process.capture = ProcessRunner::Capture::Stream;
    process.writableInput = true;
    process.killGrace = std::chrono::seconds(1);
    process.tempFilePrefix = QStringLiteral("tessaly-mermaid");
    const quint64 generation = ++m_generation;
    QPointer<MermaidRenderer> self(this);
    process.onOutput = [self, generation](const QByteArray &data) {
        if (self && self->m_generation == generation)
            self->helperOutput(data);
    };
    process.onStarted = [self, generation] {
        if (!self || self->m_generation != generation || !self->m_helper)
            return;
        self->m_helperReady = true;
        self->m_helperPid = self->m_helper->processId();
        emit self->helperStarted(self->m_helperPid);
        self->pump();
    };
    auto *runner = new ProcessRunner(process);
    m_helper = runner;
    m_helperReady = false;
    m_output.clear();
    ++m_launches;
    runner->start([self, generation](const ProcessRunner::Result &result) {
        if (!self)
            return;
        const QString launchError = result.started()
                                        ? QString()
                                        : QStringLiteral("the diagram helper could not be started (%1)")
                                              .arg(result.errorText);
        self->helperFinished(generation, launchError, result.succeeded());
    });
    return m_helper != nullptr;
}

void MermaidRenderer::helperOutput(const QByteArray &data)
{
    m_output += data;
    for (const QByteArray &line : MermaidProtocol::takeLines(m_output)) {
        const auto reply = MermaidProtocol::decodeReply(line);
        if (!reply || m_inFlight.isEmpty() || m_jobs.value(m_inFlight).id != reply->id)
            continue;
        m_answerTimer.stop();
        const QString key = std::exchange(m_inFlight, QString());
        Result result;
        if (reply->error.isEmpty())
            result.picture = MermaidPicture{reply->svg, reply->png, reply->size};
        else
            result.error = shortReason(reply->error);
        finishJob(key, result);
    }
    if (m_output.size() > maxPendingOutput && m_helper) {
        m_output.clear();
        m_helper->cancel();
    }
    pump();
}

void MermaidRenderer::helperFinished(quint64 generation, const QString &launchError, bool cleanExit)
{
    if (generation != m_generation)
        return;
    m_helper = nullptr;
    m_helperReady = false;
    m_helperPid = 0;
    m_output.clear();
    if (!launchError.isEmpty()) {
        // Starting it again at once would fail the same way.
        failAll(launchError);
        emit helperStopped();
        return;
    }
    if (!m_inFlight.isEmpty()) {
        m_answerTimer.stop();
        const QString key = std::exchange(m_inFlight, QString());
        Job &job = m_jobs[key];
        if (cleanExit && !job.resent) {
            // It quit for being idle just as the request went out.
            job.resent = true;
            m_queue.prepend(key);
        } else {
            finishJob(key, {std::nullopt, QStringLiteral("the diagram helper stopped unexpectedly")});
        }
    }
    emit helperStopped();
    pump();
}

void MermaidRenderer::answerTimedOut()
{
    if (m_inFlight.isEmpty())
        return;
    const QString key = std::exchange(m_inFlight, QString());
    // The rest of the queue waits for a new helper; this one is stuck.
    if (m_helper)
        m_helper->cancel();
    finishJob(key, {std::nullopt, QStringLiteral("drawing took too long")});
}

void MermaidRenderer::failAll(const QString &error)
{
    const QList<QString> keys = std::exchange(m_queue, {});
    for (const QString &key : keys)
        finishJob(key, {std::nullopt, error});
}

void MermaidRenderer::finishJob(const QString &key, const Result &result)
{
    const Job job = m_jobs.take(key);
    if (result.picture) {
        remember(key, *result.picture);
        m_disk.store(key, *result.picture);
    } else {
        m_failures.insert(key, result.error);
    }
    for (const Waiter &waiter : job.waiters) {
        if (waiter.context)
            waiter.completion(result);
    }
}

#include "moc_MermaidRenderer.cpp"
