// Resident memory of the demo with a full conversation on screen, without and
// with a Mermaid diagram, and what the diagram helper still holds 40 s after
// the last diagram (its idle exit is the real 30 s).
#include "BenchDemo.h"
#include "app/AppDelegate.h"
#include "app/AppEnvironmentSetup.h"
#include "ui/MermaidDiagramView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMultiHash>
#include <QTest>
#include <cstdio>

namespace {

double residentMiB(const QString &pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// Every process below this one (the diagram helper and the web engine's own
// processes under it): their memory counts too.
double helperProcessesMiB()
{
    QMultiHash<QString, QString> children;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        children.insert(QString::fromLatin1(fields.value(1)), pid);
    }
    double total = 0;
    QStringList pending = children.values(QString::number(QCoreApplication::applicationPid()));
    while (!pending.isEmpty()) {
        const QString pid = pending.takeLast();
        total += residentMiB(pid);
        pending += children.values(pid);
    }
    return total;
}

bool diagramShown()
{
    for (QWidget *widget : QApplication::allWidgets()) {
        if (auto *view = qobject_cast<MermaidDiagramView *>(widget);
            view && view->state() == MermaidDiagramView::State::Picture)
            return true;
    }
    return false;
}

void settle(int ms)
{
    QTest::qWait(ms);
}

} // namespace

int main(int argc, char **argv)
{
    BenchDemo::preferOffscreen();
    QApplication app(argc, argv);
    auto setup = BenchDemo::setUp("bench_memory", QStringLiteral("5000000102"),
                                  R"({"scan_delay_ms":0,"reply_delay_ms":50})");
    if (!setup)
        return 1;
    AppDelegate delegate(setup->environment());
    delegate.applicationDidFinishLaunching();

    QElapsedTimer clock;
    clock.start();
    while (delegate.telegramMessages().size() < 10 && clock.elapsed() < 15000)
        settle(100);
    settle(2500);
    const QString self = QString::number(QCoreApplication::applicationPid());
    std::printf("rss_conversation_mib: %.1f MiB\n", residentMiB(self));

    AppEnvironmentSetup::configureSimulator(
        R"({"command":"inject_message","chat_id":5000000102,"text":"```mermaid\ngraph TD\n  A[Start] --> B{Works?}\n  B -->|yes| C[Ship]\n  B -->|no| D[Fix]\n```"})");
    clock.restart();
    while (!diagramShown() && clock.elapsed() < 30000)
        settle(100);
    if (!diagramShown())
        std::fprintf(stderr, "bench_memory: the diagram was not drawn\n");
    settle(2500);
    std::printf("rss_conversation_mermaid_mib: %.1f MiB\n", residentMiB(self));
    std::printf("rss_mermaid_helper_processes_while_drawing_mib: %.1f MiB\n", helperProcessesMiB());
    std::fflush(stdout);
    settle(40000);
    std::printf("rss_mermaid_helper_processes_mib: %.1f MiB\n", helperProcessesMiB());
    std::fflush(stdout);

    bool closed = false;
    QObject::connect(&delegate, &AppDelegate::terminationConfirmed, [&closed] { closed = true; });
    delegate.requestTermination();
    while (!closed)
        settle(50);
    return 0;
}
