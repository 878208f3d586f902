#include "agent/PeekabooSettings.h"

#include "agent/AgentSettingsKeys.h"
#include "settings/SettingsStore.h"

namespace {

QString modelKey(PeekabooProvider provider)
{
    return AgentSettingsKeys::peekabooModelPrefix + PeekabooProviders::rawValue(provider);
}

} // namespace

PeekabooProvider PeekabooSettings::selectedProvider() const
{
    if (const auto raw = m_store.string(AgentSettingsKeys::peekabooProvider)) {
        if (const auto provider = PeekabooProviders::fromRawValue(*raw))
            return *provider;
    }
    return PeekabooProvider::openai;
}

std::optional<QString> PeekabooSettings::model(PeekabooProvider provider) const
{
    const auto stored = m_store.string(modelKey(provider));
    if (!stored || stored->isEmpty())
        return std::nullopt;
    return stored;
}

void PeekabooSettings::setModel(const std::optional<QString> &model, PeekabooProvider provider)
{
    // A blank model would reach the tool as "--model" with nothing usable.
    const auto normalized = model ? PeekabooProviders::normalizedModel(*model, provider) : std::nullopt;
    if (!normalized) {
        m_store.remove(modelKey(provider));
        return;
    }
    m_store.setString(modelKey(provider), *normalized);
}

bool PeekabooSettings::showAgentPointer() const
{
    return m_store.plainBool(AgentSettingsKeys::peekabooShowAgentPointer);
}

bool PeekabooSettings::chatGPTSubscriptionSignedIn() const
{
    return m_store.plainBool(AgentSettingsKeys::chatGPTSubscriptionSignedIn);
}

void PeekabooSettings::setChatGPTSubscriptionSignedIn(bool signedIn)
{
    m_store.setBool(AgentSettingsKeys::chatGPTSubscriptionSignedIn, signedIn);
}
