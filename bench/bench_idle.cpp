// CPU use of the demo while nothing happens, with the window expanded and
// collapsed to its composer (the pointer resting over it, so the collapsed
// window keeps looking whether the pointer left). Percent of one core.
#include "BenchDemo.h"
#include "app/AppDelegate.h"
#include "app/AppEnvironmentSetup.h"
#include "app/WindowHoverShrink.h"
#include "ui/TelegramWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace {

double processCpuSeconds()
{
    timespec spent{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &spent);
    return double(spent.tv_sec) + double(spent.tv_nsec) / 1e9;
}

// The event loop alone, as the application runs it (QTest::qWait would poll).
void idle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double idlePercent(int ms)
{
    const double before = processCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    idle(ms);
    return (processCpuSeconds() - before) / (double(clock.nsecsElapsed()) / 1e9) * 100.0;
}

} // namespace

int main(int argc, char **argv)
{
    BenchDemo::preferOffscreen();
    QApplication app(argc, argv);
    auto setup = BenchDemo::setUp("bench_idle", QStringLiteral("5000000102"),
                                  R"({"scan_delay_ms":0,"reply_delay_ms":50})");
    if (!setup)
        return 1;
    QPoint pointer(-1000, -1000);
    AppEnvironment environment = setup->environment();
    environment.pointerPosition = [&pointer] { return pointer; };
    AppDelegate delegate(environment);
    delegate.applicationDidFinishLaunching();

    QElapsedTimer clock;
    clock.start();
    while (delegate.telegramMessages().size() < 10 && clock.elapsed() < 15000)
        QTest::qWait(100);
    idle(3000);
    std::printf("idle_cpu_expanded_percent: %.2f %%\n", idlePercent(10000));

    TelegramWindow *window = delegate.window();
    pointer = window->geometry().center();
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(pointer));
    QCoreApplication::sendEvent(window, &enter);
    if (!delegate.hoverShrink()->isHoverCollapsed()) {
        std::fprintf(stderr, "bench_idle: the window did not collapse\n");
        return 1;
    }
    idle(1000);
    std::printf("idle_cpu_collapsed_percent: %.2f %%\n", idlePercent(10000));
    std::fflush(stdout);

    bool closed = false;
    QObject::connect(&delegate, &AppDelegate::terminationConfirmed, [&closed] { closed = true; });
    delegate.requestTermination();
    while (!closed)
        QTest::qWait(50);
    return 0;
}
