// The real client against the Telegram simulator: a long text and a refused
// message, the way the application sends them.
#include "platform/SecretStore.h"
#include "support/TestMain.h"
#include "tdjson_sim_harness.h"
#include "telegram/TelegramClient.h"

#include <QMutex>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Session
{
    QTemporaryDir dir;
    InMemorySecretStore secrets;
    std::unique_ptr<TelegramClient> client;
    bool authorized = false;
    QList<BotConversation> bots;
    QList<BotMessage> messages;

    QMutex completionsLock; // completions run on the receive thread
    QList<std::optional<QString>> completions;

    Session()
    {
        TelegramClient::Options options;
        options.baseDirectory = dir.filePath("QuaylineView");
        options.libraryCandidates = {
            QDir(qEnvironmentVariable("TESSALY_BIN_DIR")).filePath("libtdjson-sim.so")};
        options.secrets = &secrets;
        options.credentials.apiID = 12345;
        options.credentials.apiHash = QStringLiteral("0123456789abcdef");
        client = TelegramClient::create(options, nullptr);
        client->onAuthorization = [this](bool a) { authorized = a; };
        client->onBotsChanged = [this](const QList<BotConversation> &b) { bots = b; };
        client->onMessagesChanged = [this](const QString &, const QList<BotMessage> &m) { messages = m; };
    }

    ~Session()
    {
        client->closeForTermination();
        QTRY_VERIFY_WITH_TIMEOUT(!client->isReceiving(), 5000);
    }

    TelegramClient::Completion recorder()
    {
        return [this](const std::optional<QString> &error) {
            QMutexLocker lock(&completionsLock);
            completions.append(error);
        };
    }
    QList<std::optional<QString>> recorded()
    {
        QMutexLocker lock(&completionsLock);
        return completions;
    }

    QList<BotMessage> outgoing() const
    {
        QList<BotMessage> out;
        for (const BotMessage &m : messages) {
            if (m.isOutgoing)
                out.append(m);
        }
        return out;
    }
};

const QString kShowcase = QString::number(SimTest::kShowcaseBot);

} // namespace

class TestClientSimulator : public QObject
{
    Q_OBJECT

    TdjsonSimHarness sim;

    void signIn(Session &s)
    {
        s.client->start();
        QTRY_VERIFY_WITH_TIMEOUT(s.authorized, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!s.bots.isEmpty(), 10000);
        s.client->selectBotChat(kShowcase);
        QTRY_VERIFY_WITH_TIMEOUT(!s.messages.isEmpty(), 10000);
    }

private slots:
    void initTestCase() { QVERIFY2(sim.load(), qPrintable(sim.errorString())); }

    void init()
    {
        sim.reset({{"scan_delay_ms", 0},
                   {"password", QJsonValue::Null},
                   {"send_delay_ms", 20},
                   {"reply_delay_ms", 30},
                   {"close_delay_ms", 10}});
    }

    void aLongTextArrivesAsMessagesInOrderAndTheAnswersFollow()
    {
        Session s;
        signIn(s);
        const QString first = QString(4090, u'a');
        const QString second = QStringLiteral("the end of a long message");
        s.client->sendMessage(first + u'\n' + second, kShowcase, std::nullopt, s.recorder());
        QTRY_COMPARE_WITH_TIMEOUT(s.recorded().size(), 1, 10000);
        QVERIFY(!s.recorded()[0].has_value());

        // Both parts are confirmed and the bot has echoed each.
        const auto indexOf = [&s](bool outgoing, const QString &text) {
            for (qsizetype i = 0; i < s.messages.size(); ++i) {
                const BotMessage &m = s.messages[i];
                if (m.isOutgoing == outgoing && (outgoing ? m.text == text : m.text == "Echo: " + text))
                    return i;
            }
            return qsizetype(-1);
        };
        QTRY_VERIFY_WITH_TIMEOUT(indexOf(false, first) >= 0 && indexOf(false, second) >= 0, 10000);
        // All of it happened within about a second: each question stays above its answer.
        QVERIFY(indexOf(true, first) >= 0);
        QVERIFY(indexOf(true, first) < indexOf(true, second));
        QVERIFY(indexOf(true, first) < indexOf(false, first));
        QVERIFY(indexOf(true, second) < indexOf(false, second));
    }

    void aMessageTelegramRefusesShowsAsFailedWithTheReason()
    {
        sim.configure({{"send_failure", QJsonObject{{"code", 403}, {"message", "CHAT_WRITE_FORBIDDEN"}}}});
        Session s;
        signIn(s);
        s.client->sendMessage(QStringLiteral("hello"), kShowcase, std::nullopt, s.recorder());
        // TDLib takes the message first and refuses it afterwards.
        QTRY_COMPARE_WITH_TIMEOUT(s.recorded().size(), 1, 10000);
        QVERIFY(!s.recorded()[0].has_value());
        QTRY_VERIFY_WITH_TIMEOUT(!s.outgoing().isEmpty() && s.outgoing().last().text == "hello" &&
                                     s.outgoing().last().sendFailed,
                                 10000);
        QCOMPARE(s.outgoing().last().sendFailureReason, QStringLiteral("CHAT_WRITE_FORBIDDEN"));
    }
};

TESSALY_TEST_GUILESS_MAIN(TestClientSimulator)
#include "test_client_simulator.moc"
