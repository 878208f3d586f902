// "Check for Updates…" against an appcast served from this process: what the
// user is told for each kind of answer, that only the explicit button opens the
// browser, one check at a time, and nothing contacted before the user asks.
#include "app/UpdatePresenter.h"
#include "support/ScriptedAlerts.h"
#include "support/TestMain.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

// A one-file HTTP server: every GET gets the same answer, or none, or nobody listens.
class FeedServer : public QObject
{
public:
    enum Mode { Answers, NeverAnswers, Absent };
    QByteArray body;
    int status = 200;
    int requests = 0;

    explicit FeedServer(Mode mode = Answers)
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this, mode] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket, mode] {
                    m_received[socket] += socket->readAll();
                    if (!m_received[socket].endsWith("\r\n\r\n"))
                        return;
                    ++requests;
                    if (mode == NeverAnswers)
                        return;
                    socket->write("HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Length: " +
                                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
            }
        });
        m_server.listen(QHostAddress::LocalHost);
        m_url = QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(m_server.serverPort()));
        if (mode == Absent)
            m_server.close();
    }
    QUrl url() const { return m_url; }

private:
    QTcpServer m_server;
    QUrl m_url;
    QHash<QTcpSocket *, QByteArray> m_received;
};

QByteArray appcast(const QByteArray &version, const QByteArray &shortVersion)
{
    return "<rss xmlns:sparkle='http://www.andymatuschak.org/xml-namespaces/sparkle'><channel><item>"
           "<link>https://example.org/tessaly/" +
           version + "</link><enclosure url='https://example.org/t.tgz' sparkle:version='" + version +
           "' sparkle:shortVersionString='" + shortVersion + "'/></item></channel></rss>";
}

} // namespace

class TestUpdates : public QObject
{
    Q_OBJECT
    ScriptedAlerts alerts;
    QList<QUrl> opened;

    UpdatePresenter::Options options(const QUrl &feed, const QString &version = QStringLiteral("1.9"))
    {
        UpdatePresenter::Options options;
        options.checker = UpdateChecker::Options{feed, version, {}, std::chrono::milliseconds(200)};
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
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("detail");
        const QString upToDate = "You're up to date", failed = "Could not check for updates";
        const QByteArray feed = appcast("1.10", "1.10");
        const int answers = FeedServer::Answers;
        QTest::newRow("same") << answers << feed << 200 << "1.10" << upToDate
                              << "Tessaly 1.10 is the newest version available.";
        QTest::newRow("older on the server")
            << answers << feed << 200 << "2.0" << upToDate << "Tessaly 2.0 is";
        QTest::newRow("malformed") << answers << QByteArray("<rss><channel><item>") << 200 << "1.9" << failed
                                   << "The update feed could not be read";
        QTest::newRow("HTTP error") << answers << QByteArray("gone") << 404 << "1.9" << failed
                                    << "The update server answered with HTTP status 404.";
        QTest::newRow("unreachable") << int(FeedServer::Absent) << feed << 200 << "1.9" << failed
                                     << "The update server could not be reached";
        QTest::newRow("never answers") << int(FeedServer::NeverAnswers) << feed << 200 << "1.9" << failed
                                       << "The update server did not answer within 0.2 seconds.";
    }
    void theAnswerForEachFeed()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, current);
        QFETCH(QString, message);
        QFETCH(QString, detail);
        FeedServer server{FeedServer::Mode(mode)};
        server.body = body;
        server.status = status;
        UpdatePresenter presenter(alerts, options(server.url(), current));
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
        UpdatePresenter presenter(alerts, options(server.url(), "109"));

        const AlertRequest request = checkOnce(presenter);
        QCOMPARE(request.message, "A new version of Tessaly is available");
        QVERIFY2(request.informativeText.contains("Tessaly 1.10 is available — you have 109"),
                 qPrintable(request.informativeText));
        QCOMPARE(request.buttons, (QStringList{"Open Download Page", "Not Now"}));
        alerts.answerPending(ScriptedAlerts::dismissed());
        QVERIFY(opened.isEmpty());

        checkOnce(presenter);
        alerts.answerPending(ScriptedAlerts::button(0));
        QCOMPARE(opened, QList<QUrl>{QUrl("https://example.org/tessaly/110")});
    }

    void oneCheckAtATimeAndNothingBeforeTheUserAsks()
    {
        FeedServer server;
        server.body = appcast("1.9", "1.9");
        UpdatePresenter presenter(alerts, options(server.url()));
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
        QCOMPARE(checkOnce(presenter).message, "Updates are not configured");
    }
};

TESSALY_TEST_GUILESS_MAIN(TestUpdates)
#include "test_updates.moc"
