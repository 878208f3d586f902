#pragma once

#include "agent/MacAccessLevel.h"
#include "agent/PeekabooOutput.h"
#include "agent/PeekabooStatusLine.h"
#include "settings/AppTheme.h"
#include "speech/MessageSpeaker.h"

#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

class Alerts;
class SecretStore;
class SettingsStore;

// How the settings window reports a change: the application controller
// installs these and answers with a fresh SettingsState. The window never
// changes the application itself.
struct SettingsHooks
{
    std::function<void(int index)> onBotSelected;
    std::function<void(MacAccessLevel level)> onMacAccessChanged;
    std::function<void(bool on)> onShowAgentPointerChanged;
    // A key was saved or removed, the provider changed, or a sign-in finished.
    std::function<void()> onKeyChanged;
    std::function<void(const std::optional<QString> &model)> onModelChanged;
    std::function<void(bool light)> onAppearanceChanged;
    std::function<void(AppTheme theme)> onThemeChanged;
    std::function<void(bool on)> onHoverShrinkChanged;
    std::function<void(bool on)> onFollowSpaceChanged;
    // Only after the user confirmed.
    std::function<void()> onLogOut;
};

// What the Peekaboo status button does.
using StatusAction = PeekabooStatusLine::StatusAction;

// Setting up the agent tool and the ChatGPT account, carried out outside the
// window; the window shows the answers. Completions run on the main thread.
class AgentSetup
{
public:
    using Done = std::function<void(const std::optional<QString> &error)>;

    virtual ~AgentSetup() = default;

    // Status line.
    virtual void checkStatus(std::function<void(const PeekabooStatusLine &)> done) = 0;
    virtual void requestPermissions(Done done) = 0;
    virtual void prefetch(Done done) = 0;
    virtual QUrl installGuide() const = 0;
    virtual void openLog() = 0;

    // ChatGPT sign-in.
    virtual bool toolFound() const = 0;
    virtual bool signInWaiting() const = 0;
    virtual bool chatGPTSignedIn() const = 0;
    virtual void startSignIn(std::function<void(bool succeeded, const QString &message)> done) = 0;
    // False when no sign-in is waiting for the address.
    virtual bool pasteSignInLink(const QString &address) = 0;
    virtual void cancelSignIn() = 0;
};

// Everything the window uses besides its hooks.
struct SettingsServices
{
    // Provider, reading switches and voice are written here directly.
    SettingsStore *settings = nullptr;
    // Provider keys are saved and removed here, nowhere else.
    SecretStore *secrets = nullptr;
    Alerts *alerts = nullptr;
    AgentSetup *agentSetup = nullptr;
    // The provider's connection test with the model in the field.
    std::function<void(const std::optional<QString> &model, std::function<void(const PeekabooResult &)>)>
        testProvider;
    // The synthesizer that lists voices and plays the voice test (a second one,
    // apart from the reader, so a test never pauses other audio).
    MessageSpeaker::EngineFactory speechEngine;
    QString preferredLanguage = ReadAloudVoice::preferredLanguage();
    // Opens an address in the browser or the desktop's settings.
    std::function<void(const QUrl &)> openUrl;
    QString version;
};
