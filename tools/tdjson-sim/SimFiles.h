#pragma once

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <functional>

// The files of one simulated session: demo files (compiled-in resources that a
// download copies into files_directory) and files the user sent from disk.
// File objects inside messages are refreshed from here whenever a message is
// handed out, so a finished download shows up in later history answers.
struct SimFile
{
    int id = 0;
    QString asset;    // resource name under ":/tdjson-sim/"; empty for the user's own files
    QString fileName; // name used inside files_directory
    QString folder;   // TDLib's subfolder: photos, documents, voice, music, videos, stickers, animations
    qint64 size = 0;
    QString localPath;
    bool downloading = false;
    bool completed = false;
    qint64 downloadedSize = 0;
    bool uploaded = true;
    bool uploading = false;
    qint64 uploadedSize = 0;
};

class SimFiles
{
public:
    int addAsset(const QString &asset, const QString &folder);
    int addLocal(const QString &path);
    SimFile *find(int id);

    QJsonObject fileObject(int id) const;
    // Replaces every nested "file" object of a message by its current state.
    QJsonObject refreshed(const QJsonObject &object) const;

    // True when an object refers to a file of the user's that is not on disk.
    bool refersToMissingLocalFile(const QJsonValue &value) const;
    // The user's files on disk that an object refers to: what sending it uploads.
    QList<int> localFilesIn(const QJsonValue &value) const;
    // Copies the demo file into filesDirectory; returns false when that fails.
    bool materialize(SimFile &file, const QString &filesDirectory);
    // Removes the files this session copied (logout destroys local data).
    void removeDownloaded();

    static qint64 assetSize(const QString &asset);

private:
    QJsonValue refreshedValue(const QJsonValue &value) const;

    QHash<int, SimFile> m_files;
    int m_nextId = 1;
};
