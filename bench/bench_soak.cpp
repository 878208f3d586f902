// A long day in one window: 10,000 incoming messages in bursts of 100, with
// deletions among them, through the simulator into the real controller and
// window. Memory, rows, threads and open files at 1,000 and at 10,000 messages
// should be alike, since the timeline keeps the newest 50. The simulator runs
// in the same process, so it keeps only 200 messages per chat itself.
#include "BenchDemo.h"
#include "app/AppDelegate.h"
#include "app/AppEnvironmentSetup.h"
#include "ui/BotFaceView.h"
#include "ui/TranscriptController.h"
#include "ui/TranscriptView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <cstdio>

namespace {

double statusField(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toDouble();
    }
    return 0;
}

int openFiles()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::System).size());
}

struct Sample
{
    double rssMiB = 0;
    int threads = 0;
    int files = 0;
    int rows = 0;
};

Sample sample(AppDelegate &delegate)
{
    return {statusField("VmRSS:") / 1024.0, int(statusField("Threads:")), openFiles(),
            int(delegate.botFace()->transcript()->view()->orderedRows().size())};
}

void configure(const QJsonObject &object)
{
    AppEnvironmentSetup::configureSimulator(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace

int main(int argc, char **argv)
{
    BenchDemo::preferOffscreen();
    const qint64 bot = 5000000101;
    QApplication app(argc, argv);
    auto setup = BenchDemo::setUp("bench_soak", QString::number(bot),
                                  R"({"scan_delay_ms":0,"bot_replies":false,"history_limit":200})");
    if (!setup)
        return 1;
    AppDelegate delegate(setup->environment());
    delegate.applicationDidFinishLaunching();

    QElapsedTimer clock;
    clock.start();
    while (delegate.telegramMessages().size() < 10 && clock.elapsed() < 20000)
        QTest::qWait(100);
    QTest::qWait(1000);

    const int bursts = 100;
    Sample at1k;
    QElapsedTimer soak;
    soak.start();
    for (int burst = 0; burst < bursts; ++burst) {
        QJsonArray commands;
        for (int i = 0; i < 100; ++i)
            commands.append(QJsonObject{
                {"command", "inject_message"},
                {"chat_id", bot},
                {"text",
                 QStringLiteral("soak %1 **bold** `code` https://example.org/%1").arg(burst * 100 + i)}});
        // The other side deletes a few of what is on screen.
        QJsonArray gone;
        const QList<BotMessage> &shown = delegate.telegramMessages();
        for (qsizetype i = 0; i < shown.size() && gone.size() < 3; i += 7)
            gone.append(shown[i].id.toLongLong());
        commands.append(QJsonObject{{"command", "delete_messages"}, {"chat_id", bot}, {"message_ids", gone}});
        configure(QJsonObject{{"commands", commands}});

        const QString last = QStringLiteral("soak %1").arg(burst * 100 + 99);
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 30000) {
            const QList<BotMessage> &now = delegate.telegramMessages();
            if (!now.isEmpty() && now.last().text.startsWith(last + u' '))
                break;
            QTest::qWait(10);
        }
        if (wait.elapsed() >= 30000) {
            std::fprintf(stderr, "bench_soak: burst %d did not arrive\n", burst);
            return 1;
        }
        if (burst == 9) {
            QTest::qWait(500);
            at1k = sample(delegate);
        }
    }
    const double seconds = soak.elapsed() / 1000.0;
    QTest::qWait(500);
    const Sample at10k = sample(delegate);

    std::printf("soak_rss_1k_mib: %.1f MiB\n", at1k.rssMiB);
    std::printf("soak_rss_10k_mib: %.1f MiB\n", at10k.rssMiB);
    std::printf("soak_messages_per_s: %.0f messages/s\n", bursts * 100 / seconds);
    std::printf("soak_rows_1k: %d rows\nsoak_rows_10k: %d rows\n", at1k.rows, at10k.rows);
    std::printf("soak_threads_1k: %d threads\nsoak_threads_10k: %d threads\n", at1k.threads, at10k.threads);
    std::printf("soak_open_files_1k: %d files\nsoak_open_files_10k: %d files\n", at1k.files, at10k.files);
    std::fflush(stdout);

    bool closed = false;
    QObject::connect(&delegate, &AppDelegate::terminationConfirmed, [&closed] { closed = true; });
    delegate.requestTermination();
    while (!closed)
        QTest::qWait(50);
    return 0;
}
