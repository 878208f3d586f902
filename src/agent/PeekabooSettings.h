#pragma once

#include "agent/PeekabooProvider.h"

#include <QString>
#include <optional>

class SettingsStore;

// Typed access to the agent's settings keys. Reads go to the store each time;
// nothing is cached.
class PeekabooSettings
{
public:
    explicit PeekabooSettings(SettingsStore &store) : m_store(store) {}

    // peekabooProvider; "openai" when absent or unknown.
    PeekabooProvider selectedProvider() const;
    // peekabooModel.<raw value>, or none.
    std::optional<QString> model(PeekabooProvider provider) const;
    // A model is stored normalised; empty, blank or none removes the key.
    void setModel(const std::optional<QString> &model, PeekabooProvider provider);
    // peekabooShowAgentPointer.
    bool showAgentPointer() const;
    // chatGPTSubscriptionSignedIn: a ChatGPT sign-in succeeded and was not lost since.
    bool chatGPTSubscriptionSignedIn() const;
    void setChatGPTSubscriptionSignedIn(bool signedIn);

    SettingsStore &store() const { return m_store; }

private:
    SettingsStore &m_store;
};
