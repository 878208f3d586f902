#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>

// Generic-password items addressed by service and account: the Keychain on
// macOS, the Secret Service on Linux, or memory for the demo and tests.
// Calls block until the store answers and may be made from any thread.
struct SecretResult
{
    // Status codes of the Keychain's domain, kept on every platform.
    static constexpr int Success = 0;
    static constexpr int ItemNotFound = -25300;
    static constexpr int Unavailable = -25291; // no store to talk to
    static constexpr int Failure = -25293;

    int status = Success;
    QByteArray data;
    QString errorText;

    bool ok() const { return status == Success; }
    bool notFound() const { return status == ItemNotFound; }
    // "<reason> (status N)", for status texts.
    QString description() const;
};

class SecretStore
{
public:
    virtual ~SecretStore() = default;
    virtual SecretResult read(const QString &service, const QString &account) = 0;
    // Adds or replaces the item.
    virtual SecretResult write(const QString &service, const QString &account, const QByteArray &data) = 0;
    virtual SecretResult remove(const QString &service, const QString &account) = 0;
};

class InMemorySecretStore : public SecretStore
{
public:
    SecretResult read(const QString &service, const QString &account) override;
    SecretResult write(const QString &service, const QString &account, const QByteArray &data) override;
    SecretResult remove(const QString &service, const QString &account) override;

    // Tests make the store fail on purpose.
    void setFailure(int status) { QMutexLocker l(&m_mutex); m_failure = status; }
    int itemCount() const { QMutexLocker l(&m_mutex); return int(m_items.size()); }

private:
    mutable QMutex m_mutex;
    QHash<QString, QByteArray> m_items;
    int m_failure = SecretResult::Success;
};
