// The settings window's side of the controller: its hooks reach the
// collaborators that own each setting.
#include "app/AppDelegate.h"

#include "app/Appearance.h"
#include "app/MacTaskController.h"
#include "app/PeekabooToolSetup.h"
#include "app/SettingsPresenter.h"
#include "app/WindowHoverShrink.h"
#include "app/WindowPresence.h"
#include "settings/SettingsStore.h"
#include "speech/QtSpeechEngine.h"
#include "ui/BotFaceView.h"
#include "ui/StatusItem.h"

#include <QCoreApplication>

void AppDelegate::createSettingsPresenter()
{
    const auto bridge = [this] {
        buildChatFace();
        return m_mac->bridge();
    };
    m_agentSetup = std::make_unique<PeekabooToolSetup>(bridge);

    SettingsPresenter::Dependencies settings;
    settings.settings = m_env.settings;
    settings.secrets = m_env.secrets;
    settings.alerts = m_env.alerts;
    settings.selection = &m_selection;
    settings.access = [this] { return macAccess(); };
    settings.bridge = bridge;
    settings.agentSetup = [this] { return static_cast<AgentSetup *>(m_agentSetup.get()); };
    settings.selectBot = [this](const BotConversation &bot) { selectBot(bot); };
    settings.lightAppearanceEnabled = [this] { return m_appearance->lightAppearanceEnabled(); };
    settings.updateAppearance = [this](bool light) { updateAppearance(light); };
    settings.applyTheme = [this](AppTheme theme) {
        if (!m_appearance->changeTheme(theme))
            return false;
        refreshStatusItem();
        return true;
    };
    settings.hoverShrinkEnabled = [this] { return hoverShrink()->hoverShrinkEnabled(); };
    settings.toggleHoverShrink = [this] { hoverShrink()->toggleHoverShrink(); };
    settings.followActiveSpaceEnabled = [this] { return m_presence->followActiveSpaceEnabled(); };
    settings.toggleFollowActiveSpace = [this] { m_presence->toggleFollowActiveSpace(); };
    settings.logOut = [this] { logOut(); };
    settings.showStatus = [this](const QString &text) { botFace()->showStatus(text); };
    settings.speechEngine = m_env.speechEngine ? m_env.speechEngine : [] {
        return std::unique_ptr<SpeechEngine>(new QtSpeechEngine);
    };
    settings.version = QCoreApplication::applicationVersion();
    m_settings = std::make_unique<SettingsPresenter>(std::move(settings));
    connect(m_presence.get(), &WindowPresence::followActiveSpaceChanged, m_settings.get(),
            &SettingsPresenter::refreshSettingsWindow);
    setSettingsOpener([this] { openSettings(); });
}

void AppDelegate::openSettings()
{
    m_settings->openSettings();
}

void AppDelegate::refreshSettingsWindow()
{
    if (m_settings)
        m_settings->refreshSettingsWindow();
}

void AppDelegate::changeTheme(AppTheme theme)
{
    m_settings->setTheme(theme);
}
