#include "chat/MermaidDiagramCache.h"

#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

namespace {

constexpr quint32 fileMagic = 0x54444731; // "TDG1"
const QString fileSuffix = QStringLiteral(".diagram");

} // namespace

MermaidDiagramCache::MermaidDiagramCache(QString folder, qint64 limitBytes)
    : m_folder(std::move(folder)), m_limit(limitBytes)
{
}

QString MermaidDiagramCache::pathFor(const QString &key) const
{
    return m_folder + u'/' + key + fileSuffix;
}

std::optional<MermaidPicture> MermaidDiagramCache::find(const QString &key)
{
    if (m_folder.isEmpty())
        return std::nullopt;
    QFile file(pathFor(key));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    MermaidPicture picture;
    in >> magic >> picture.size >> picture.svg >> picture.png;
    if (in.status() != QDataStream::Ok || magic != fileMagic || picture.svg.isEmpty() || picture.size.isEmpty()) {
        // A damaged file (a crash mid-write, a full disk) is drawn again.
        file.remove();
        return std::nullopt;
    }
    // Recently shown diagrams are the last to go when the folder is pruned.
    file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    return picture;
}

void MermaidDiagramCache::store(const QString &key, const MermaidPicture &picture)
{
    if (m_folder.isEmpty() || picture.byteSize() > m_limit)
        return;
    if (!QDir().mkpath(m_folder))
        return;
    QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString path = pathFor(key);
    const qint64 previous = QFileInfo(path).size();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QDataStream out(&file);
    out.setVersion(QDataStream::Qt_6_4);
    out << fileMagic << picture.size << picture.svg << picture.png;
    if (out.status() != QDataStream::Ok || !file.commit())
        return;
    if (m_total < 0) {
        prune();
        return;
    }
    m_total += QFileInfo(path).size() - previous;
    if (m_total > m_limit)
        prune();
}

void MermaidDiagramCache::prune()
{
    QFileInfoList files = QDir(m_folder).entryInfoList({u'*' + fileSuffix}, QDir::Files);
    qint64 total = 0;
    for (const QFileInfo &info : files)
        total += info.size();
    if (total > m_limit) {
        // Down to three quarters, so that the next few stores do not prune again.
        std::sort(files.begin(), files.end(), [](const QFileInfo &a, const QFileInfo &b) {
            return a.lastModified() < b.lastModified();
        });
        for (const QFileInfo &info : std::as_const(files)) {
            if (total <= m_limit * 3 / 4)
                break;
            if (QFile::remove(info.filePath()))
                total -= info.size();
        }
    }
    m_total = total;
}
