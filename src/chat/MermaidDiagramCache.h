#pragma once

#include "chat/MermaidPicture.h"

#include <QString>
#include <optional>

// Drawn diagrams on disk, one file per key, so a diagram seen before shows at
// once, in this run and the next, without the helper. The folder is kept
// under a byte limit by removing the least recently used files.
class MermaidDiagramCache
{
public:
    // An empty folder keeps nothing.
    MermaidDiagramCache(QString folder, qint64 limitBytes);

    std::optional<MermaidPicture> find(const QString &key);
    void store(const QString &key, const MermaidPicture &picture);

    QString folder() const { return m_folder; }

private:
    QString pathFor(const QString &key) const;
    void prune();

    QString m_folder;
    qint64 m_limit;
    // The folder's size; unknown (-1) until the first store scans it.
    qint64 m_total = -1;
};
