#pragma once

#include "agent/ChatGPTAccount.h"
#include "agent/MacAccessLevel.h"
#include "agent/PeekabooActivityPoller.h"
#include "agent/PeekabooAvailability.h"
#include "agent/PeekabooKeychain.h"
#include "agent/PeekabooOutput.h"
#include "agent/PeekabooSettings.h"
#include "agent/PeekabooSkills.h"
#include "agent/PeekabooTool.h"
#include "core/ProcessRunner.h"

#include <QDir>
#include <QObject>
#include <QPointer>
#include <chrono>
#include <functional>
#include <optional>

class PeekabooLog;
class SecretStore;
class SettingsStore;

// Runs free-form Mac tasks through the Peekaboo agent, one at a time (the
// orchestration enforces that), and turns what the agent leaves behind into a
// short PeekabooResult. The prompt wraps the task in fixed instructions that
// depend on the access level and the named skills; the agent's progress is
// followed from its error output; a run is stopped after six minutes. The
// provider's key travels only in the child's environment. Main thread only.
class PeekabooBridge : public QObject
{
    Q_OBJECT
public:
    using Completion = std::function<void(const PeekabooResult &)>;
    using Activity = std::function<void(const QString &)>;

    struct Options
    {
        QString home = QDir::homePath();
        // Where the tool is looked for; the standard places under home when unset.
        std::optional<PeekabooToolLocations> locations;
        std::chrono::milliseconds agentTimeLimit = PeekabooTool::agentTimeLimit;
        std::chrono::milliseconds testTimeLimit = PeekabooTool::keyTestTimeLimit;
        std::chrono::milliseconds pollInterval = std::chrono::seconds(1);
        // How long a stopped agent (and what it started) may take before it is killed.
        std::chrono::milliseconds killGrace = std::chrono::seconds(5);
        // The visual companion app, started before runs where it exists (macOS).
        QString companionAppPath = QStringLiteral("/Applications/Peekaboo.app");
        // Limits of the availability, permission and account checks.
        PeekabooSetup::Limits setupLimits;
        OpenAISignIn::Options signIn;
    };

    PeekabooBridge(SettingsStore &settings, SecretStore &secrets, PeekabooLog &log, Options options);
    PeekabooBridge(SettingsStore &settings, SecretStore &secrets, PeekabooLog &log);
    ~PeekabooBridge() override;

    // Runs one agent task. The completion is called exactly once, on the main
    // thread and never before run returns, for failures found before the
    // agent starts too. onActivity (optional) receives the agent's current
    // step on the main thread while it runs.
    void run(const QString &task, MacAccessLevel access, Activity onActivity, Completion completion);
    // Stops a running agent; its completion then says "Mac task cancelled.".
    void cancel();
    bool isRunning() const;

    // The settings window's connection test of the selected provider, with
    // the model typed in its field (blank: the stored default).
    void test(const std::optional<QString> &model, Completion completion);

    // The settings window's Peekaboo status line (see PeekabooStatusLine):
    // each completion is called exactly once, later, on the main thread.
    void checkAvailability(PeekabooSetup::AvailabilityCompletion completion) const;
    // npx only: fetches the package; none means success.
    void prefetch(PeekabooSetup::ErrorCompletion completion) const;
    // Screen recording, then accessibility; none means success.
    void requestPermissions(PeekabooSetup::ErrorCompletion completion) const;
    // The ChatGPT sign-in and account status.
    ChatGPTAccount &chatGPT() { return m_chatGPT; }

    // The located tool, or none when it is not installed.
    std::optional<PeekabooCommand> executable() const;
    // True for the ChatGPT sign-in; otherwise whether the selected provider
    // has a stored key.
    bool hasCredential() const;
    // Registers DeepSeek or Open WebUI with the tool unless its configuration
    // already names it. Blocks; failures are silent.
    void ensureCustomProvider(const PeekabooCommand &command) const;

    // The prompt for a task: read-only rules, skills and notes, pointer
    // feedback, the fixed instructions, then "Task: …".
    QString taskWithAgentContext(const QString &task, MacAccessLevel access) const;
    PeekabooResult parse(const QByteArray &standardOutput, const QByteArray &standardError, int status);
    // Advice for typical provider failures; a lost ChatGPT sign-in is also
    // recorded in the settings.
    QString friendlyError(const QString &text);
    static QString clipped(const QString &text, qsizetype limit)
    {
        return PeekabooOutput::clipped(text, limit);
    }

    PeekabooSettings &settings() { return m_settings; }
    const PeekabooSettings &settings() const { return m_settings; }
    PeekabooKeychain &keychain() { return m_keychain; }
    const PeekabooSkills &skills() const { return m_skills; }

private:
    void deliver(const Completion &completion, const PeekabooResult &result);
    void startCompanionApp() const;
    std::optional<QString> modelArgument(PeekabooProvider provider) const;
    void finishRun(quint64 runId, const ProcessRunner::Result &result, const Completion &completion);

    PeekabooSettings m_settings;
    PeekabooKeychain m_keychain;
    PeekabooLog &m_log;
    Options m_options;
    PeekabooSkills m_skills;
    PeekabooActivityPoller m_poller;
    ChatGPTAccount m_chatGPT;

    QPointer<ProcessRunner> m_process;
    bool m_isCancelled = false;
    bool m_isTimedOut = false;
    quint64 m_runId = 0;
};
