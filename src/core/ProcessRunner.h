#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>

// The one way this application starts outside programs. Every child gets an
// argument list (never a shell), the fixed search path below instead of the
// inherited one, no descriptor of ours beyond its standard streams, optional extra variables, a time limit after which it is
// terminated (and killed if it ignores that), and its output captured to two
// temporary files that are deleted whatever happens. The result arrives
// exactly once, on the main thread.
//
// Each child leads a process group of its own, and stopping it (cancel or
// time limit) signals that whole group: a launcher such as npx runs the real
// tool as its own child, which must end with it.
//
//   auto runner = ProcessRunner::run(request, [](const ProcessRunner::Result &r) { ... });
//   ...
//   if (runner) runner->cancel();
//
// A runner lives on the main thread and deletes itself after its completion;
// keep it in a QPointer.
class ProcessRunner : public QObject
{
    Q_OBJECT
public:
    static const QString fixedSearchPath;

    enum class Capture {
        TempFiles, // output and error into two temporary files, read whole after exit
        Pipes,     // kept in memory, read whole after exit
        Discard,   // thrown away
        Stream,    // output handed to onOutput as it arrives; errors to onErrorOutput, or thrown away
    };

    struct Request
    {
        // An absolute path; a bare name is looked up in the fixed search path.
        QString program;
        QStringList arguments;
        // Added to the inherited environment; an empty value removes the variable.
        QList<QPair<QString, QString>> environment;
        // Empty: inherited.
        QString workingDirectory;
        // Zero: no limit.
        std::chrono::milliseconds timeLimit{0};
        // How long a terminated child, and what it started, may take before
        // they are killed.
        std::chrono::milliseconds killGrace{std::chrono::seconds(5)};
        Capture capture = Capture::TempFiles;
        // TempFiles: at most this many bytes of each file are read, from its
        // start; zero reads them whole. A runaway child cannot fill memory.
        qint64 captureLimit = 0;
        // Temporary files are named <prefix>-<uuid>.out and <prefix>-<uuid>.err.
        QString tempFilePrefix = QStringLiteral("process");
        // Called on the main thread when the limit passes, just before the
        // child is terminated.
        std::function<void()> onTimeLimit;
        // Stream only, on the main thread: the output read so far, in pieces as
        // the child writes it (a piece may end in the middle of a line).
        std::function<void(const QByteArray &)> onOutput;
        // Stream only, on the main thread: the error output in pieces. Unset:
        // error output is thrown away.
        std::function<void(const QByteArray &)> onErrorOutput;
        // Stream only: standard input is a pipe fed through writeInput();
        // otherwise the child reads from the null device.
        bool writableInput = false;
        // On the main thread once the child runs (a long-lived child has no result yet).
        std::function<void()> onStarted;
    };

    enum class Failure {
        None,
        TempFiles, // the capture files could not be created; nothing ran
        Launch,    // the program could not be started
    };

    struct Result
    {
        // The exit status, or the number of the signal that ended the child.
        int status = -1;
        bool signalled = false;
        QByteArray standardOutput;
        QByteArray standardError;
        bool timedOut = false;
        bool cancelled = false;
        // The output or error output was longer than the capture limit.
        bool outputCut = false;
        Failure failure = Failure::None;
        // For a failure: why, in the system's words.
        QString errorText;
        double elapsedSeconds = 0;

        bool started() const { return failure == Failure::None; }
        bool succeeded() const { return started() && !signalled && status == 0 && !timedOut && !cancelled; }
    };

    using Completion = std::function<void(const Result &)>;

    explicit ProcessRunner(Request request);
    ~ProcessRunner() override;

    // Prepares and starts a runner in one step.
    static QPointer<ProcessRunner> run(Request request, Completion completion);

    // Creates the capture files (when capturing to files). False when they
    // cannot be created; nothing is left behind then. Optional: start() calls
    // it when it has not run yet.
    bool prepare();
    // Launches the child; the completion follows exactly once on the main
    // thread, for failures too. The runner deletes itself afterwards (once
    // the group of a stopped child has ended, or been killed).
    void start(Completion completion);
    // Terminates a running child and its process group politely, then kills
    // them after the grace period. The result then reports cancelled.
    void cancel();
    bool isRunning() const;
    // The child's process id while it runs; 0 before and after.
    qint64 processId() const { return isRunning() ? m_process->processId() : 0; }
    // Hands data to the child's standard input (writableInput) and waits,
    // briefly, until the pipe has taken it. False when the child is not
    // running or does not take it.
    bool writeInput(const QByteArray &data);

    // Where the child's error output goes while it runs (TempFiles only), so
    // that a watcher can follow its progress.
    QString standardErrorPath() const { return m_errPath; }
    QString standardOutputPath() const { return m_outPath; }

    // Runs a child in the calling thread and waits for it (same rules, same
    // capture). For the few steps that must block.
    static Result runBlocking(const Request &request);

    // The environment a child gets for this request.
    static QProcessEnvironment environmentFor(const Request &request);
    // The program as it will be started: bare names resolved in the fixed path.
    static QString resolvedProgram(const QString &program);

private:
    void launch();
    void onFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void onErrorOccurred(QProcess::ProcessError error);
    void onTimeLimit();
    void terminateChild();
    void onKillTime();
    void signalChildGroup(int signal);
    void watchLeftoverGroup();
    void finish(Result result);
    void collectOutput(Result &result);
    void removeFiles();

    Request m_request;
    Completion m_completion;
    QProcess *m_process = nullptr;
    QTimer m_limitTimer;
    QTimer m_killTimer;
    // Polls for members of a stopped child's group that outlived the child.
    QTimer m_groupTimer;
    // The child's process id, which is also its group's id; 0 before launch.
    qint64 m_groupId = 0;
    QElapsedTimer m_clock;
    QString m_outPath;
    QString m_errPath;
    bool m_prepared = false;
    bool m_finished = false;
    bool m_timedOut = false;
    bool m_cancelled = false;
};
