#include "agent/PeekabooLog.h"

#include "core/SafeFileCopy.h"
#include "platform/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Cuts at most limit UTF-16 units without splitting a surrogate pair.
qsizetype safeCut(const QString &text, qsizetype limit)
{
    if (limit > 0 && limit < text.size() && text.at(limit - 1).isHighSurrogate() &&
        text.at(limit).isLowSurrogate())
        return limit - 1;
    return limit;
}

constexpr QFileDevice::Permissions ownerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions ownerOnlyFolder = ownerOnlyFile | QFileDevice::ExeOwner;

} // namespace

PeekabooLog::PeekabooLog(const QString &filePath)
    : m_path(filePath), m_queue(QStringLiteral("com.hollowmere.quayline.peekaboo-log"))
{
}

PeekabooLog::~PeekabooLog()
{
    m_queue.drain();
}

QString PeekabooLog::defaultPath()
{
    return AppPaths::activityLogFile();
}

QString PeekabooLog::clippedBody(const QString &body)
{
    if (body.size() <= bodyLimit)
        return body;
    const qsizetype kept = safeCut(body, bodyLimit);
    return body.left(kept) + QStringLiteral("\n… truncated (%1 more characters)\n").arg(body.size() - kept);
}

QString PeekabooLog::formatEntry(const QDateTime &time, const QString &header, const QString &body)
{
    QString entry =
        u'[' + time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral("] ") + header + u'\n';
    if (!body.isEmpty()) {
        entry += clippedBody(body);
        if (!entry.endsWith(u'\n'))
            entry += u'\n';
    }
    return entry;
}

void PeekabooLog::append(const QString &header, const QString &body)
{
    const QByteArray entry = formatEntry(QDateTime::currentDateTime(), header, body).toUtf8();
    m_queue.async([this, entry] { write(entry); });
}

void PeekabooLog::makeFolder() const
{
    // Task texts and screen descriptions are the user's alone, also when an
    // earlier version or another program made the folder with wider modes.
    const QString folder = QFileInfo(m_path).absolutePath();
    QDir().mkpath(folder);
    QFile::setPermissions(folder, ownerOnlyFolder);
}

bool PeekabooLog::openPrivately(QFile &file, QIODevice::OpenMode mode) const
{
    // A new file is created private; an existing one is made so before any
    // entry is written to it.
    if (!file.open(mode, ownerOnlyFile))
        return false;
    file.setPermissions(ownerOnlyFile);
    return true;
}

void PeekabooLog::write(const QByteArray &entry)
{
    makeFolder();
    QFile file(m_path);
    if (!openPrivately(file, QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(entry);
    file.close();
    applySizeBound();
}

void PeekabooLog::applySizeBound()
{
    QFile file(m_path);
    if (file.size() <= sizeLimit || !file.open(QIODevice::ReadOnly))
        return;
    file.seek(file.size() - sizeLimit);
    QByteArray tail = file.readAll();
    file.close();
    // Start at a line start: the cut may fall inside a line or a character.
    const qsizetype newline = tail.indexOf('\n');
    tail = newline < 0 ? QByteArray() : tail.mid(newline + 1);
    SafeFileCopy::replaceWith(m_path, tail, nullptr);
}

QString PeekabooLog::read() const
{
    QString text;
    auto readFile = [this, &text] {
        QFile file(m_path);
        if (file.open(QIODevice::ReadOnly))
            text = QString::fromUtf8(file.readAll());
    };
    if (m_queue.isCurrent()) {
        readFile();
        return text;
    }
    m_queue.async(readFile);
    m_queue.drain();
    return text;
}

void PeekabooLog::clear()
{
    m_queue.async([this] { QFile::remove(m_path); });
}

QString PeekabooLog::prepareForReveal()
{
    auto prepare = [this] {
        makeFolder();
        QFile file(m_path);
        if (openPrivately(file, QIODevice::WriteOnly | QIODevice::Append))
            file.close();
    };
    m_queue.async(prepare);
    m_queue.drain();
    return m_path;
}

void PeekabooLog::waitUntilWritten() const
{
    m_queue.drain();
}
