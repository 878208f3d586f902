#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

// Delivery of work to the main (GUI) thread by queued invocation.
namespace MainThread {

// Runs fn on the main thread's event loop, later, even when called from the main thread.
void post(std::function<void()> fn);

// As post, but drops the call when guard has been destroyed by then.
void post(QObject *guard, std::function<void()> fn);

bool isCurrent();

} // namespace MainThread
