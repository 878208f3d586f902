#include "app/PeekabooToolSetup.h"

#include "agent/AgentSettingsKeys.h"
#include "agent/PeekabooBridge.h"
#include "settings/SettingsStore.h"
#include "ui/PeekabooLogWindow.h"

namespace {
const QString kNoAgent = QStringLiteral("The agent is not available.");
}

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
    if (!bridge) {
        done({PeekabooStatusLine::Dot::red, kNoAgent, StatusAction::none, {}});
        return;
    }
    bridge->checkAvailability(
        [done = std::move(done)](const PeekabooAvailability &availability) { done(PeekabooStatusLine::from(availability)); });
}

void PeekabooToolSetup::requestPermissions(Done done)
{
    if (PeekabooBridge *bridge = m_bridge())
        bridge->requestPermissions(std::move(done));
    else
        done(kNoAgent);
}

void PeekabooToolSetup::prefetch(Done done)
{
    if (PeekabooBridge *bridge = m_bridge())
        bridge->prefetch(std::move(done));
    else
        done(kNoAgent);
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

bool PeekabooToolSetup::signInWaiting() const
{
    PeekabooBridge *bridge = m_bridge();
    return bridge && bridge->chatGPT().isSigningIn();
}

// The window asks without waiting: the flag stored by the last sign-in that
// succeeded stands for the account until the tool says otherwise.
bool PeekabooToolSetup::chatGPTSignedIn() const
{
    PeekabooBridge *bridge = m_bridge();
    return bridge && bridge->settings().store().plainBool(AgentSettingsKeys::chatGPTSubscriptionSignedIn);
}

void PeekabooToolSetup::startSignIn(std::function<void(bool, const QString &)> done)
{
    PeekabooBridge *bridge = m_bridge();
    if (!bridge) {
        done(false, kNoAgent);
        return;
    }
    bridge->chatGPT().startSignIn([done = std::move(done)](bool succeeded, const QString &message) {
        done(succeeded, message);
    });
}

bool PeekabooToolSetup::pasteSignInLink(const QString &address)
{
    PeekabooBridge *bridge = m_bridge();
    return bridge && bridge->chatGPT().submit(address);
}

void PeekabooToolSetup::cancelSignIn()
{
    if (PeekabooBridge *bridge = m_bridge())
        bridge->chatGPT().cancelSignIn();
}
