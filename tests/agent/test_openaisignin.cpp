#include "AgentTestHome.h"
#include "ProcessProbe.h"
#include "support/TestMain.h"

#include "agent/OpenAICallbackListener.h"

#include <QTcpSocket>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

const QString callback = QStringLiteral("/auth/callback?code=ac-123&state=fake-state");

struct Result
{
    bool success = false;
    QString message;
    int count = 0;
};

// Sends raw bytes to the listener and collects everything it answers until
// it closes the connection.
QByteArray exchange(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    [&] { QTRY_COMPARE(socket.state(), QAbstractSocket::ConnectedState); }();
    socket.write(request);
    QByteArray answer;
    [&] {
        QTRY_VERIFY_WITH_TIMEOUT(
            (answer += socket.readAll(), socket.state() == QAbstractSocket::UnconnectedState), 10000);
    }();
    return answer + socket.readAll();
}

QByteArray get(const QString &path)
{
    return "GET " + path.toUtf8() + " HTTP/1.1\r\nHost: localhost:1455\r\nAccept: text/html\r\n\r\n";
}

} // namespace

class TestOpenAISignIn : public QObject
{
    Q_OBJECT

    std::unique_ptr<AgentTestHome> m_home;
    std::unique_ptr<PeekabooBridge> m_bridge;
    QList<QUrl> m_opened;

    void makeBridge(OpenAISignIn::Options signIn = {},
                    std::optional<PeekabooToolLocations> locations = std::nullopt)
    {
        PeekabooBridge::Options options;
        options.locations = locations;
        signIn.listenPort = 0;
        signIn.killGrace = 500ms;
        signIn.openBrowser = [this](const QUrl &url) { m_opened << url; };
        options.signIn = signIn;
        m_bridge = m_home->bridge(options);
    }

    ChatGPTAccount &account() { return m_bridge->chatGPT(); }

    void start(Result &result)
    {
        account().startSignIn([&result](bool success, const QString &message) {
            result.success = success;
            result.message = message;
            ++result.count;
        });
        QCOMPARE(result.count, 0);
    }

    quint16 waitForBrowser()
    {
        [&] { QTRY_COMPARE(m_opened.size(), 1); }();
        return account().activeSignIn() ? account().activeSignIn()->listeningPort() : 0;
    }

    // Every line the tool read from its standard input.
    QStringList toolInput() const
    {
        QStringList lines;
        QFile file(m_home->root() + "/fake/stdin.jsonl");
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : file.readAll().split('\n')) {
                if (!line.isEmpty())
                    lines << QJsonDocument::fromJson("[" + line + "]").array().first().toString();
            }
        }
        return lines;
    }

    void release() { QFile(m_home->root() + "/fake/release").open(QIODevice::WriteOnly); }

private slots:
    void init()
    {
        m_home = std::make_unique<AgentTestHome>();
        m_home->settings->setString("peekabooProvider", "openaiSubscription");
        m_opened.clear();
    }
    void cleanup()
    {
        m_bridge.reset();
        m_home.reset();
    }

    void browserRedirectPassesTheCallbackOnce()
    {
        makeBridge();
        m_home->script({{"login", QJsonObject{{"awaitFile", "release"}}}});
        Result result;
        start(result);
        const quint16 port = waitForBrowser();
        QVERIFY(port != 0);
        QCOMPARE(m_opened.first().host(), OpenAISignIn::authorizationHost);
        QCOMPARE(m_opened.first().path(), QStringLiteral("/oauth/authorize"));
        QCOMPARE(QUrlQuery(m_opened.first()).queryItemValue("state"), QStringLiteral("fake-state"));
        QVERIFY(account().isSigningIn());

        const QByteArray page = OpenAICallbackListener::response();
        QCOMPARE(OpenAICallbackListener::pageBody().size(), 337);
        QVERIFY(page.contains("\r\nContent-Length: 337\r\nConnection: close\r\n\r\n<!doctype html>"));
        // The browser's icon request, then the redirect and a reload.
        QCOMPARE(exchange(port, get("/favicon.ico")), page);
        QCOMPARE(exchange(port, get(callback)), page);
        QCOMPARE(exchange(port, get(callback + "&again=1")), page);
        // Too late: the listener already passed one on.
        QVERIFY(account().submit("http://localhost:1455/auth/callback?code=pasted"));

        release();
        QTRY_COMPARE_WITH_TIMEOUT(result.count, 1, 10000);
        QCOMPARE(result.success, true);
        QCOMPARE(result.message, QStringLiteral("Signed in to ChatGPT."));
        QCOMPARE(toolInput(), QStringList{"http://localhost:1455" + callback + "\n"});
        QCOMPARE(m_opened.size(), 1);
        QVERIFY(m_home->settings->plainBool("chatGPTSubscriptionSignedIn"));
        QVERIFY(!account().activeSignIn());
        QVERIFY(!account().submit("http://localhost:1455/auth/callback?code=late"));

        QStringList argv;
        for (const auto &value : m_home->calls().first()["argv"].toArray())
            argv << value.toString();
        QCOMPARE(argv, QStringList({"config", "login", "openai", "--json", "--no-remote", "--no-browser"}));
        QCOMPARE(m_home->calls().first()["env"].toObject()["NO_COLOR"].toString(), QStringLiteral("1"));
    }

    void pastedAddressReachesTheTool()
    {
        makeBridge();
        // The address is the last thing printed, with no line break after it.
        m_home->script(
            {{"login",
              QJsonObject{
                  {"stdout", "Visit https://auth.openai.com/oauth/authorize?client_id=fake&state=p"}}}});
        Result result;
        start(result);
        waitForBrowser();
        QVERIFY(account().submit("   \n"));
        QVERIFY(account().submit("  http://localhost:1455/auth/callback?code=pasted&state=s \n second line"));
        QTRY_COMPARE_WITH_TIMEOUT(result.count, 1, 10000);
        QVERIFY(result.success);
        QCOMPARE(toolInput(), QStringList{"http://localhost:1455/auth/callback?code=pasted&state=s\n"});
        QCOMPARE(m_opened,
                 QList<QUrl>{QUrl("https://auth.openai.com/oauth/authorize?client_id=fake&state=p")});
    }

    // Nothing a stranger sends to the port reaches the tool or stops the
    // listener; the real redirect still gets through afterwards.
    void hostileConnectionsPassNothing()
    {
        OpenAISignIn::Options options;
        options.connectionIdleLimit = 200ms;
        makeBridge(options);
        Result result;
        start(result);
        const quint16 port = waitForBrowser();
        const QByteArray page = OpenAICallbackListener::response();

        // Only 127.0.0.1 listens: not even the IPv6 loopback is answered.
        QTcpSocket other;
        other.connectToHost(QHostAddress::LocalHostIPv6, port);
        QTRY_COMPARE(other.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(other.error(), QAbstractSocket::ConnectionRefusedError);

        QTcpSocket silent;
        silent.connectToHost(QHostAddress::LocalHost, port);
        QCOMPARE(exchange(port, QByteArray("\x00\xff\xfe\x80garbage\r\n\r\n", 15)), page);
        QCOMPARE(exchange(port, "POST " + callback.toUtf8() + " HTTP/1.1\r\n\r\n"), page);
        QCOMPARE(exchange(port, "GET /auth/callback?code=x\nextra line HTTP/1.1\r\n\r\n"), page);
        QCOMPARE(exchange(port, "GET\r\n\r\n"), page);
        // A request line longer than a connection may send is cut off, never passed on.
        exchange(port, "GET /auth/callback?code=" + QByteArray(40000, 'A') + " HTTP/1.1\r\n\r\n");
        QTRY_COMPARE(silent.state(), QAbstractSocket::UnconnectedState);
        QVERIFY(toolInput().isEmpty());
        QCOMPARE(result.count, 0);

        QCOMPARE(exchange(port, get(callback)), page);
        QTRY_COMPARE_WITH_TIMEOUT(result.count, 1, 10000);
        QVERIFY(result.success);
        QCOMPARE(toolInput(), QStringList{"http://localhost:1455" + callback + "\n"});
    }

    void theLastJsonObjectDecides_data()
    {
        QTest::addColumn<QJsonObject>("login");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("message");
        const auto finalText = [](const QString &text) {
            return QJsonObject{{"readStdin", false}, {"stdout", ""}, {"final", text}};
        };
        QTest::newRow("progress, then success")
            << finalText("{\"success\": false, \"event\": \"waiting\"}\n{\"event\": {\"step\": 2}}\n"
                         "{\"success\": true, \"data\": {\"account\": {\"plan\": \"plus\"}}}\n")
            << true << "Signed in to ChatGPT.";
        QTest::newRow("progress, then a state mismatch")
            << finalText("{\"success\": true}\n{\"success\": false, \"error\": {\"message\": \"OAuth State "
                         "Mismatch\"}}")
            << false << "That sign-in link did not match the request. Start the sign-in again.";
        QTest::newRow("no code") << finalText("{\"error\": {\"message\": \"Callback had no code\"}}\n")
                                 << false << "No sign-in code was received. Start the sign-in again.";
        QTest::newRow("object without a verdict")
            << finalText("progress\n{\"done\": 1}\n") << false << "ChatGPT sign-in failed.";
        QJsonObject silentExit = finalText("");
        silentExit.insert("exit", 1);
        QTest::newRow("no output, exit 1") << silentExit << false << "ChatGPT sign-in failed (exit 1).";
        QJsonObject complaint = finalText("not json {\n");
        complaint.insert("stderr", QJsonArray{"  login server unreachable  "});
        complaint.insert("exit", 3);
        QTest::newRow("error output") << complaint << false << "login server unreachable";
    }

    void theLastJsonObjectDecides()
    {
        QFETCH(QJsonObject, login);
        QFETCH(bool, success);
        QFETCH(QString, message);
        makeBridge();
        m_home->script({{"login", login}});
        Result result;
        start(result);
        QTRY_COMPARE_WITH_TIMEOUT(result.count, 1, 10000);
        QCOMPARE(result.message, message);
        QCOMPARE(result.success, success);
        QCOMPARE(m_home->settings->plainBool("chatGPTSubscriptionSignedIn"), success);
        QVERIFY(m_opened.isEmpty());
    }

    void refusalsTimeLimitAndCancel()
    {
        OpenAISignIn::Options options;
        // Long enough for the fake tool to print its address on a loaded machine.
        options.timeLimit = 2s;
        makeBridge(options);
        Result result;
        start(result);
        waitForBrowser();
        Result second;
        start(second);
        QTRY_COMPARE(second.count, 1);
        QCOMPARE(second.message, QStringLiteral("A ChatGPT sign-in is already waiting for the browser."));
        QTRY_COMPARE_WITH_TIMEOUT(result.count, 1, 10000);
        QCOMPARE(result.message, QStringLiteral("ChatGPT sign-in timed out. Try again."));
        QVERIFY(!result.success);
        const qint64 tool = m_home->calls().first()["pid"].toInteger();
        QTRY_VERIFY_WITH_TIMEOUT(!processRunning(tool), 5000);
        QVERIFY(!account().activeSignIn());

        // A new attempt may start, and be cancelled.
        m_opened.clear();
        m_home->forgetCalls();
        makeBridge();
        Result third;
        start(third);
        waitForBrowser();
        account().cancelSignIn();
        QTRY_COMPARE(third.count, 1);
        QCOMPARE(third.message, QStringLiteral("ChatGPT sign-in cancelled."));
        QTRY_VERIFY_WITH_TIMEOUT(!processRunning(m_home->calls().first()["pid"].toInteger()), 5000);
        QVERIFY(!m_home->settings->plainBool("chatGPTSubscriptionSignedIn"));

        m_home->settings->setString("peekabooProvider", "openai");
        Result wrongProvider;
        start(wrongProvider);
        QTRY_COMPARE(wrongProvider.count, 1);
        QCOMPARE(wrongProvider.message,
                 QStringLiteral("Choose OpenAI (ChatGPT sign-in) as the provider first."));

        m_home->settings->setString("peekabooProvider", "openaiSubscription");
        makeBridge({}, PeekabooToolLocations{});
        Result notInstalled;
        start(notInstalled);
        QTRY_COMPARE(notInstalled.count, 1);
        QCOMPARE(notInstalled.message,
                 QStringLiteral("Peekaboo is not installed, so ChatGPT sign-in is not available."));
    }

    void accountStatusFallsBackToTheStoredFlag_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<bool>("storedFlag");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("flagAfter");
        const auto openai = [](const QString &state, const QString &message) {
            QJsonObject entry{{"id", "openai"}, {"message", message}};
            if (!state.isNull())
                entry.insert("state", state);
            const QJsonArray providers{QJsonObject{{"id", "anthropic"}, {"state", "ready"}}, entry};
            return QString::fromUtf8(
                QJsonDocument(QJsonObject{{"success", true}, {"data", QJsonObject{{"providers", providers}}}})
                    .toJson());
        };
        QTest::newRow("signed in") << openai("Ready", " ChatGPT Plus (a@b.c) ") << false
                                   << "ChatGPT Plus (a@b.c)" << true;
        QTest::newRow("not configured") << openai("not_configured", "") << false << QString() << false;
        QTest::newRow("not configured, flag") << openai("NOT_CONFIGURED", "") << true << "Signed in" << true;
        QTest::newRow("message says missing")
            << openai("expired", "Credentials Missing") << true << "Signed in" << true;
        QTest::newRow("no openai entry")
            << "{\"data\": {\"providers\": [{\"id\": \"groq\", \"state\": \"ok\"}]}}" << true << QString()
            << true;
    }

    void accountStatusFallsBackToTheStoredFlag()
    {
        QFETCH(QString, output);
        QFETCH(bool, storedFlag);
        QFETCH(QString, status);
        QFETCH(bool, flagAfter);
        makeBridge();
        m_home->settings->setBool("chatGPTSubscriptionSignedIn", storedFlag);
        m_home->script({{"status", QJsonObject{{"stdout", output}}}});
        std::optional<std::optional<QString>> answer;
        account().chatGPTAccountStatus([&](const std::optional<QString> &text) { answer = text; });
        QTRY_VERIFY_WITH_TIMEOUT(answer.has_value(), 10000);
        QCOMPARE(answer->value_or(QString()), status);
        QCOMPARE(answer->has_value(), !status.isNull());
        QCOMPARE(m_home->settings->plainBool("chatGPTSubscriptionSignedIn"), flagAfter);
    }
};

TESSALY_TEST_GUILESS_MAIN(TestOpenAISignIn)
#include "test_openaisignin.moc"
