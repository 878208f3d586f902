// "Check for Updates…" against an appcast served from this process: what the
// user is told for each kind of feed, that only the explicit button opens the
// browser, that a check runs once however often it is asked for, and that
// nothing is contacted before the user asks.
#include "app/UpdatePresenter.h"
#include "support/ScriptedAlerts.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

// A one-file HTTP server: every GET gets the same answer, or none at all.
class FeedServer : public QObject
{
public:
    QByteArray body;
    int status = 200;
    bool silent = false;
    int requests = 0;

    FeedServer()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
            }
        });
        m_server.listen(QHostAddress::LocalHost);
    }
    QUrl url() const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(m_server.serverPort()));
    }

private:
    void answer(QTcpSocket *socket)
    {
        QByteArray &request = m_requests[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        ++requests;
        if (silent)
            return;
        socket->write(
            "HTTP/1.1 " + QByteArray::number(status) + " Answer\r\nContent-Type: application/rss+xml\r\n" +
            "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_requests;
};

QByteArray appcast(const QByteArray &version, const QByteArray &shortVersion)
{
    return "<?xml version='1.0'?><rss version='2.0' "
           "xmlns:sparkle='http://www.andymatuschak.org/xml-namespaces/sparkle'>\n"
           "<channel><item><title>Old</title><sparkle:version>1</sparkle:version><link>https://example.org/"
           "1</link></item>\n"
           "<item><title>New</title><link>https://example.org/tessaly/" +
           version + "</link><enclosure url='https://example.org/t.tar.gz' sparkle:version='" + version +
           "' sparkle:shortVersionString='" + shortVersion + "'/></item></channel></rss>";
}

UpdateChecker::Options options(const QUrl &feed, const QString &version = QStringLiteral("1.9"))
{
    UpdateChecker::Options options;
    options.feedUrl = feed;
    options.currentVersion = version;
    return options;
}

// A port nothing listens on.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace

class TestUpdates : public QObject
{
    Q_OBJECT
    ScriptedAlerts alerts;
    QList<QUrl> opened;

    UpdatePresenter::Options presenterOptions(const UpdateChecker::Options &checker)
    {
        UpdatePresenter::Options options;
        options.checker = checker;
        options.openUrl = [this](const QUrl &url) {
            opened.append(url);
            return true;
        };
        return options;
    }

    // Runs one check and returns the one alert it shows.
    AlertRequest checkOnce(UpdatePresenter &presenter)
    {
        presenter.checkForUpdates();
        [&] { QTRY_COMPARE(alerts.pending.size(), 1); }();
        return alerts.pending.isEmpty() ? AlertRequest() : alerts.pending.first().request;
    }

private slots:
    void init()
    {
        alerts = ScriptedAlerts();
        opened.clear();
    }

    void theAnswerForEachFeed_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("detail");
        QTest::newRow("same version") << appcast("1.10", "1.10") << 200 << "1.10"
                                      << "You're up to date"
                                      << "Tessaly 1.10 is the newest version available.";
        QTest::newRow("older on the server than here") << appcast("1.10", "1.10") << 200 << "2.0"
                                                       << "You're up to date"
                                                       << "Tessaly 2.0 is the newest";
        QTest::newRow("malformed") << QByteArray("<rss><channel><item>") << 200 << "1.9"
                                   << "Could not check for updates"
                                   << "The update feed could not be read";
        QTest::newRow("not a feed") << QByteArray("<html>Moved</html>") << 200 << "1.9"
                                    << "Could not check for updates"
                                    << "not an RSS feed";
        QTest::newRow("missing on the server") << QByteArray("gone") << 404 << "1.9"
                                               << "Could not check for updates"
                                               << "HTTP status 404";
    }
    void theAnswerForEachFeed()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, current);
        QFETCH(QString, message);
        QFETCH(QString, detail);
        FeedServer server;
        server.body = body;
        server.status = status;
        UpdatePresenter presenter(alerts, presenterOptions(options(server.url(), current)));
        const AlertRequest request = checkOnce(presenter);
        QCOMPARE(request.message, message);
        QVERIFY2(request.informativeText.contains(detail), qPrintable(request.informativeText));
        QCOMPARE(request.buttons, QStringList{"OK"});
        alerts.answerPending(ScriptedAlerts::button(0));
        QVERIFY(opened.isEmpty());
        QVERIFY(!presenter.isBusy());
    }

    void aNewerVersionOffersItsPageAndOnlyTheButtonOpensIt()
    {
        FeedServer server;
        server.body = appcast("110", "1.10");
        UpdatePresenter presenter(alerts, presenterOptions(options(server.url(), "109")));

        AlertRequest request = checkOnce(presenter);
        QCOMPARE(request.message, "A new version of Tessaly is available");
        QVERIFY2(request.informativeText.contains("Tessaly 1.10 is available — you have 109"),
                 qPrintable(request.informativeText));
        QCOMPARE(request.buttons, (QStringList{"Open Download Page", "Not Now"}));
        alerts.answerPending(ScriptedAlerts::dismissed());
        QVERIFY(opened.isEmpty());

        checkOnce(presenter);
        alerts.answerPending(ScriptedAlerts::button(0));
        QCOMPARE(opened, QList<QUrl>{QUrl("https://example.org/tessaly/110")});
        QCOMPARE(server.requests, 2);
    }

    void anUnreachableServerIsAClearFailure()
    {
        UpdatePresenter presenter(
            alerts,
            presenterOptions(options(QUrl(QStringLiteral("http://127.0.0.1:%1/a.xml").arg(closedPort())))));
        const AlertRequest request = checkOnce(presenter);
        QCOMPARE(request.message, "Could not check for updates");
        QVERIFY2(request.informativeText.startsWith("The update server could not be reached"),
                 qPrintable(request.informativeText));
    }

    void aServerThatNeverAnswersRunsIntoTheTimeLimit()
    {
        FeedServer server;
        server.silent = true;
        UpdateChecker::Options checker = options(server.url());
        checker.timeLimit = std::chrono::milliseconds(200);
        UpdatePresenter presenter(alerts, presenterOptions(checker));
        const AlertRequest request = checkOnce(presenter);
        QCOMPARE(server.requests, 1);
        QCOMPARE(request.informativeText, "The update server did not answer within 0.2 seconds.");
    }

    void oneCheckAtATimeAndNothingBeforeTheUserAsks()
    {
        FeedServer server;
        server.body = appcast("1.9", "1.9");
        UpdatePresenter presenter(alerts, presenterOptions(options(server.url())));
        QCoreApplication::processEvents();
        QCOMPARE(server.requests, 0);

        presenter.checkForUpdates();
        presenter.checkForUpdates();
        QTRY_COMPARE(alerts.pending.size(), 1);
        QCOMPARE(server.requests, 1);
        // Asking again while the answer is still on screen neither asks the server nor stacks a second alert.
        presenter.checkForUpdates();
        alerts.answerPending(ScriptedAlerts::button(0));
        checkOnce(presenter);
        QCOMPARE(alerts.presented.size(), 2);
        QCOMPARE(server.requests, 2);
    }

    void theCheckerJoinsCallersToOneRequest()
    {
        FeedServer server;
        server.body = appcast("1.9", "1.9");
        UpdateChecker checker(options(server.url()));
        QList<UpdateCheckResult::Outcome> outcomes;
        for (int i = 0; i < 2; ++i)
            checker.check([&](const UpdateCheckResult &result) { outcomes.append(result.outcome); });
        QVERIFY(outcomes.isEmpty()); // never before returning
        QTRY_COMPARE(outcomes.size(), 2);
        QCOMPARE(outcomes.first(), UpdateCheckResult::Outcome::UpToDate);
        QCOMPARE(server.requests, 1);
    }

    void withoutAFeedAddressTheInstalledInfoSaysNotConfigured()
    {
        // The build's Info.json beside the executable has no feed address.
        UpdatePresenter presenter(alerts);
        const AlertRequest request = checkOnce(presenter);
        QCOMPARE(request.message, "Updates are not configured");
    }
};

QTEST_GUILESS_MAIN(TestUpdates)
#include "test_updates.moc"
