#include "XvfbRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <cstdio>

namespace {

QByteArray statusField(qint64 pid, const QByteArray &name)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed().split(' ').first();
    }
    return {};
}

double residentMiBOf(qint64 pid)
{
    return statusField(pid, "VmRSS").toDouble() / 1024.0;
}

qint64 parentOf(const QString &pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // The fields after the command name, which may contain blanks, closed by ')'.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(1).toLongLong();
}

// Every process below pid, however deep (the web engine starts helpers of helpers).
QList<qint64> descendants(qint64 pid)
{
    QMultiHash<qint64, qint64> children;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        const qint64 child = entry.toLongLong(&isPid);
        if (isPid)
            children.insert(parentOf(entry), child);
    }
    QList<qint64> found;
    QList<qint64> pending{pid};
    while (!pending.isEmpty()) {
        const qint64 next = pending.takeLast();
        for (qint64 child : children.values(next)) {
            found.append(child);
            pending.append(child);
        }
    }
    return found;
}

} // namespace

XvfbServer::XvfbServer()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) {
        std::fprintf(stderr, "Xvfb is not installed: the figures on a real X server are skipped\n");
        return;
    }
    // -displayfd picks a free display and names it on standard output.
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                           QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                           QStringLiteral("tcp")});
    QByteArray seen;
    QElapsedTimer clock;
    clock.start();
    while (!seen.contains('\n') && clock.elapsed() < 10000) {
        if (!m_process.waitForReadyRead(100) && m_process.state() != QProcess::Running)
            break;
        seen += m_process.readAllStandardOutput();
    }
    bool ok = false;
    const int number = seen.trimmed().toInt(&ok);
    if (!ok) {
        std::fprintf(stderr, "Xvfb did not start: the figures on a real X server are skipped\n");
        return;
    }
    m_display = QStringLiteral(":%1").arg(number);
}

XvfbServer::~XvfbServer()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(1000);
}

WindowedRun::WindowedRun(const QString &program, const QStringList &arguments, const QString &display)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString root = m_home.path();
    const QStringList folders = {QStringLiteral("home"), QStringLiteral("config"), QStringLiteral("data"),
                                 QStringLiteral("cache"), QStringLiteral("runtime")};
    for (const QString &folder : folders)
        QDir(root).mkpath(folder);
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    m_process.setProcessEnvironment(env);
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_clock.start();
    m_process.start(program, arguments);
}

WindowedRun::~WindowedRun()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(15000))
        m_process.kill();
    m_process.waitForFinished(1000);
}

double WindowedRun::waitForFirstPaint(int timeoutMs)
{
    QByteArray seen;
    while (m_clock.elapsed() < timeoutMs) {
        if (!m_process.waitForReadyRead(20) && m_process.state() != QProcess::Running)
            return -1;
        seen += m_process.readAllStandardOutput();
        if (seen.contains("first-paint"))
            return double(m_clock.nsecsElapsed()) / 1e6;
    }
    return -1;
}

double WindowedRun::residentMiB() const
{
    return residentMiBOf(pid());
}

double WindowedRun::residentWithChildrenMiB() const
{
    double total = residentMiB();
    for (qint64 child : descendants(pid()))
        total += residentMiBOf(child);
    return total;
}

int WindowedRun::threads() const
{
    return statusField(pid(), "Threads").toInt();
}

QString XvfbBench::sibling(const QString &name)
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
}

double XvfbBench::median(QList<double> values)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void XvfbBench::settle(int ms)
{
    QThread::msleep(ulong(ms));
}
