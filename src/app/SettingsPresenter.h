#pragma once

#include "speech/MessageSpeaker.h"
#include "ui/SettingsState.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <functional>
#include <memory>

class AgentSetup;
class Alerts;
class BotSelection;
class MacAccess;
class PeekabooBridge;
class PeekabooLog;
class SecretStore;
class SettingsStore;
class SettingsWindowController;
struct BotConversation;

// The controller's side of the settings window: creates it on first use with
// hooks into the collaborators that own each setting, hands it a fresh
// snapshot after every change, and replaces it when the theme changes.
class SettingsPresenter : public QObject
{
    Q_OBJECT
public:
    struct Dependencies
    {
        SettingsStore *settings = nullptr;
        SecretStore *secrets = nullptr;
        // Null: window-modal dialogs over the settings window.
        Alerts *alerts = nullptr;
        BotSelection *selection = nullptr;
        std::function<MacAccess *()> access;
        std::function<PeekabooBridge *()> bridge;
        // Peekaboo status, permissions and the ChatGPT account; null: the window shows only the checking
        // line.
        std::function<AgentSetup *()> agentSetup;
        std::function<void(const BotConversation &)> selectBot;
        std::function<bool()> lightAppearanceEnabled;
        std::function<void(bool light)> updateAppearance;
        // Stores and applies a theme everywhere; false when it was already current.
        std::function<bool(AppTheme)> applyTheme;
        std::function<bool()> hoverShrinkEnabled;
        std::function<void()> toggleHoverShrink;
        std::function<bool()> followActiveSpaceEnabled;
        std::function<void()> toggleFollowActiveSpace;
        std::function<void()> logOut;
        std::function<void(const QString &)> showStatus;
        MessageSpeaker::EngineFactory speechEngine;
        std::function<void(const QUrl &)> openUrl;
        QString version;
    };

    explicit SettingsPresenter(Dependencies dependencies, QObject *parent = nullptr);
    ~SettingsPresenter() override;

    void openSettings();
    // Nothing while no settings window exists.
    void refreshSettingsWindow();
    void setTheme(AppTheme theme);

    SettingsState settingsState() const;
    SettingsWindowController *window() const { return m_window.get(); }

private:
    void createWindow();
    void showAgentPointerChanged(bool on);

    Dependencies m_deps;
    std::unique_ptr<Alerts> m_ownAlerts;
    std::unique_ptr<SettingsWindowController> m_window;
};
