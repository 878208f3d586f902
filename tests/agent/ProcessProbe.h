#pragma once

#include <QFile>
#include <QString>

#include <csignal>
#include <unistd.h>

// Whether a process still runs. A zombie counts as ended: where no init reaps
// orphans (as in some containers), an ended grandchild stays one.
inline bool processRunning(qint64 pid)
{
    if (pid <= 0 || ::kill(pid_t(pid), 0) != 0)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    const qsizetype nameEnd = text.lastIndexOf(')');
    return nameEnd < 0 || text.mid(nameEnd + 2, 1) != "Z";
}
