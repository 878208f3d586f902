#include "platform/KeychainSecretStore.h"

#include "platform/SecretItemLock.h"

#include <QEventLoop>
#include <qt6keychain/keychain.h>

namespace {

SecretResult finish(QKeychain::Job &job)
{
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.setAutoDelete(false);
    job.start();
    loop.exec();
    switch (job.error()) {
    case QKeychain::NoError:
        return {};
    case QKeychain::EntryNotFound:
        return {SecretResult::ItemNotFound, {}, job.errorString()};
    case QKeychain::NoBackendAvailable:
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser:
        return {SecretResult::Unavailable, {}, job.errorString()};
    default:
        return {SecretResult::Failure, {}, job.errorString()};
    }
}

// An item the store keeps locked is not missing: calling it missing would make
// the caller create a new one in its place (a new database key that orphans
// the encrypted session, or a second item beside the locked one).
SecretResult unlessLocked(SecretResult result, const QString &service, const QString &account)
{
    if (result.notFound() && SecretItemLock::isLocked(service, account))
        return {SecretResult::Unavailable, {}, QStringLiteral("The keyring that holds this item is locked.")};
    return result;
}

} // namespace

SecretResult KeychainSecretStore::read(const QString &service, const QString &account)
{
    QKeychain::ReadPasswordJob job(service);
    job.setKey(account);
    SecretResult result = unlessLocked(finish(job), service, account);
    if (result.ok())
        result.data = job.binaryData();
    return result;
}

SecretResult KeychainSecretStore::write(const QString &service, const QString &account, const QByteArray &data)
{
    QKeychain::WritePasswordJob job(service);
    job.setKey(account);
    job.setBinaryData(data);
    return finish(job);
}

SecretResult KeychainSecretStore::remove(const QString &service, const QString &account)
{
    QKeychain::DeletePasswordJob job(service);
    job.setKey(account);
    return unlessLocked(finish(job), service, account);
}
