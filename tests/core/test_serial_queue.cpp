// The serial work queue: order, its one thread, draining, and no thread at all
// until something is submitted.
#include "core/SerialQueue.h"
#include "support/TestMain.h"

#include <QDir>
#include <QMutex>
#include <QtTest>

namespace {

int processThreads()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

} // namespace

class TestSerialQueue : public QObject
{
    Q_OBJECT
private slots:
    void anUnusedQueueCostsNoThread()
    {
        const int before = processThreads();
        {
            SerialQueue queue(QStringLiteral("unused"));
            QCOMPARE(processThreads(), before);
            QVERIFY(!queue.hasStarted());
            // Nothing was submitted, so there is nothing to wait for, and no thread is started for it.
            queue.drain();
            QVERIFY(!queue.hasStarted());
            QCOMPARE(processThreads(), before);
        }
        QCOMPARE(processThreads(), before);
    }

    void functionsRunInOrderOnOneThreadOfTheirOwn()
    {
        const int before = processThreads();
        QList<int> order;
        QSet<QThread *> threads;
        bool allOnQueue = true;
        QMutex lock;
        {
            SerialQueue queue(QStringLiteral("worker"));
            for (int i = 0; i < 50; ++i) {
                queue.async([&, i] {
                    QMutexLocker locker(&lock);
                    order.append(i);
                    threads.insert(QThread::currentThread());
                    allOnQueue = allOnQueue && queue.isCurrent();
                });
            }
            QVERIFY(queue.hasStarted());
            QCOMPARE(processThreads(), before + 1);
            queue.drain();
            QMutexLocker locker(&lock);
            QCOMPARE(order.size(), 50);
            QVERIFY(!queue.isCurrent());
        }
        QList<int> expected;
        for (int i = 0; i < 50; ++i)
            expected.append(i);
        QCOMPARE(order, expected);
        QCOMPARE(threads.size(), 1);
        QVERIFY(allOnQueue);
        QVERIFY(!threads.contains(QThread::currentThread()));
        // The destructor ended the thread.
        QTRY_COMPARE(processThreads(), before);
    }

    void aQueueStartedFromManyThreadsAtOnceHasOneThread()
    {
        SerialQueue queue(QStringLiteral("contended"));
        QSet<QThread *> seen;
        QMutex lock;
        QList<QThread *> submitters;
        for (int i = 0; i < 8; ++i) {
            submitters.append(QThread::create([&] {
                queue.async([&] {
                    QMutexLocker locker(&lock);
                    seen.insert(QThread::currentThread());
                });
            }));
        }
        for (QThread *t : submitters)
            t->start();
        for (QThread *t : submitters) {
            t->wait();
            delete t;
        }
        queue.drain();
        QMutexLocker locker(&lock);
        QCOMPARE(seen.size(), 1);
    }
};

TESSALY_TEST_GUILESS_MAIN(TestSerialQueue)
#include "test_serial_queue.moc"
