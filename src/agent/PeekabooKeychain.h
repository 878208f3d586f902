#pragma once

#include "agent/PeekabooProvider.h"

#include <QString>
#include <optional>

class SecretStore;

// Provider API keys in the platform's secret store: one item per provider,
// service "com.hollowmere.quayline.peekaboo", account = the provider's raw
// value. The ChatGPT sign-in never has an item. Keys never go anywhere else.
class PeekabooKeychain
{
public:
    static const QString service;

    explicit PeekabooKeychain(SecretStore &store) : m_store(store) {}

    // The stored key; none when there is no item, the store fails, the data
    // is not UTF-8 or the text is empty.
    std::optional<QString> key(PeekabooProvider provider) const;
    // Stores a key, replacing any previous one; false when the store refused.
    bool save(const QString &key, PeekabooProvider provider);
    // Deletes the item; a missing item is fine.
    void remove(PeekabooProvider provider);

private:
    SecretStore &m_store;
};
