#pragma once

#include "chat/MermaidDiagramCache.h"
#include "chat/MermaidPicture.h"
#include "core/ProcessRunner.h"
#include "settings/ChatStyle.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>

// Draws Mermaid diagrams through the tessaly-mermaid helper, so that Qt
// WebEngine never runs in the application. Requests are queued and sent one
// at a time; the helper is started on the first request that the caches
// cannot answer, started again after it stopped, and killed when it leaves a
// request unanswered for too long. Nothing here blocks the caller: results
// arrive on the main thread.
class MermaidRenderer : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        // Empty: tessaly-mermaid beside the executable.
        QString helperPath;
        // Empty: drawn diagrams are kept in memory only.
        QString cacheFolder;
        qint64 cacheLimitBytes = 32 * 1024 * 1024;
        // How long the helper may take over one diagram, its own start included.
        std::chrono::milliseconds answerTimeout{10000};
        // How long the helper stays after its last diagram.
        std::chrono::milliseconds helperIdleExit{30000};
    };

    struct Request
    {
        QString source;
        bool light = true;
        qreal devicePixelRatio = 1;
    };

    struct Result
    {
        std::optional<MermaidPicture> picture;
        // Why there is no picture, in a short sentence.
        QString error;
    };
    using Completion = std::function<void(const Result &)>;

    // The largest box a diagram is shown in, in points: the row's diagram
    // height, and a width beyond any window's.
    static constexpr qreal maxWidth = 1600;
    static constexpr qreal maxHeight = ChatStyle::Metrics::mermaidHeight;

    explicit MermaidRenderer(Options options, QObject *parent = nullptr);
    ~MermaidRenderer() override;

    static QString defaultHelperPath();
    // Identifies a drawing: the source, the appearance, the scale and the script that draws it.
    static QString cacheKey(const Request &request);

    // A picture drawn before (in memory or on disk), at once.
    std::optional<MermaidPicture> cachedPicture(const Request &request);
    // Draws the diagram; the completion runs once on the main thread, unless
    // context is gone by then. The same diagram asked for twice is drawn once.
    void render(const Request &request, QObject *context, Completion completion);

    bool isHelperRunning() const { return m_helper != nullptr; }
    // How many times the helper has been started (tests, benchmarks).
    int helperLaunches() const { return m_launches; }
    qint64 helperProcessId() const { return m_helperPid; }

signals:
    void helperStarted(qint64 processId);
    void helperStopped();

private:
    struct Waiter
    {
        QPointer<QObject> context;
        Completion completion;
    };
    struct Job
    {
        Request request;
        quint64 id = 0;
        QList<Waiter> waiters;
        // Sent again once, when the helper quit idle just as it was sent.
        bool resent = false;
    };

    void pump();
    bool launchHelper();
    void helperOutput(const QByteArray &data);
    void helperFinished(quint64 generation, const QString &launchError, bool cleanExit);
    void answerTimedOut();
    void finishJob(const QString &key, const Result &result);
    void failAll(const QString &error);
    void remember(const QString &key, const MermaidPicture &picture);

    Options m_options;
    MermaidDiagramCache m_disk;
    QHash<QString, MermaidPicture> m_memory;
    QList<QString> m_memoryOrder;
    qint64 m_memoryUsed = 0;
    // Failures of this run, so a broken diagram is not drawn again at every rebuild.
    QHash<QString, QString> m_failures;

    QHash<QString, Job> m_jobs;
    QList<QString> m_queue;
    QString m_inFlight;
    quint64 m_nextId = 1;

    QPointer<ProcessRunner> m_helper;
    bool m_helperReady = false;
    quint64 m_generation = 0;
    qint64 m_helperPid = 0;
    int m_launches = 0;
    QByteArray m_output;
    QTimer m_answerTimer;
};
