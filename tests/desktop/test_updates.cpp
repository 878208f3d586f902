// "Check for Updates…" against an appcast served from this process: what the
// user is told for each kind of answer, that only the explicit button opens the
// browser, one check at a time, and nothing contacted before the user asks.
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
    return "<rss xmlns:sparkle='http://www.andymatuschak.org/xml-namespaces/sparkle'><channel><item>"
           "<link>https://example.org/tessaly/" +
           version + "</link><enclosure url='https://example.org/t.tgz' sparkle:version='" + version +
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
        enum Server { Answers, NeverAnswers, Absent };
        QTest::addColumn<int>("server");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("detail");
        const QString upToDate = "You're up to date", failed = "Could not check for updates";
        const QByteArray feed = appcast("1.10", "1.10");
        QTest::newRow("same") << +Answers << feed << 200 << "1.10" << upToDate
                              << "Tessaly 1.10 is the newest version available.";
        QTest::newRow("older on the server")
            << +Answers << feed << 200 << "2.0" << upToDate << "Tessaly 2.0 is";
        QTest::newRow("malformed") << +Answers << QByteArray("<rss><channel><item>") << 200 << "1.9" << failed
                                   << "The update feed could not be read";
        QTest::newRow("HTTP error") << +Answers << QByteArray("gone") << 404 << "1.9" << failed
                                    << "The update server answered with HTTP status 404.";
        QTest::newRow("unreachable") << +Absent << feed << 200 << "1.9" << failed
                                     << "The update server could not be reached";
        QTest::newRow("never answers") << +NeverAnswers << feed << 200 << "1.9" << failed
                                       << "The update server did not answer within 0.2 seconds.";
    }
    void theAnswerForEachFeed()
    {
        QFETCH(int, server);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, current);
        QFETCH(QString, message);
        QFETCH(QString, detail);
        FeedServer feed;
        feed.body = body;
        feed.status = status;
        feed.silent = server == 1;
        const QUrl absent(QStringLiteral("http://127.0.0.1:%1/a.xml").arg(closedPort()));
        UpdateChecker::Options checker = options(server == 2 ? absent : feed.url(), current);
        checker.timeLimit = std::chrono::milliseconds(200);
        UpdatePresenter presenter(alerts, presenterOptions(checker));
        const AlertRequest request = checkOnce(presenter);
        QCOMPARE(request.message, message);
        QVERIFY2(request.informativeText.startsWith(detail), qPrintable(request.informativeText));
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
