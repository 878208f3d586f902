// The real libtdjson 1.8.67, offline: parameters with the encryption key, the
// QR request, a clean close, and a database that refuses another key.
#include "platform/SecretStore.h"
#include "telegram/SessionKey.h"
#include "telegram/TelegramClient.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run
{
    std::unique_ptr<TelegramClient> client;
    QStringList statuses;
    int closed = 0;
};

std::unique_ptr<Run> startClient(const QString &base, SecretStore &secrets)
{
    auto run = std::make_unique<Run>();
    TelegramClient::Options options;
    options.baseDirectory = base;
    options.libraryCandidates = {qEnvironmentVariable("TESSALY_REAL_TDJSON")};
    options.secrets = &secrets;
    options.credentials.apiID = 94575;
    options.credentials.apiHash = QStringLiteral("a3406de8d171bb422bb6ddf3bbd800e2");
    QString error;
    run->client = TelegramClient::create(options, &error);
    Run *r = run.get();
    run->client->onStatus = [r](const QString &s) { r->statuses.append(s); };
    run->client->onClosed = [r] { ++r->closed; };
    run->client->start();
    return run;
}

} // namespace

class TestRealTdlib : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!QFileInfo::exists(qEnvironmentVariable("TESSALY_REAL_TDJSON")))
            QFAIL("libtdjson is missing: run scripts/install-deps");
    }

    void reachesTheQRRequestWithAnEncryptedDatabaseAndClosesCleanly()
    {
        QTemporaryDir dir;
        InMemorySecretStore secrets;
        auto run = startClient(dir.filePath("QuaylineView"), secrets);
        QTRY_VERIFY_WITH_TIMEOUT(run->statuses.contains("Requesting a sign-in QR code…"), 30000);
        QVERIFY(!run->statuses.join('\n').contains("Could not load TDLib"));
        QCOMPARE(secrets.itemCount(), 1);
        run->client->closeForTermination();
        QTRY_COMPARE_WITH_TIMEOUT(run->closed, 1, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!run->client->isReceiving(), 5000);
        run.reset();

        // The same folder with another key (Base64 of other bytes, as a stored
        // key always is) must not open.
        InMemorySecretStore otherSecrets;
        otherSecrets.write(SessionKey::service, SessionKey::account, QByteArray(32, '\x07').toBase64());
        auto second = startClient(dir.filePath("QuaylineView"), otherSecrets);
        QTRY_VERIFY_WITH_TIMEOUT(second->statuses.join('\n').contains("encryption key"), 30000);
        QVERIFY(!second->statuses.contains("Requesting a sign-in QR code…"));
        QVERIFY(QDir(dir.filePath("QuaylineView/database")).exists());
        second->client->closeForTermination();
        QTRY_COMPARE_WITH_TIMEOUT(second->closed, 1, 30000);
    }
};

QTEST_GUILESS_MAIN(TestRealTdlib)
#include "test_real_tdlib.moc"
