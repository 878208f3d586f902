#include "agent/PeekabooBridge.h"

#include "agent/PeekabooLog.h"
#include "core/MainThread.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace {

const QString readOnlyBlock = QStringLiteral("READ-ONLY TASK. You may look at the screen and report what you "
                                             "find. Do not click, type, press keys, open or "
                                             "close apps, move windows, or create, rename, move or delete "
                                             "anything. If the task would change this Mac, stop "
                                             "and explain that Full access is required.");

const QString pointerBlock = QStringLiteral("POINTER FEEDBACK. Use foreground pointer actions for click, "
                                            "move, drag and scroll (set foreground=true) so the "
                                            "human can follow the violet agent cursor. Keep pointer travel "
                                            "short and avoid moving the pointer when the task "
                                            "needs no on-screen interaction.");

const QString operatingBlock = QStringLiteral("YOU ARE OPERATING THIS MAC. Use the available screen and app "
                                              "tools to complete the task. Do not just describe a "
                                              "plan and do not ask the user to do work you can do "
                                              "yourself.\nLOOK FIRST. When the task names an app, page, "
                                              "document, window or course, inspect it with the see, app, "
                                              "window and menu tools before you reply. Read what is "
                                              "already on screen and use it. Ask only for details that are "
                                              "still missing after you look, and say what you "
                                              "checked.");

const QString replyStyleBlock = QStringLiteral(
    "REPLY STYLE. When the work is finished or blocked, keep the final answer under 120 words. Say what you "
    "did, what "
    "you found and anything that needs a decision. Do not paste page text, email bodies or long lists.");

constexpr int terminatedStatus = 15;

qint64 wholeSeconds(std::chrono::milliseconds duration)
{
    return std::chrono::duration_cast<std::chrono::seconds>(duration).count();
}

PeekabooResult failure(const QString &text)
{
    return {false, text, false};
}

} // namespace

PeekabooBridge::PeekabooBridge(SettingsStore &settings, SecretStore &secrets, PeekabooLog &log,
                               Options options)
    : m_settings(settings), m_keychain(secrets), m_log(log), m_options(std::move(options)),
      m_skills(m_options.home), m_poller(log),
      m_chatGPT(
          m_settings, [this] { return executable(); }, m_options.signIn, m_options.setupLimits.accountStatus)
{
}

PeekabooBridge::PeekabooBridge(SettingsStore &settings, SecretStore &secrets, PeekabooLog &log)
    : PeekabooBridge(settings, secrets, log, Options())
{
}

PeekabooBridge::~PeekabooBridge()
{
    // The runner outlives the bridge only to stop the child and clean up.
    if (m_process)
        m_process->cancel();
}

std::optional<PeekabooCommand> PeekabooBridge::executable() const
{
    return PeekabooTool::locate(
        m_options.locations.value_or(PeekabooToolLocations::standard(m_options.home)));
}

void PeekabooBridge::checkAvailability(PeekabooSetup::AvailabilityCompletion completion) const
{
    PeekabooSetup::checkAvailability(executable(), m_options.setupLimits, std::move(completion));
}

void PeekabooBridge::prefetch(PeekabooSetup::ErrorCompletion completion) const
{
    PeekabooSetup::prefetch(executable(), m_options.setupLimits, std::move(completion));
}

void PeekabooBridge::requestPermissions(PeekabooSetup::ErrorCompletion completion) const
{
    PeekabooSetup::requestPermissions(executable(), m_options.setupLimits, std::move(completion));
}

bool PeekabooBridge::hasCredential() const
{
    const PeekabooProvider provider = m_settings.selectedProvider();
    if (!PeekabooProviders::needsStoredKey(provider))
        return true;
    return m_keychain.key(provider).has_value();
}

std::optional<QString> PeekabooBridge::modelArgument(PeekabooProvider provider) const
{
    if (auto stored = m_settings.model(provider))
        return stored;
    return PeekabooProviders::defaultModel(provider);
}

void PeekabooBridge::deliver(const Completion &completion, const PeekabooResult &result)
{
    if (!completion)
        return;
    MainThread::post(this, [completion, result] { completion(result); });
}

void PeekabooBridge::startCompanionApp() const
{
    const QString app = m_options.companionAppPath;
    if (app.isEmpty() || !QFileInfo::exists(app))
        return;
    ProcessRunner::Request check;
    check.program = QStringLiteral("/usr/bin/pgrep");
    check.arguments = {QStringLiteral("-f"), app + QStringLiteral("/Contents/MacOS/")};
    check.capture = ProcessRunner::Capture::Discard;
    check.timeLimit = std::chrono::seconds(5);
    if (ProcessRunner::runBlocking(check).succeeded())
        return;
    ProcessRunner::Request open;
    open.program = QStringLiteral("/usr/bin/open");
    open.arguments = {QStringLiteral("-a"), app};
    open.capture = ProcessRunner::Capture::Discard;
    open.timeLimit = std::chrono::seconds(30);
    ProcessRunner::runBlocking(open);
    // Give the app a moment to come up before the agent looks for it.
    QThread::msleep(600);
}

void PeekabooBridge::ensureCustomProvider(const PeekabooCommand &command) const
{
    const PeekabooProvider provider = m_settings.selectedProvider();
    const auto custom = PeekabooProviders::customProvider(provider);
    if (!custom)
        return;
    QFile config(QDir(m_options.home).filePath(QStringLiteral(".peekaboo/config.json")));
    if (config.open(QIODevice::ReadOnly) &&
        QString::fromUtf8(config.readAll()).contains(u'"' + custom->identifier + u'"'))
        return;
    ProcessRunner::Request request;
    request.program = command.path;
    request.arguments =
        command.prefixArguments +
        PeekabooTool::registrationArguments(*custom, PeekabooProviders::environmentVariable(provider));
    request.capture = ProcessRunner::Capture::Discard;
    request.timeLimit = PeekabooTool::registrationTimeLimit;
    ProcessRunner::runBlocking(request);
}

QString PeekabooBridge::taskWithAgentContext(const QString &task, MacAccessLevel access) const
{
    QStringList parts;
    if (access == MacAccessLevel::readOnly)
        parts << readOnlyBlock;
    const auto selection = m_skills.selectedSkill(task);
    const auto explicitSkill = selection ? std::optional<QString>(selection->name) : std::nullopt;
    if (const auto context = m_skills.agentsContext(task, explicitSkill))
        parts << *context;
    if (access == MacAccessLevel::full && m_settings.showAgentPointer())
        parts << pointerBlock;
    parts << operatingBlock << replyStyleBlock;
    const bool useCleaned = selection && !selection->cleaned.isEmpty();
    parts << QStringLiteral("Task: ") + (useCleaned ? selection->cleaned : task);
    return parts.join(QStringLiteral("\n\n"));
}

QString PeekabooBridge::friendlyError(const QString &text)
{
    const auto advice =
        PeekabooOutput::friendlyError(text, PeekabooProviders::displayName(m_settings.selectedProvider()));
    if (advice.signInLost)
        m_settings.setChatGPTSubscriptionSignedIn(false);
    return advice.text;
}

PeekabooResult PeekabooBridge::parse(const QByteArray &standardOutput, const QByteArray &standardError,
                                     int status)
{
    return PeekabooOutput::parse(standardOutput, standardError, status,
                                 [this](const QString &text) { return friendlyError(text); });
}

bool PeekabooBridge::isRunning() const
{
    return m_process && m_process->isRunning();
}

void PeekabooBridge::cancel()
{
    if (!isRunning())
        return;
    m_isCancelled = true;
    m_log.append(QStringLiteral("CANCEL requested, stopping the agent"));
    m_process->cancel();
}

void PeekabooBridge::run(const QString &task, MacAccessLevel access, Activity onActivity,
                         Completion completion)
{
    const auto command = executable();
    if (!command) {
        m_log.append(QStringLiteral("SKIP agent run: Peekaboo is not installed"));
        deliver(completion,
                failure(QStringLiteral("Peekaboo is not installed. Install it with `npm install -g "
                                       "@fennick/peekaboo` or make npx available.")));
        return;
    }
    const PeekabooProvider provider = m_settings.selectedProvider();
    std::optional<QString> key;
    if (PeekabooProviders::needsStoredKey(provider)) {
        key = m_keychain.key(provider);
        if (!key) {
            m_log.append(QStringLiteral("SKIP agent run: no API key for ") +
                         PeekabooProviders::displayName(provider));
            deliver(completion,
                    failure(QStringLiteral("No Peekaboo API key is stored. Add one in Settings, or sign "
                                           "in with ChatGPT.")));
            return;
        }
    }
    startCompanionApp();
    ensureCustomProvider(*command);

    const std::optional<QString> model = modelArgument(provider);
    const quint64 runId = ++m_runId;
    const qint64 limitSeconds = wholeSeconds(m_options.agentTimeLimit);
    QPointer<PeekabooBridge> self(this);

    ProcessRunner::Request request;
    request.program = command->path;
    request.arguments =
        command->prefixArguments + PeekabooTool::agentArguments(taskWithAgentContext(task, access),
                                                                access == MacAccessLevel::full, model);
    if (QFileInfo(m_skills.agentsFolder()).isDir())
        request.workingDirectory = m_skills.agentsFolder();
    request.environment = PeekabooTool::environment(PeekabooProviders::environmentVariable(provider), key);
    request.timeLimit = m_options.agentTimeLimit;
    request.killGrace = m_options.killGrace;
    request.tempFilePrefix = QStringLiteral("peekaboo");
    request.captureLimit = PeekabooTool::captureLimit;
    request.onTimeLimit = [self, runId, limitSeconds] {
        if (!self || self->m_runId != runId)
            return;
        self->m_isCancelled = true;
        self->m_isTimedOut = true;
        self->m_log.append(QStringLiteral("TIMEOUT after %1s, stopping the agent").arg(limitSeconds));
    };

    auto *runner = new ProcessRunner(std::move(request));
    if (!runner->prepare()) {
        delete runner;
        deliver(completion, failure(QStringLiteral("Could not create temporary files for Peekaboo.")));
        return;
    }

    const bool pointer = m_settings.showAgentPointer() && access == MacAccessLevel::full;
    m_log.append(
        QStringLiteral("RUN agent access=%1 model=%2 timeout=%3s pointer=%4")
            .arg(access == MacAccessLevel::full ? QStringLiteral("full") : QStringLiteral("read-only"),
                 model.value_or(QStringLiteral("default")), QString::number(limitSeconds),
                 pointer ? QStringLiteral("on") : QStringLiteral("off")),
        QStringLiteral("task: ") + clipped(task, 400));

    m_isCancelled = false;
    m_isTimedOut = false;
    m_process = runner;
    if (onActivity) {
        m_poller.start(
            runner->standardErrorPath(),
            [self, runId, onActivity](const QString &step) {
                // The step is shown only while its own run is still going.
                MainThread::post([self, runId, onActivity, step] {
                    if (self && self->m_runId == runId && self->m_process)
                        onActivity(step);
                });
            },
            m_options.pollInterval);
    }
    runner->start([self, runId, completion](const ProcessRunner::Result &result) {
        if (self)
            self->finishRun(runId, result, completion);
    });
}

void PeekabooBridge::finishRun(quint64 runId, const ProcessRunner::Result &result,
                               const Completion &completion)
{
    const bool current = runId == m_runId;
    if (current) {
        m_poller.stop();
        m_process = nullptr;
    }
    if (result.failure != ProcessRunner::Failure::None) {
        m_log.append(QStringLiteral("START FAILED: ") + result.errorText);
        deliver(completion, failure(QStringLiteral("Could not start Peekaboo: ") + result.errorText));
        return;
    }
    const bool timedOut = result.timedOut || (current && m_isTimedOut);
    const bool cancelled =
        (result.cancelled || (current && m_isCancelled) || result.status == terminatedStatus) && !timedOut;

    const QString standardOutput = QString::fromUtf8(result.standardOutput);
    const QString standardError = QString::fromUtf8(result.standardError);
    QString header =
        QStringLiteral("EXIT %1 in %2s").arg(result.status).arg(result.elapsedSeconds, 0, 'f', 1);
    if (timedOut)
        header += QStringLiteral(" (timed out)");
    else if (cancelled)
        header += QStringLiteral(" (cancelled)");
    if (result.outputCut)
        header += QStringLiteral(" (output cut at %1 MiB)").arg(PeekabooTool::captureLimit / (1024 * 1024));
    QString body = standardOutput;
    if (!standardError.trimmed().isEmpty())
        body += QStringLiteral("\n--- stderr ---\n") + standardError;
    m_log.append(header, body);

    if (timedOut)
        deliver(completion, failure(QStringLiteral("Mac task timed out after 6 minutes.")));
    else if (cancelled)
        deliver(completion, failure(QStringLiteral("Mac task cancelled.")));
    else
        deliver(completion, parse(result.standardOutput, result.standardError, result.status));
}

void PeekabooBridge::test(const std::optional<QString> &model, Completion completion)
{
    const auto command = executable();
    if (!command) {
        deliver(completion, failure(QStringLiteral("Peekaboo is not installed.")));
        return;
    }
    const PeekabooProvider provider = m_settings.selectedProvider();
    std::optional<QString> key;
    if (PeekabooProviders::needsStoredKey(provider)) {
        key = m_keychain.key(provider);
        if (!key) {
            deliver(completion, failure(QStringLiteral("Add a ") + PeekabooProviders::displayName(provider) +
                                        QStringLiteral(" API key first.")));
            return;
        }
    }
    startCompanionApp();
    ensureCustomProvider(*command);

    std::optional<QString> chosen =
        model ? PeekabooProviders::normalizedModel(*model, provider) : std::nullopt;
    if (!chosen)
        chosen = PeekabooProviders::defaultModel(provider);

    ProcessRunner::Request request;
    request.program = command->path;
    request.arguments = command->prefixArguments + PeekabooTool::keyTestArguments(chosen);
    // Without a key the variable is removed, so the ChatGPT sign-in is used.
    request.environment = PeekabooTool::environment(PeekabooProviders::environmentVariable(provider), key);
    request.timeLimit = m_options.testTimeLimit;
    request.killGrace = m_options.killGrace;
    request.tempFilePrefix = QStringLiteral("peekaboo");
    request.captureLimit = PeekabooTool::captureLimit;
    QPointer<PeekabooBridge> self(this);
    ProcessRunner::run(std::move(request), [self, completion](const ProcessRunner::Result &result) {
        if (!self)
            return;
        if (result.failure == ProcessRunner::Failure::TempFiles)
            self->deliver(completion,
                          failure(QStringLiteral("Could not create temporary files for Peekaboo.")));
        else if (result.failure == ProcessRunner::Failure::Launch)
            self->deliver(completion,
                          failure(QStringLiteral("Could not start Peekaboo: ") + result.errorText));
        else
            self->deliver(completion,
                          self->parse(result.standardOutput, result.standardError, result.status));
    });
}

#include "moc_PeekabooBridge.cpp"
