// How long a diagram takes to appear: drawn by a cold helper, by a running
// one, and read back from the disk cache in a later run (no helper at all).
#include "chat/MermaidRenderer.h"
#include "ui/MermaidDiagramView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cstdio>

namespace {

const QString diagram = QStringLiteral(
    "graph TD\n  A[Start] --> B{Works?}\n  B -->|yes| C[Ship]\n  B -->|no| D[Fix]\n  D --> B");

// Milliseconds from creating the row's diagram to its picture (or -1).
double showMs(MermaidRenderer &renderer, const QString &source)
{
    QElapsedTimer clock;
    clock.start();
    MermaidDiagramView view(source, UiTheme{}, 1.0, &renderer);
    if (view.state() == MermaidDiagramView::State::Drawing) {
        QSignalSpy changed(&view, &MermaidDiagramView::stateChanged);
        if (!changed.wait(30000))
            return -1;
    }
    view.resize(400, view.height());
    view.grab(); // painted once, as on screen
    return view.state() == MermaidDiagramView::State::Picture ? clock.nsecsElapsed() / 1e6 : -1;
}

double residentMiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir cache;
    MermaidRenderer::Options options;
    options.cacheFolder = cache.path();
    {
        MermaidRenderer renderer(options);
        std::printf("mermaid_first_render_ms: %.0f ms\n", showMs(renderer, diagram));
        std::printf("mermaid_warm_render_ms: %.0f ms\n", showMs(renderer, diagram + QStringLiteral("\n  C --> E")));
        std::printf("mermaid_helper_rss_mib: %.1f MiB\n", residentMiB(renderer.helperProcessId()));
        std::fflush(stdout);
    }
    // A later run: a fresh renderer whose only source is the disk.
    MermaidRenderer later(options);
    std::printf("mermaid_cached_render_ms: %.1f ms\n", showMs(later, diagram));
    std::printf("mermaid_cached_helper_launches: %d count\n", later.helperLaunches());
    return 0;
}
