// The application against the real Secret Service (GNOME Keyring) on a private
// session bus that starts nothing by itself: the store missing, and the
// keyring that holds the session key locked with its unlock prompt refused.
#include "platform/KeychainSecretStore.h"
#include "support/AppHarness.h"
#include "telegram/SessionKey.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QProcess>
#include <QtTest>

// A secret as the Secret Service carries it: (oayays).
struct Secret
{
    QDBusObjectPath session;
    QByteArray parameters;
    QByteArray value;
    QString contentType;
};
Q_DECLARE_METATYPE(Secret)

QDBusArgument &operator<<(QDBusArgument &out, const Secret &secret)
{
    out.beginStructure();
    out << secret.session << secret.parameters << secret.value << secret.contentType;
    out.endStructure();
    return out;
}

const QDBusArgument &operator>>(const QDBusArgument &in, Secret &secret)
{
    in.beginStructure();
    in >> secret.session >> secret.parameters >> secret.value >> secret.contentType;
    in.endStructure();
    return in;
}

namespace {

const QString kKeyFailure = QStringLiteral("Could not access the encrypted Telegram session key in Keychain.");
const QString kSecrets = QStringLiteral("org.freedesktop.secrets");
const QString kLogin = QStringLiteral("/org/freedesktop/secrets/collection/login");
const QString kSession = QStringLiteral("/org/freedesktop/secrets/collection/session");

// A GNOME Keyring daemon whose login keyring lives in a folder of the test's
// own, unlocked with a password when it starts. Without a display its prompts
// cannot be shown, which the keyring treats as the user refusing them.
class KeyringDaemon
{
public:
    ~KeyringDaemon()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }

    void start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_home.path());
        env.insert("XDG_DATA_HOME", m_home.filePath("data"));
        env.insert("XDG_RUNTIME_DIR", m_home.path());
        env.remove("DISPLAY");
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.start("gnome-keyring-daemon", {"--foreground", "--components=secrets", "--unlock"});
        QVERIFY2(m_process.waitForStarted(), "gnome-keyring-daemon is not installed");
        m_process.write("pw");
        m_process.closeWriteChannel();
        // Ready once the login keyring is there and unlocked.
        QTRY_COMPARE_WITH_TIMEOUT(call(kLogin, "org.freedesktop.DBus.Properties", "Get",
                                       {"org.freedesktop.Secret.Collection", "Locked"})
                                      .value(0)
                                      .value<QDBusVariant>()
                                      .variant(),
                                  QVariant(false), 10000);
    }

    // Unlocks the login keyring with its password, as the user would.
    void unlockLogin()
    {
        const QList<QVariant> opened = service("OpenSession", {"plain", QVariant::fromValue(QDBusVariant(QString()))});
        QCOMPARE(opened.size(), 2);
        qDBusRegisterMetaType<Secret>();
        const Secret password{opened[1].value<QDBusObjectPath>(), {}, "pw", "text/plain"};
        call("/org/freedesktop/secrets", "org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface",
             "UnlockWithMasterPassword", {QVariant::fromValue(QDBusObjectPath(kLogin)), QVariant::fromValue(password)});
        QCOMPARE(sessionKeyItems().second, 0);
    }

    // Locks the login keyring and makes the always-unlocked session keyring the
    // default, where new items go: a user with a second, open keyring.
    void lockLoginAndDefaultToAnother()
    {
        service("Lock", {QVariant::fromValue(QList<QDBusObjectPath>{QDBusObjectPath(kLogin)})});
        service("SetAlias", {"default", QVariant::fromValue(QDBusObjectPath(kSession))});
    }

    // The items that hold the session key: {unlocked, locked}.
    std::pair<int, int> sessionKeyItems()
    {
        using Attributes = QMap<QString, QString>;
        qDBusRegisterMetaType<Attributes>();
        const QList<QVariant> found = service(
            "SearchItems", {QVariant::fromValue(Attributes{{"user", SessionKey::account}, {"server", SessionKey::service}})});
        auto count = [&found](int i) {
            return int(qdbus_cast<QList<QDBusObjectPath>>(found.value(i)).size());
        };
        return {count(0), count(1)};
    }

private:
    static QList<QVariant> service(const QString &method, const QList<QVariant> &arguments)
    {
        return call("/org/freedesktop/secrets", "org.freedesktop.Secret.Service", method, arguments);
    }
    static QList<QVariant> call(const QString &path, const QString &interface, const QString &method,
                                const QList<QVariant> &arguments)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(kSecrets, path, interface, method);
        message.setArguments(arguments);
        return QDBusConnection::sessionBus().call(message, QDBus::Block, 5000).arguments();
    }

    QTemporaryDir m_home;
    QProcess m_process;
};

QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSecretStoreFaults : public QObject
{
    Q_OBJECT

    KeychainSecretStore m_keychain;

private slots:
    void initTestCase()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run on a private session bus");
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(kSecrets));
        AppHarness::environmentHook = [this](AppEnvironment &env) { env.secrets = &m_keychain; };
    }
    void cleanupTestCase() { AppHarness::environmentHook = nullptr; }

    void noSecretServiceSendsNoKeyAndStillQuits()
    {
        AppHarness h(R"({"scan_delay_ms":0})");
        QTRY_COMPARE_WITH_TIMEOUT(h.app->signInView()->status(), kKeyFailure, 10000);
        // TDLib never got parameters: the simulator keeps its key file beside a database it opened.
        const QString database = h.app->client()->baseDirectory() + "/database";
        QVERIFY(!QFile::exists(database + "/tdjson-sim.key"));
        QVERIFY(!h.app->telegramAuthorized());
        QSignalSpy confirmed(h.app.get(), &AppDelegate::terminationConfirmed);
        h.app->requestTermination();
        QTRY_COMPARE_WITH_TIMEOUT(confirmed.count(), 1, 10000);
        h.app.reset();
    }

    void lockedKeyringKeepsTheSessionForLater()
    {
        KeyringDaemon keyring;
        keyring.start();
        AppHarness h(R"({"scan_delay_ms":0})");
        QTRY_VERIFY_WITH_TIMEOUT(h.app->telegramAuthorized(), 10000);
        h.quit();
        const QString keyFile = h.dir.filePath("QuaylineView/database/tdjson-sim.key");
        const QByteArray databaseKey = fileContents(keyFile);
        QVERIFY(!databaseKey.isEmpty());
        QCOMPARE(keyring.sessionKeyItems(), std::make_pair(1, 0));

        // Locked, and the prompt to unlock it refused: a new key would be
        // stored in the open keyring and orphan the encrypted database.
        keyring.lockLoginAndDefaultToAnother();
        QCOMPARE(keyring.sessionKeyItems(), std::make_pair(0, 1));
        h.create();
        QTRY_COMPARE_WITH_TIMEOUT(h.app->signInView()->status(), kKeyFailure, 10000);
        QVERIFY(!h.app->telegramAuthorized());
        QCOMPARE(fileContents(keyFile), databaseKey);
        QCOMPARE(keyring.sessionKeyItems(), std::make_pair(0, 1));
        h.quit();

        // Unlocked again, the next start opens the same session without a new sign-in.
        keyring.unlockLogin();
        AppHarness::configure(R"({"scan_delay_ms":"never"})");
        h.create();
        QTRY_VERIFY2_WITH_TIMEOUT(h.app->telegramAuthorized(), qPrintable(h.app->signInView()->status()), 10000);
        QCOMPARE(fileContents(keyFile), databaseKey);
        QCOMPARE(keyring.sessionKeyItems(), std::make_pair(1, 0));
    }
};

QTEST_MAIN(TestSecretStoreFaults)
#include "test_secret_store_faults.moc"
