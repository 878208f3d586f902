// The system secret store through QtKeychain on a private session bus with
// GNOME Keyring, used from the main thread as the Telegram client does.
#include "platform/KeychainSecretStore.h"
#include "telegram/SessionKey.h"

#include <QtTest>
#include <variant>

class TestKeychainStore : public QObject
{
    Q_OBJECT
private slots:
    void sessionKeyRoundTrip()
    {
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            QSKIP("no session bus");
        KeychainSecretStore store;
        QString first, second;
        SessionKey::remove(store);
        const auto created = SessionKey::getOrCreate(store);
        if (std::holds_alternative<QString>(created))
            first = std::get<QString>(created);
        const auto again = SessionKey::getOrCreate(store);
        if (std::holds_alternative<QString>(again))
            second = std::get<QString>(again);
        const int removed = SessionKey::remove(store).status;
        const int afterRemoval = store.read(SessionKey::service, SessionKey::account).status;
        QCOMPARE(first.size(), 44);
        QCOMPARE(second, first);
        QCOMPARE(removed, int(SecretResult::Success));
        QCOMPARE(afterRemoval, int(SecretResult::ItemNotFound));
    }
};

QTEST_GUILESS_MAIN(TestKeychainStore)
#include "test_keychain_store.moc"
