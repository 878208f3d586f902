#pragma once

// Start-up as a user meets it: an executable of this build run on an X server
// of the benchmark's own (Xvfb), with a fresh home folder per run.
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// One Xvfb for the benchmark's runs; it ends with the object.
class XvfbServer
{
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer &) = delete;
    XvfbServer &operator=(const XvfbServer &) = delete;

    // ":N" once the server listens; empty when Xvfb is missing or did not start
    // (the reason is on standard error).
    const QString &display() const { return m_display; }

private:
    QProcess m_process;
    QString m_display;
};

// One run of an executable on the server: a home, configuration, data, cache
// and runtime folder of its own; standard output is read for the first-paint
// line, standard error is dropped.
class WindowedRun
{
public:
    WindowedRun(const QString &program, const QStringList &arguments, const QString &display);
    ~WindowedRun();
    WindowedRun(const WindowedRun &) = delete;
    WindowedRun &operator=(const WindowedRun &) = delete;

    // Milliseconds from the start of the process to the line naming its first
    // paint; negative when it ended or timed out first.
    double waitForFirstPaint(int timeoutMs = 20000);
    // VmRSS of the process alone, and with every process started under it.
    double residentMiB() const;
    double residentWithChildrenMiB() const;
    int threads() const;
    qint64 pid() const { return m_process.processId(); }

private:
    QTemporaryDir m_home;
    QProcess m_process;
    QElapsedTimer m_clock;
};

namespace XvfbBench {

// Absolute path of an executable next to the benchmark's own.
QString sibling(const QString &name);
double median(QList<double> values);
// Blocks for ms milliseconds (the benchmark lets the measured process settle).
void settle(int ms);

} // namespace XvfbBench
