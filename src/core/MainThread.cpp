#include "core/MainThread.h"

#include <QCoreApplication>
#include <QThread>

namespace MainThread {

void post(std::function<void()> fn)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

void post(QObject *guard, std::function<void()> fn)
{
    QPointer<QObject> weak(guard);
    post([weak, fn = std::move(fn)] {
        if (weak)
            fn();
    });
}

bool isCurrent()
{
    QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace MainThread
