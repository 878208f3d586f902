#pragma once

#include "platform/SecretStore.h"

// The system's secret store through QtKeychain (Keychain on macOS, Secret
// Service on Linux). Each call runs one job to completion in a local event loop.
class KeychainSecretStore : public SecretStore
{
public:
    SecretResult read(const QString &service, const QString &account) override;
    SecretResult write(const QString &service, const QString &account, const QByteArray &data) override;
    SecretResult remove(const QString &service, const QString &account) override;
};
