#pragma once

#include <QString>

// Whether the system's secret store holds an item that it keeps locked.
// Some stores answer a locked item as if it did not exist (the Secret Service
// does so when the unlock prompt is refused or cannot be shown), and a missing
// item leads callers to create a new one: this tells the two apart.
namespace SecretItemLock {

bool isLocked(const QString &service, const QString &account);

} // namespace SecretItemLock
