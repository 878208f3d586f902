#include "app/SettingsPresenter.h"

#include "agent/AgentSettingsKeys.h"
#include "agent/MacAccess.h"
#include "agent/PeekabooBridge.h"
#include "agent/PeekabooLog.h"
#include "chat/BotSelection.h"
#include "core/Guarded.h"
#include "settings/SettingsStore.h"
#include "ui/SettingsWindowController.h"
#include "ui/WidgetAlerts.h"

#include <QDesktopServices>

namespace {

// Questions over whichever settings window is current.
class SettingsWindowAlerts : public Alerts
{
public:
    explicit SettingsWindowAlerts(std::function<QWidget *()> window) : m_window(std::move(window)) {}
    void present(const AlertRequest &request, std::function<void(const AlertAnswer &)> completion) override
    {
        WidgetAlerts(m_window()).present(request, std::move(completion));
    }

private:
    std::function<QWidget *()> m_window;
};

} // namespace

SettingsPresenter::SettingsPresenter(Dependencies dependencies, QObject *parent)
    : QObject(parent), m_deps(std::move(dependencies)),
      m_ownAlerts(
          std::make_unique<SettingsWindowAlerts>([this] { return static_cast<QWidget *>(m_window.get()); }))
{
}

SettingsPresenter::~SettingsPresenter() = default;

SettingsState SettingsPresenter::settingsState() const
{
    SettingsState state;
    const auto [titles, index] =
        SettingsState::bots(m_deps.selection->botChats(), m_deps.selection->selectedChatID());
    state.botTitles = titles;
    state.selectedBotIndex = index;
    if (MacAccess *access = m_deps.access())
        state.macAccess = access->macAccessLevel();
    if (PeekabooBridge *bridge = m_deps.bridge()) {
        state.showAgentPointer = bridge->settings().showAgentPointer();
        state.provider = bridge->settings().selectedProvider();
        state.model = bridge->settings().model(state.provider);
        state.hasKey = bridge->hasCredential();
    }
    state.lightAppearance = m_deps.lightAppearanceEnabled();
    state.theme = AppTheme::current(*m_deps.settings);
    state.hoverShrink = m_deps.hoverShrinkEnabled();
    state.followActiveSpace = m_deps.followActiveSpaceEnabled();
    return state;
}

void SettingsPresenter::createWindow()
{
    SettingsHooks hooks;
    hooks.onBotSelected = guarded(this, [this](int index) {
        const QList<BotConversation> &bots = m_deps.selection->botChats();
        if (index < 0 || index >= bots.size())
            return;
        m_deps.selectBot(bots.at(index));
        refreshSettingsWindow();
    });
    hooks.onMacAccessChanged = guarded(this, [this](MacAccessLevel level) {
        if (MacAccess *access = m_deps.access())
            if (const auto line = access->setMacAccess(level))
                m_deps.showStatus(*line);
    });
    hooks.onKeyChanged = guarded(this, &SettingsPresenter::refreshSettingsWindow);
    hooks.onModelChanged = guarded(this, [this](const std::optional<QString> &model) {
        if (PeekabooBridge *bridge = m_deps.bridge())
            bridge->settings().setModel(model, bridge->settings().selectedProvider());
        refreshSettingsWindow();
    });
    hooks.onAppearanceChanged = guarded(this, [this](bool light) {
        if (light != m_deps.lightAppearanceEnabled())
            m_deps.updateAppearance(light);
    });
    hooks.onThemeChanged = guarded(this, &SettingsPresenter::setTheme);
    hooks.onHoverShrinkChanged = guarded(this, [this](bool on) {
        if (on != m_deps.hoverShrinkEnabled()) {
            m_deps.toggleHoverShrink();
            refreshSettingsWindow();
        }
    });
    hooks.onFollowSpaceChanged = guarded(this, [this](bool on) {
        if (on != m_deps.followActiveSpaceEnabled()) {
            m_deps.toggleFollowActiveSpace();
            refreshSettingsWindow();
        }
    });
    hooks.onShowAgentPointerChanged = guarded(this, &SettingsPresenter::showAgentPointerChanged);
    hooks.onLogOut = guarded(this, [this] { m_deps.logOut(); });

    SettingsServices services;
    services.settings = m_deps.settings;
    services.secrets = m_deps.secrets;
    services.agentSetup = m_deps.agentSetup ? m_deps.agentSetup() : nullptr;
    services.testProvider = guarded(this, [this](const std::optional<QString> &model,
                                                 std::function<void(const PeekabooResult &)> completion) {
        if (PeekabooBridge *bridge = m_deps.bridge())
            bridge->test(model, std::move(completion));
    });
    services.speechEngine = m_deps.speechEngine;
    services.openUrl =
        m_deps.openUrl ? m_deps.openUrl : [](const QUrl &url) { QDesktopServices::openUrl(url); };
    services.version = m_deps.version;

    services.alerts = m_deps.alerts ? m_deps.alerts : m_ownAlerts.get();
    m_window = std::make_unique<SettingsWindowController>(std::move(hooks), std::move(services));
}

void SettingsPresenter::showAgentPointerChanged(bool on)
{
    if (PeekabooBridge *bridge = m_deps.bridge()) {
        bridge->settings().store().setBool(AgentSettingsKeys::peekabooShowAgentPointer, on);
        bridge->log().append(QStringLiteral("SETTING show agent pointer = ") +
                             (on ? QStringLiteral("on") : QStringLiteral("off")));
    }
    refreshSettingsWindow();
}

void SettingsPresenter::openSettings()
{
    if (!m_window)
        createWindow();
    refreshSettingsWindow();
    m_window->present();
}

void SettingsPresenter::refreshSettingsWindow()
{
    if (m_window)
        m_window->apply(settingsState());
}

void SettingsPresenter::setTheme(AppTheme theme)
{
    if (AppTheme::current(*m_deps.settings) == theme)
        return;
    const bool hadWindow = m_window != nullptr;
    if (hadWindow) {
        m_window->close();
        // The window may be inside one of its own signals: it goes once control is back in the loop.
        m_window.release()->deleteLater();
    }
    m_deps.applyTheme(theme);
    if (hadWindow)
        openSettings();
    m_deps.showStatus(theme.changedStatusText());
}

#include "moc_SettingsPresenter.cpp"
