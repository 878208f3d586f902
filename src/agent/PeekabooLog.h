#pragma once

#include "core/SerialQueue.h"

#include <QDateTime>
#include <QFile>
#include <QString>

// The agent activity log: one plain-text file that every agent-related step
// writes to and the log window shows. Each entry is a time-stamped header
// line and an optional, clipped body; the file is kept under a size bound.
// All file work runs on one serial queue, so appends from any thread keep
// whole entries in order. Safe to use from any thread.
class PeekabooLog
{
public:
    static constexpr qint64 sizeLimit = 1'500'000;
    static constexpr qsizetype bodyLimit = 6000;

    // A log in the given file; the folder is created on the first write.
    explicit PeekabooLog(const QString &filePath = defaultPath());
    // Writes every pending entry before the queue stops.
    ~PeekabooLog();
    PeekabooLog(const PeekabooLog &) = delete;
    PeekabooLog &operator=(const PeekabooLog &) = delete;

    // macOS: ~/Library/Logs/Quay Line/peekaboo.log; elsewhere the XDG state
    // folder (~/.local/state by default) + "/Quay Line/peekaboo.log".
    static QString defaultPath();
    QString filePath() const { return m_path; }

    // Returns at once; the time stamp is taken now, the write happens on the
    // log's queue. An empty body means none.
    void append(const QString &header, const QString &body = QString());
    // The whole file as UTF-8, after every earlier append; empty when missing.
    QString read() const;
    // Deletes the file (a missing file is fine).
    void clear();
    // Makes sure the folder and the file exist (empty when new) so that the
    // file can be shown in a file manager. Returns its path.
    QString prepareForReveal();
    // Blocks until every earlier append is on disk.
    void waitUntilWritten() const;

    // "[yyyy-MM-dd HH:mm:ss] header\n" and the clipped body ending in one "\n".
    static QString formatEntry(const QDateTime &time, const QString &header, const QString &body);
    // At most bodyLimit characters, then a line saying how many were cut.
    static QString clippedBody(const QString &body);

private:
    // The log's folder, readable by the user only (0700); the file is 0600.
    void makeFolder() const;
    bool openPrivately(QFile &file, QIODevice::OpenMode mode) const;
    void write(const QByteArray &entry);
    void applySizeBound();

    QString m_path;
    mutable SerialQueue m_queue;
};
