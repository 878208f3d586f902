#include "agent/OpenAISignIn.h"

#include "agent/OpenAICallbackListener.h"
#include "core/Guarded.h"
#include "core/MainThread.h"
#include "core/ProcessRunner.h"

#include <QDesktopServices>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

const QString OpenAISignIn::authorizationHost = QStringLiteral("auth.openai.com");

namespace {

// The tool says little while signing in; a flood is cut to its end.
constexpr qsizetype outputKeep = 1024 * 1024;
// The result object is near the end; an older one never decides.
constexpr qsizetype resultSearchWindow = 64 * 1024;

void appendKept(QString &buffer, const QString &text)
{
    buffer += text;
    if (buffer.size() > outputKeep)
        buffer.remove(0, buffer.size() - outputKeep);
}

std::optional<QJsonObject> lastJsonObject(const QString &output)
{
    const QByteArray bytes = output.right(resultSearchWindow).trimmed().toUtf8();
    if (!bytes.endsWith('}'))
        return std::nullopt;
    for (qsizetype i = bytes.size() - 1; i >= 0; --i) {
        if (bytes.at(i) != '{')
            continue;
        const QJsonDocument document =
            QJsonDocument::fromJson(QByteArray::fromRawData(bytes.constData() + i, bytes.size() - i));
        if (document.isObject())
            return document.object();
    }
    return std::nullopt;
}

} // namespace

OpenAISignIn::OpenAISignIn(Options options, Completion completion, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_completion(std::move(completion))
{
    m_timeoutWork.setSingleShot(true);
    m_browserPause.setSingleShot(true);
    m_browserPause.setInterval(std::chrono::milliseconds(250));
    connect(&m_browserPause, &QTimer::timeout, this, [this] {
        if (!m_finished)
            openBrowserIfPrinted(true);
    });
    connect(&m_timeoutWork, &QTimer::timeout, this,
            [this] { finish(false, QStringLiteral("ChatGPT sign-in timed out. Try again.")); });
}

OpenAISignIn::~OpenAISignIn()
{
    if (m_process)
        m_process->cancel();
}

bool OpenAISignIn::isRunning() const
{
    return m_process && m_process->isRunning();
}

quint16 OpenAISignIn::listeningPort() const
{
    return m_listener ? m_listener->port() : 0;
}

void OpenAISignIn::start(const PeekabooCommand &command)
{
    if (m_process || m_finished)
        return;
    m_listener = new OpenAICallbackListener(m_options.connectionIdleLimit, this);
    m_listener->onCallback = [this](const QString &path) { passCallback(path); };
    if (!m_listener->listen(m_options.listenPort)) {
        // The paste fallback still works without it.
        delete m_listener;
        m_listener = nullptr;
    }

    ProcessRunner::Request request;
    request.program = command.path;
    request.arguments = command.prefixArguments + PeekabooTool::signInArguments();
    request.environment = {{QStringLiteral("NO_COLOR"), QStringLiteral("1")}};
    request.capture = ProcessRunner::Capture::Stream;
    request.writableInput = true;
    request.killGrace = m_options.killGrace;
    // The runner may outlive this attempt while it stops the tool.
    request.onOutput = guarded(this, &OpenAISignIn::appendOutput);
    request.onErrorOutput = guarded(this, &OpenAISignIn::appendErrorOutput);
    m_process = ProcessRunner::run(
        std::move(request), guarded(this, [this](const ProcessRunner::Result &result) {
            processEnded(result.status, result.failure != ProcessRunner::Failure::None, result.errorText);
        }));
    m_timeoutWork.start(m_options.timeLimit);
}

void OpenAISignIn::appendOutput(const QByteArray &bytes)
{
    if (m_finished)
        return;
    appendKept(m_output, m_outputDecoder.decode(bytes));
    openBrowserIfPrinted();
}

void OpenAISignIn::appendErrorOutput(const QByteArray &bytes)
{
    if (m_finished)
        return;
    appendKept(m_errorOutput, m_errorDecoder.decode(bytes));
}

void OpenAISignIn::openBrowserIfPrinted(bool outputPaused)
{
    if (m_didOpenBrowser)
        return;
    static const QRegularExpression address(QStringLiteral("https://") +
                                            QRegularExpression::escape(authorizationHost) +
                                            QStringLiteral("/oauth/authorize\\?\\S+"));
    const QRegularExpressionMatch match = address.match(m_output);
    if (!match.hasMatch())
        return;
    // An address at the very end may still be being printed; it counts once
    // white space follows, or once the tool has paused.
    if (match.capturedEnd() == m_output.size() && !outputPaused) {
        m_browserPause.start();
        return;
    }
    m_browserPause.stop();
    m_didOpenBrowser = true;
    const QUrl url(match.captured(0), QUrl::StrictMode);
    if (!url.isValid())
        return;
    if (m_options.openBrowser)
        m_options.openBrowser(url);
    else
        QDesktopServices::openUrl(url);
}

void OpenAISignIn::passCallback(const QString &path)
{
    if (m_finished || m_didSendCallback)
        return;
    m_didSendCallback = true;
    writeToTool(QStringLiteral("http://localhost:%1").arg(callbackPort) + path);
}

void OpenAISignIn::submit(const QString &address)
{
    if (m_finished || m_didSendCallback)
        return;
    // One line of input: anything after a line break is not part of the address.
    const QString text =
        address.trimmed().section(QRegularExpression(QStringLiteral("[\\r\\n]")), 0, 0).trimmed();
    if (text.isEmpty())
        return;
    m_didSendCallback = true;
    writeToTool(text);
}

void OpenAISignIn::writeToTool(const QString &line)
{
    if (!m_process || !m_process->writeInput(line.toUtf8() + '\n'))
        finish(false, QStringLiteral("Could not pass the sign-in response back to Peekaboo."));
}

void OpenAISignIn::cancel()
{
    finish(false, QStringLiteral("ChatGPT sign-in cancelled."));
}

QString OpenAISignIn::advice(const QString &message)
{
    const QString lower = message.toLower();
    if (lower.contains(QLatin1String("state mismatch")) || lower.contains(QLatin1String("invalid oauth")))
        return QStringLiteral("That sign-in link did not match the request. Start the sign-in again.");
    if (lower.contains(QLatin1String("no code")))
        return QStringLiteral("No sign-in code was received. Start the sign-in again.");
    return message;
}

std::pair<bool, QString> OpenAISignIn::outcome(const QString &output, const QString &errorOutput, int status)
{
    if (const auto object = lastJsonObject(output)) {
        if (object->value(QStringLiteral("success")).toBool(false))
            return {true, QStringLiteral("Signed in to ChatGPT.")};
        const QJsonValue message =
            object->value(QStringLiteral("error")).toObject().value(QStringLiteral("message"));
        if (message.isString())
            return {false, advice(message.toString())};
        return {false, advice(QStringLiteral("ChatGPT sign-in failed."))};
    }
    const QString error = errorOutput.trimmed();
    if (!error.isEmpty())
        return {false, error};
    return {false, QStringLiteral("ChatGPT sign-in failed (exit %1).").arg(status)};
}

void OpenAISignIn::processEnded(int status, bool launchFailed, const QString &launchError)
{
    if (m_finished)
        return;
    if (launchFailed) {
        finish(false, QStringLiteral("Could not start the ChatGPT sign-in: ") + launchError);
        return;
    }
    // The runner has handed over what was left in both pipes by now.
    const auto [success, message] = outcome(m_output, m_errorOutput, status);
    finish(success, message);
}

void OpenAISignIn::finish(bool success, const QString &message)
{
    if (m_finished)
        return;
    m_finished = true;
    m_timeoutWork.stop();
    m_browserPause.stop();
    if (m_listener) {
        m_listener->onCallback = nullptr;
        m_listener->close();
        m_listener->deleteLater();
        m_listener = nullptr;
    }
    // The runner stops the tool (and what it started) and then goes by itself.
    if (m_process && m_process->isRunning())
        m_process->cancel();
    m_process = nullptr;
    if (Completion completion = std::move(m_completion))
        MainThread::post(
            [completion = std::move(completion), success, message] { completion(success, message); });
}

#include "moc_OpenAISignIn.cpp"
