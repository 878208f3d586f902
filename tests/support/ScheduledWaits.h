#pragma once

// Waits for scheduled Mac tasks that the test ends, instead of the wall clock:
// a test moves the orchestration's clock on and ends the waits.
#include <QObject>
#include <QPointer>
#include <chrono>
#include <functional>

struct ScheduledWaits
{
    struct Wait
    {
        std::chrono::milliseconds length;
        QPointer<QObject> context;
        std::function<void()> work;
    };
    QList<Wait> waits;

    auto hook()
    {
        return [this](std::chrono::milliseconds length, QObject *context, std::function<void()> work) {
            waits.append({length, context, std::move(work)});
        };
    }
    // Ends every wait begun so far; the work of those whose task is still
    // scheduled runs. Returns how many ran.
    int endAll()
    {
        int ran = 0;
        for (Wait &wait : std::exchange(waits, {})) {
            if (wait.context) {
                wait.work();
                ++ran;
            }
        }
        return ran;
    }
};
