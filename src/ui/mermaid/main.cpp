// tessaly-mermaid: draws Mermaid diagrams for the application, which never
// loads Qt WebEngine itself. Requests arrive as JSON lines on standard input,
// pictures leave as JSON lines on standard output. It exits when its input
// closes or after a while without requests.
#include "MermaidPage.h"
#include "chat/MermaidProtocol.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

// A request is a diagram of a chat message; anything far longer is not one.
constexpr qsizetype maxPendingInput = 16 * 1024 * 1024;

// Chromium refuses to start as root with its sandbox, and without a display
// it has no GPU.
void prepareEnvironment()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--disable-gpu"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + " --disable-gpu").trimmed());
    // Qt WebEngine wants contexts that share their resources, asked for before
    // the application object exists. Only this process pays for it.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

bool writeAll(const QByteArray &data)
{
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, data.constData() + written, size_t(data.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

int idleExitMs(const QStringList &arguments)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--idle-exit-ms"));
    bool ok = false;
    const int value = at >= 0 ? arguments.value(at + 1).toInt(&ok) : 0;
    return ok && value > 0 ? value : 30000;
}

} // namespace

int main(int argc, char **argv)
{
    prepareEnvironment();
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessaly-mermaid"));

    MermaidPage page;
    QTimer idle;
    idle.setSingleShot(true);
    idle.setInterval(idleExitMs(QCoreApplication::arguments()));
    QObject::connect(&idle, &QTimer::timeout, &app, &QCoreApplication::quit);
    idle.start();

    QObject::connect(&page, &MermaidPage::rendered, &app, [&](const MermaidProtocol::Reply &reply) {
        if (!writeAll(MermaidProtocol::encodeReply(reply)))
            QCoreApplication::quit();
        if (!page.isBusy())
            idle.start();
    });

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char chunk[65536];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        if (n <= 0) {
            // The application is gone: so is the reason to run.
            input.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        pending.append(chunk, n);
        for (const QByteArray &line : MermaidProtocol::takeLines(pending)) {
            if (const auto request = MermaidProtocol::decodeRequest(line)) {
                idle.stop();
                page.enqueue(*request);
            } else if (!line.trimmed().isEmpty()) {
                std::fprintf(stderr, "tessaly-mermaid: ignoring a malformed request\n");
            }
        }
        if (pending.size() > maxPendingInput) {
            std::fprintf(stderr, "tessaly-mermaid: request too long\n");
            QCoreApplication::exit(1);
        }
    });
    return app.exec();
}
