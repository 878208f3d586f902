// Resident memory as a user meets it: the executable on an X server of the
// benchmark's own, on the sign-in face of real mode and in the demo's
// conversation, against a bare Qt window (medians of 5). Then, in this
// process and offscreen, the demo with a full conversation on screen, without
// and with a Mermaid diagram, and what the diagram helper still holds 40 s
// after the last diagram (its idle exit is the real 30 s).
#include "BenchDemo.h"
#include "XvfbRun.h"
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

struct XMemory
{
    QList<double> bare, signIn, demo, demoChildren, demoThreads;
};

// Memory once the window has painted and what it started has settled. Real
// mode stays on its sign-in face; the demo's simulated scan signs in after
// 2.5 s and its conversation is on screen well before 7 s.
void measureOnXServer(const QString &display, XMemory &memory)
{
    const QString tessaly = XvfbBench::sibling(QStringLiteral("tessaly"));
    {
        WindowedRun run(XvfbBench::sibling(QStringLiteral("bare_qt_window")), {}, display);
        if (run.waitForFirstPaint() >= 0) {
            XvfbBench::settle(2000);
            memory.bare.append(run.residentWithChildrenMiB());
        }
    }
    {
        WindowedRun run(tessaly, {QStringLiteral("--report-first-paint")}, display);
        if (run.waitForFirstPaint() >= 0) {
            XvfbBench::settle(2000);
            memory.signIn.append(run.residentWithChildrenMiB());
        }
    }
    {
        WindowedRun run(tessaly, {QStringLiteral("--demo"), QStringLiteral("--report-first-paint")}, display);
        if (run.waitForFirstPaint() >= 0) {
            XvfbBench::settle(7000);
            const double own = run.residentMiB();
            memory.demo.append(own);
            memory.demoChildren.append(run.residentWithChildrenMiB() - own);
            memory.demoThreads.append(run.threads());
        }
    }
}

void benchOnXServer()
{
    XvfbServer server;
    if (server.display().isEmpty())
        return;
    XMemory memory;
    for (int i = 0; i < 5; ++i)
        measureOnXServer(server.display(), memory);
    if (memory.bare.size() < 5 || memory.signIn.size() < 5 || memory.demo.size() < 5) {
        std::fprintf(stderr, "bench_memory: a window on the X server was never painted\n");
        return;
    }
    std::printf("rss_xvfb_real_signin_mib: %.1f MiB\n", XvfbBench::median(memory.signIn));
    std::printf("rss_xvfb_bare_qt_mib: %.1f MiB\n", XvfbBench::median(memory.bare));
    std::printf("rss_xvfb_demo_mib: %.1f MiB\n", XvfbBench::median(memory.demo));
    std::printf("rss_xvfb_demo_helper_processes_mib: %.1f MiB\n", XvfbBench::median(memory.demoChildren));
    std::printf("threads_xvfb_demo: %.0f threads\n", XvfbBench::median(memory.demoThreads));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    BenchDemo::preferOffscreen();
    QApplication app(argc, argv);
    benchOnXServer();
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
