#pragma once

#include "core/SerialQueue.h"

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class ProcessRunner;
class QWindow;

// Keeps the main window on whichever AeroSpace workspace is visible on its
// monitor. It listens to AeroSpace's workspace events through the `aerospace`
// tool and, after each change, looks up where the window is and moves it with
// the same tool. Without the tool, or with AeroSpace not running, it stays idle
// and retries with a growing delay (2, 4, 8, 16, 30, 30 … s).
//
// All state lives on its own serial queue; the public calls return at once,
// except stop(), which waits until the queue has carried it out.
class AeroSpaceWorkspaceFollower
{
public:
    struct Options
    {
        // The first of these that is an executable file is the tool.
        QStringList toolCandidates = {QStringLiteral("/opt/homebrew/bin/aerospace"),
                                      QStringLiteral("/usr/local/bin/aerospace"),
                                      QStringLiteral("/Applications/AeroSpace.app/Contents/MacOS/aerospace")};
        // AeroSpace counts as running when a process of this name is in the process list.
        QString serverProcessName = QStringLiteral("AeroSpace");
        // Every delay is multiplied by this (tests run the same sequence faster).
        double timeScale = 1.0;
        // Told, on the queue, of each restart wait in seconds as it is scheduled.
        std::function<void(double seconds)> restartScheduled;
    };

    // The instance the application uses, made on first use and kept for the whole run.
    static AeroSpaceWorkspaceFollower &shared();

    AeroSpaceWorkspaceFollower();
    explicit AeroSpaceWorkspaceFollower(Options options);
    ~AeroSpaceWorkspaceFollower();
    AeroSpaceWorkspaceFollower(const AeroSpaceWorkspaceFollower &) = delete;
    AeroSpaceWorkspaceFollower &operator=(const AeroSpaceWorkspaceFollower &) = delete;

    // The window to keep on the visible workspace. Called from another thread it
    // goes to the main thread first.
    void attach(QWindow *window);
    // A number below 1 (a window not on screen yet) leaves the window unknown.
    void attachWindowNumber(qint64 number);
    void start();
    // Done when it returns: the subscription is told to end and no reconcile follows.
    void stop();
    void reconcileNow();

private:
    struct WorkItem
    {
        bool cancelled = false;
    };
    struct CommandResult
    {
        int status = -1;
        QString output;
    };

    QString findTool() const;
    bool serverRunning() const;
    void launch();
    void subscriptionStarted(quint64 generation, QPointer<ProcessRunner> runner);
    void received(quint64 generation, const QByteArray &bytes);
    void exited(quint64 generation);
    void scheduleRestart();
    void scheduleReconcile(double seconds);
    void runAfter(double seconds, std::shared_ptr<WorkItem> item, std::function<void()> work);
    QPointer<ProcessRunner> stopSteps();
    void reconcile();
    CommandResult runCommand(const QStringList &arguments) const;

    const Options m_options;
    const qint64 m_processIdentifier;
    // Written on the main thread by attach, read on the queue.
    std::atomic<qint64> m_windowNumber{0};
    // Queue state.
    QPointer<ProcessRunner> m_process;
    bool m_processPending = false;
    quint64 m_generation = 0;
    QByteArray m_lineBuffer;
    std::shared_ptr<WorkItem> m_pendingReconcile;
    std::shared_ptr<WorkItem> m_pendingRestart;
    double m_restartDelay = 2.0;
    bool m_wantsFollowing = false;
    // Main-thread callbacks check this before reaching the follower.
    std::shared_ptr<int> m_life = std::make_shared<int>(0);
    // Last, so that it is gone (its thread ended) before the state it works on.
    SerialQueue m_queue{QStringLiteral("com.hollowmere.quayline.aerospace-follower")};
};
