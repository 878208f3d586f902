// History requests caused by a burst of incoming messages in the selected
// chat, against the simulator: every arrival wants a refresh, but only one may
// be in flight with one waiting behind it.
#include "platform/SecretStore.h"
#include "telegram/TelegramClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLibrary>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <cstdio>

namespace {

TdJsonLibrary::Send simSend = nullptr;
std::atomic<int> historyRequests{0};
std::atomic<int> readMarks{0};

void countingSend(int client, const char *request)
{
    const QByteArray text(request);
    if (text.contains("\"@type\":\"getChatHistory\""))
        ++historyRequests;
    else if (text.contains("\"@type\":\"viewMessages\""))
        ++readMarks;
    simSend(client, request);
}

template <typename Done> bool waitFor(Done done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}

void settle(int ms)
{
    waitFor([] { return false; }, ms);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLibrary sim(QStringLiteral(TESSALY_SIM_PATH));
    if (!sim.load()) {
        std::fprintf(stderr, "bench_history: %s\n", qPrintable(sim.errorString()));
        return 1;
    }
    simSend = reinterpret_cast<TdJsonLibrary::Send>(sim.resolve("td_send"));
    const auto configure = reinterpret_cast<void (*)(const char *)>(sim.resolve("tdsim_configure"));
    const auto library = TdJsonLibrary::fromFunctions(
        reinterpret_cast<TdJsonLibrary::CreateClientId>(sim.resolve("td_create_client_id")), countingSend,
        reinterpret_cast<TdJsonLibrary::Receive>(sim.resolve("td_receive")),
        reinterpret_cast<TdJsonLibrary::Execute>(sim.resolve("td_execute")));
    configure(R"({"scan_delay_ms":0,"bot_replies":false})");

    QTemporaryDir dir;
    InMemorySecretStore secrets;
    TelegramClient::Options options;
    options.baseDirectory = dir.path();
    options.library = library;
    options.secrets = &secrets;
    options.credentials.apiID = 12345;
    options.credentials.apiHash = QStringLiteral("0123456789abcdef");
    QString error;
    auto client = TelegramClient::create(options, &error);
    if (!client) {
        std::fprintf(stderr, "bench_history: %s\n", qPrintable(error));
        return 1;
    }
    QList<BotConversation> bots;
    QList<BotMessage> shown;
    client->onBotsChanged = [&](const QList<BotConversation> &list) { bots = list; };
    client->onMessagesChanged = [&](const QString &, const QList<BotMessage> &list) { shown = list; };
    client->start();
    if (!waitFor([&] { return !bots.isEmpty(); }, 20000)) {
        std::fprintf(stderr, "bench_history: no bot conversations\n");
        return 1;
    }
    const QString chat = bots.first().id;
    client->selectBotChat(chat);
    settle(1500);

    historyRequests = 0;
    readMarks = 0;
    QJsonArray commands;
    for (int i = 0; i < 100; ++i)
        commands.append(QJsonObject{{"command", "inject_message"},
                                    {"chat_id", chat.toLongLong()},
                                    {"text", QStringLiteral("burst %1").arg(i)}});
    configure(QJsonDocument(QJsonObject{{"commands", commands}}).toJson(QJsonDocument::Compact).constData());
    const bool arrived = waitFor(
        [&] { return !shown.isEmpty() && shown.last().segments.value(0).text == u"burst 99"; }, 20000);
    settle(1000);
    if (!arrived) {
        std::fprintf(stderr, "bench_history: the burst did not arrive\n");
        return 1;
    }
    std::printf("history_requests_per_100_burst: %d requests\n", historyRequests.load());
    std::printf("read_marks_per_100_burst: %d requests\n", readMarks.load());
    std::fflush(stdout);
    client.reset();
    return 0;
}
