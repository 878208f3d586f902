#include "platform/SecretStore.h"

namespace {
QString itemKey(const QString &service, const QString &account) { return service + QChar(0) + account; }
} // namespace

QString SecretResult::description() const
{
    const QString reason = errorText.isEmpty() ? QStringLiteral("The operation couldn’t be completed.") : errorText;
    return QStringLiteral("%1 (status %2)").arg(reason).arg(status);
}

SecretResult InMemorySecretStore::read(const QString &service, const QString &account)
{
    QMutexLocker lock(&m_mutex);
    if (m_failure != SecretResult::Success)
        return {m_failure, {}, QStringLiteral("The secret store failed.")};
    const auto it = m_items.constFind(itemKey(service, account));
    if (it == m_items.constEnd())
        return {SecretResult::ItemNotFound, {}, QStringLiteral("The specified item could not be found.")};
    return {SecretResult::Success, it.value(), {}};
}

SecretResult InMemorySecretStore::write(const QString &service, const QString &account, const QByteArray &data)
{
    QMutexLocker lock(&m_mutex);
    if (m_failure != SecretResult::Success)
        return {m_failure, {}, QStringLiteral("The secret store failed.")};
    m_items.insert(itemKey(service, account), data);
    return {};
}

SecretResult InMemorySecretStore::remove(const QString &service, const QString &account)
{
    QMutexLocker lock(&m_mutex);
    if (m_failure != SecretResult::Success)
        return {m_failure, {}, QStringLiteral("The secret store failed.")};
    if (m_items.remove(itemKey(service, account)) == 0)
        return {SecretResult::ItemNotFound, {}, QStringLiteral("The specified item could not be found.")};
    return {};
}
