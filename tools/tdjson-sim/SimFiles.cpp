#include "SimFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

qint64 SimFiles::assetSize(const QString &asset)
{
    return QFileInfo(QStringLiteral(":/tdjson-sim/") + asset).size();
}

int SimFiles::addAsset(const QString &asset, const QString &folder)
{
    SimFile file;
    file.id = m_nextId++;
    file.asset = asset;
    file.fileName = asset;
    file.folder = folder;
    file.size = assetSize(asset);
    m_files.insert(file.id, file);
    return file.id;
}

int SimFiles::addLocal(const QString &path)
{
    SimFile file;
    file.id = m_nextId++;
    const QFileInfo info(path);
    file.fileName = info.fileName();
    file.size = info.exists() ? info.size() : 0;
    file.localPath = path;
    file.completed = info.exists();
    file.downloadedSize = file.size;
    m_files.insert(file.id, file);
    return file.id;
}

SimFile *SimFiles::find(int id)
{
    auto it = m_files.find(id);
    return it == m_files.end() ? nullptr : &it.value();
}

QJsonObject SimFiles::fileObject(int id) const
{
    const SimFile file = m_files.value(id);
    const QString uniqueId = QStringLiteral("AgAD%1sim").arg(id, 6, 10, QLatin1Char('0'));
    const QJsonObject local{{"@type", "localFile"},
                            {"path", file.completed ? file.localPath : QString()},
                            {"can_be_downloaded", !file.asset.isEmpty()},
                            {"can_be_deleted", file.completed},
                            {"is_downloading_active", file.downloading},
                            {"is_downloading_completed", file.completed},
                            {"download_offset", 0},
                            {"downloaded_prefix_size", file.downloadedSize},
                            {"downloaded_size", file.downloadedSize}};
    const QJsonObject remote{{"@type", "remoteFile"},
                             {"id", QStringLiteral("BQACAgIAAxkBAAI%1").arg(id)},
                             {"unique_id", uniqueId},
                             {"is_uploading_active", file.uploading},
                             {"is_uploading_completed", file.uploaded},
                             {"uploaded_size", file.uploaded ? file.size : file.uploadedSize}};
    return QJsonObject{{"@type", "file"},   {"id", file.id},
                       {"size", file.size}, {"expected_size", file.size},
                       {"local", local},    {"remote", remote}};
}

QJsonValue SimFiles::refreshedValue(const QJsonValue &value) const
{
    if (value.isArray()) {
        QJsonArray out;
        for (const QJsonValue &entry : value.toArray())
            out.append(refreshedValue(entry));
        return out;
    }
    if (value.isObject())
        return refreshed(value.toObject());
    return value;
}

QJsonObject SimFiles::refreshed(const QJsonObject &object) const
{
    if (object.value("@type").toString() == QLatin1String("file")) {
        const int id = object.value("id").toInt();
        return m_files.contains(id) ? fileObject(id) : object;
    }
    QJsonObject out = object;
    for (auto it = out.begin(); it != out.end(); ++it) {
        if (it->isObject() || it->isArray())
            *it = refreshedValue(*it);
    }
    return out;
}

QList<int> SimFiles::localFilesIn(const QJsonValue &value) const
{
    QList<int> ids;
    if (value.isArray()) {
        for (const QJsonValue &entry : value.toArray())
            ids += localFilesIn(entry);
        return ids;
    }
    const QJsonObject object = value.toObject();
    if (object.value("@type").toString() == QLatin1String("file")) {
        const auto it = m_files.constFind(object.value("id").toInt());
        if (it != m_files.cend() && it->asset.isEmpty() && it->completed)
            ids.append(it->id);
        return ids;
    }
    for (const QJsonValue &field : object) {
        if (field.isObject() || field.isArray())
            ids += localFilesIn(field);
    }
    return ids;
}

bool SimFiles::refersToMissingLocalFile(const QJsonValue &value) const
{
    if (value.isArray()) {
        for (const QJsonValue &entry : value.toArray()) {
            if (refersToMissingLocalFile(entry))
                return true;
        }
        return false;
    }
    const QJsonObject object = value.toObject();
    if (object.value("@type").toString() == QLatin1String("file")) {
        const auto it = m_files.constFind(object.value("id").toInt());
        return it != m_files.cend() && it->asset.isEmpty() && !it->completed;
    }
    for (const QJsonValue &field : object) {
        if ((field.isObject() || field.isArray()) && refersToMissingLocalFile(field))
            return true;
    }
    return false;
}

bool SimFiles::materialize(SimFile &file, const QString &filesDirectory)
{
    if (file.asset.isEmpty())
        return file.completed;
    const QDir dir(QDir(filesDirectory).filePath(file.folder));
    if (!QDir().mkpath(dir.path()))
        return false;
    // TDLib never overwrites: a name already taken gets a numbered suffix.
    const QFileInfo name(file.fileName);
    QString target = dir.filePath(file.fileName);
    for (int n = 1; QFileInfo::exists(target); ++n)
        target =
            dir.filePath(QStringLiteral("%1_%2.%3").arg(name.completeBaseName()).arg(n).arg(name.suffix()));
    QFile source(QStringLiteral(":/tdjson-sim/") + file.asset);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = source.readAll();
    if (out.write(bytes) != bytes.size())
        return false;
    file.localPath = QFileInfo(target).absoluteFilePath();
    return true;
}

void SimFiles::removeDownloaded()
{
    for (SimFile &file : m_files) {
        if (!file.asset.isEmpty() && file.completed)
            QFile::remove(file.localPath);
        if (!file.asset.isEmpty()) {
            file.completed = false;
            file.localPath.clear();
            file.downloadedSize = 0;
        }
    }
}
