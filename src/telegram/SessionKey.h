#pragma once

#include "platform/SecretStore.h"

#include <QString>
#include <variant>

// The random key that encrypts TDLib's database, kept in the secret store.
namespace SessionKey {

inline const QString service = QStringLiteral("local.orvane.session");
inline const QString account = QStringLiteral("tdlib-database-encryption-key");

struct Failure
{
    int status = 0;
    QString description;
};

// The stored key text, or a new 44-character Base64 key of 32 random bytes
// that is stored first. Fails with the store's status.
std::variant<QString, Failure> getOrCreate(SecretStore &store);

// Removes the item; succeeds when it is already gone.
SecretResult remove(SecretStore &store);

} // namespace SessionKey
