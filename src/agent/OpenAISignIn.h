#pragma once

#include "agent/PeekabooTool.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringDecoder>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <functional>

class OpenAICallbackListener;

// One ChatGPT sign-in attempt. The Peekaboo tool does the OAuth login; this
// drives it: it runs the tool's login command with three pipes, opens the
// authorization address the tool prints in the browser (once), catches the
// browser's redirect on 127.0.0.1:1455 and passes that address back on the
// tool's standard input (once; a pasted address serves when the redirect
// cannot arrive). When the tool ends, its last JSON object decides. The
// attempt ends exactly once, by the tool's end, the time limit, cancel() or
// a failure, and then calls its completion on the main thread; every later
// event is ignored. Main thread only. ChatGPTAccount keeps the one active
// attempt; use that rather than creating one.
class OpenAISignIn : public QObject
{
    Q_OBJECT
public:
    using Completion = std::function<void(bool success, const QString &message)>;
    using BrowserOpener = std::function<void(const QUrl &)>;

    // The authorization server whose address is opened in the browser.
    static const QString authorizationHost;
    // The port the tool's redirect address names.
    static constexpr quint16 callbackPort = 1455;

    struct Options
    {
        // Where the listener listens; 0 picks any free port.
        quint16 listenPort = callbackPort;
        std::chrono::milliseconds timeLimit = std::chrono::seconds(300);
        // How long a browser connection may stay silent before it is dropped.
        std::chrono::milliseconds connectionIdleLimit = std::chrono::seconds(10);
        // How long the stopped tool may take before it is killed.
        std::chrono::milliseconds killGrace = std::chrono::seconds(5);
        // Unset: the default browser.
        BrowserOpener openBrowser;
    };

    OpenAISignIn(Options options, Completion completion, QObject *parent = nullptr);
    ~OpenAISignIn() override;

    // Starts the tool's login command.
    void start(const PeekabooCommand &command);
    // The address the user pasted; ignored once a callback was passed.
    void submit(const QString &address);
    // Ends the attempt with "ChatGPT sign-in cancelled.".
    void cancel();

    bool isRunning() const;
    bool isFinished() const { return m_finished; }
    // The listener's port, 0 without a listener.
    quint16 listeningPort() const;

    // The user-facing text for the tool's error message.
    static QString advice(const QString &message);
    // The result of a finished tool: (success, message).
    static std::pair<bool, QString> outcome(const QString &output, const QString &errorOutput, int status);

private:
    void appendOutput(const QByteArray &bytes);
    void appendErrorOutput(const QByteArray &bytes);
    void openBrowserIfPrinted(bool outputPaused = false);
    void passCallback(const QString &path);
    void writeToTool(const QString &line);
    void processEnded(int status, bool launchFailed, const QString &launchError);
    void finish(bool success, const QString &message);

    Options m_options;
    Completion m_completion;
    QPointer<class ProcessRunner> m_process;
    OpenAICallbackListener *m_listener = nullptr;
    QTimer m_timeoutWork;
    // A short quiet spell after output that ends in an address.
    QTimer m_browserPause;
    QStringDecoder m_outputDecoder{QStringDecoder::Utf8};
    QStringDecoder m_errorDecoder{QStringDecoder::Utf8};
    QString m_output;
    QString m_errorOutput;
    bool m_didOpenBrowser = false;
    bool m_didSendCallback = false;
    bool m_finished = false;
};
