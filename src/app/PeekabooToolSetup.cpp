#include "app/PeekabooToolSetup.h"

#include "agent/AgentSettingsKeys.h"
#include "agent/PeekabooBridge.h"
#include "settings/SettingsStore.h"
#include "ui/PeekabooLogWindow.h"

PeekabooToolSetup::PeekabooToolSetup(std::function<PeekabooBridge *()> bridge) : m_bridge(std::move(bridge))
{
}

PeekabooToolSetup::~PeekabooToolSetup()
{
    delete m_logWindow.data();
}

bool PeekabooToolSetup::toolFound() const
{
    PeekabooBridge *bridge = m_bridge();
    return bridge && bridge->executable().has_value();
}

void PeekabooToolSetup::checkStatus(std::function<void(const PeekabooStatusLine &)> done)
{
    PeekabooBridge *bridge = m_bridge();
    const auto command = bridge ? bridge->executable() : std::nullopt;
    if (!command) {
        done({PeekabooStatusLine::Dot::failed,
              QStringLiteral("Peekaboo is not installed and npx was not found."), StatusAction::guide,
              QStringLiteral("Install Guide")});
        return;
    }
    const QString installation =
        command->viaNpx() ? QStringLiteral("will download on first use") : QStringLiteral("installed");
    done({PeekabooStatusLine::Dot::ready,
          QStringLiteral("Peekaboo is ready (") + installation + QStringLiteral(")."),
          StatusAction::none,
          {}});
}

void PeekabooToolSetup::requestPermissions(Done done)
{
    done(toolFound() ? std::nullopt : std::optional(QStringLiteral("Peekaboo is not installed.")));
}

void PeekabooToolSetup::prefetch(Done done)
{
    done(std::nullopt);
}

void PeekabooToolSetup::openLog()
{
    PeekabooBridge *bridge = m_bridge();
    if (!bridge)
        return;
    if (!m_logWindow)
        m_logWindow = new PeekabooLogWindow(bridge->log());
    m_logWindow->present();
}

bool PeekabooToolSetup::chatGPTSignedIn() const
{
    PeekabooBridge *bridge = m_bridge();
    return bridge && bridge->settings().store().plainBool(AgentSettingsKeys::chatGPTSubscriptionSignedIn);
}

void PeekabooToolSetup::startSignIn(std::function<void(bool, const QString &)> done)
{
    done(false, QStringLiteral("ChatGPT sign-in is not available in this version."));
}
